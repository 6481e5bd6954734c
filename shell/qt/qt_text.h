// The program's texts are UTF-8 throughout; this is the one way they become Qt's.
#pragma once

#include <QString>
#include <string_view>

namespace tolvarn {

inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tolvarn
