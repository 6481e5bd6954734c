#include "posix/posix_platform.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <monetary.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "core/number_text.h"
#include "core/utf8.h"

namespace tolvarn {
namespace {

// The user's locale for one category (LC_MONETARY or LC_TIME), with the character set of that
// same locale, so that its symbols decode rightly whatever LC_CTYPE says: the name comes from
// LC_ALL, else the category's own variable, else LANG, as the C library chooses it.
locale_t UserLocale(int mask, const char* variable) {
  std::string name = "C";
  for (const char* source : {"LC_ALL", variable, "LANG"}) {
    const char* value = std::getenv(source);
    if (value != nullptr && value[0] != '\0') {
      name = value;
      break;
    }
  }
  locale_t locale = newlocale(mask | LC_CTYPE_MASK, name.c_str(), nullptr);
  return locale != nullptr ? locale : newlocale(mask | LC_CTYPE_MASK, "C", nullptr);
}

// Converts text in the locale's character set to UTF-8; empty when it cannot.
std::string ToUtf8(const std::string& text, locale_t loc) {
  const std::string codeset = nl_langinfo_l(CODESET, loc);
  if (codeset == "UTF-8" || codeset == "utf8") return text;
  if (codeset == "ANSI_X3.4-1968" || codeset == "ASCII") {
    for (unsigned char c : text)
      if (c >= 0x80) return {};
    return text;
  }
  iconv_t cd = iconv_open("UTF-8", codeset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in = text;
  std::string out(text.size() * 4 + 4, '\0');
  char* in_ptr = in.data();
  size_t in_left = in.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  const size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1)) return {};
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace

LocalDateTime SystemClock::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string ChooseCurrencySymbol(const std::string& formatted_one,
                                 const std::string& locale_symbol) {
  // "£1.00", "$1.00", "€ 1,00": a single character that ends where the amount or a blank
  // begins. "CHF 1.00" or "R$ 1,00" begin with a symbol of several characters instead.
  const std::string first(utf8::Take(formatted_one, 1));
  const std::string_view after = std::string_view(formatted_one).substr(first.size());
  const bool ends_after_one = after.empty() || (after[0] >= '0' && after[0] <= '9') ||
                              after[0] == ' ' || after.starts_with("\u00A0") ||
                              after.starts_with("\u202F");
  if (!CanBeginNumber(first) && ends_after_one) return first;
  // "1,00 €": the symbol stands after the amount; take it if it could not be mistaken for part
  // of a number.
  if (utf8::Length(locale_symbol) == 1 && !CanBeginNumber(locale_symbol)) return locale_symbol;
  return "\u00A4";  // the generic currency sign, as for the C locale
}

SystemLocale::~SystemLocale() {
  if (monetary_ != nullptr) freelocale(monetary_);
  if (time_ != nullptr) freelocale(time_);
}

std::string SystemLocale::CurrencySymbol() {
  if (monetary_ == nullptr) monetary_ = UserLocale(LC_MONETARY_MASK, "LC_MONETARY");
  std::string formatted;
  if (monetary_ == nullptr) return ChooseCurrencySymbol(formatted, {});
  std::array<char, 64> buffer{};
  if (strfmon_l(buffer.data(), buffer.size(), monetary_, "%n", 1.0) > 0)
    formatted = ToUtf8(buffer.data(), monetary_);
  const std::string symbol = ToUtf8(nl_langinfo_l(CURRENCY_SYMBOL, monetary_), monetary_);
  return ChooseCurrencySymbol(formatted, symbol);
}

std::string SystemLocale::ShortDate(const LocalDateTime& when) {
  Time();
  std::tm tm{};
  tm.tm_year = when.year - 1900;
  tm.tm_mon = when.month - 1;
  tm.tm_mday = when.day;
  tm.tm_hour = when.hour;
  tm.tm_min = when.minute;
  tm.tm_sec = when.second;
  std::array<char, 128> buffer{};
  size_t written = 0;
  if (time_ != nullptr) {
    written = strftime_l(buffer.data(), buffer.size(), nl_langinfo_l(D_FMT, time_), &tm, time_);
    if (written > 0) {
      std::string text = ToUtf8(std::string(buffer.data(), written), time_);
      if (!text.empty()) return text;
    }
  }
  // The C locale's short date, written without the C library's help.
  return TwoDigits(when.month) + "/" + TwoDigits(when.day) + "/" + TwoDigits(when.year % 100);
}

locale_t SystemLocale::Time() {
  if (time_ == nullptr) time_ = UserLocale(LC_TIME_MASK, "LC_TIME");
  return time_;
}

std::string SystemLocale::MonthAbbreviation(int month) {
  static constexpr const char* kEnglish[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int index = (month - 1) % 12;
  if (Time() != nullptr) {
    std::string name = ToUtf8(nl_langinfo_l(ABMON_1 + index, time_), time_);
    if (!name.empty()) return name;
  }
  return kEnglish[index];
}

}  // namespace tolvarn
