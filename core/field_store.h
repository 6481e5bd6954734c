// How the logic reaches the window: texts, colours, check boxes, captions, tooltips and the
// enabled state of a command or the status timer. The window toolkit binds these to widgets;
// MemoryFieldStore keeps them in memory for tests and the command-line program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/field.h"

namespace tolvarn {

class FieldStore {
 public:
  virtual ~FieldStore() = default;

  // The reference stays valid until the next call for the same field or a change of it.
  virtual const std::string& Text(Field field) const = 0;
  virtual void SetText(Field field, std::string_view text) = 0;
  // A number that changes whenever the field's text may have changed, by the program or the
  // user, so that the logic can keep what it read from an unchanged text.
  virtual uint64_t TextRevision(Field field) const = 0;

  virtual void SetColour(Field field, Rgb colour) = 0;

  // 0 unticked, 1 ticked. Setting a box does not run its handler: the window object does that,
  // so that a change made by the program has the same effect as a click.
  virtual int CheckValue(Field field) const = 0;
  virtual void SetCheckValue(Field field, int value) = 0;

  virtual void SetCaption(Field field, std::string_view caption) = 0;
  virtual void SetToolTip(Field field, std::string_view tooltip) = 0;
  virtual void SetEnabled(Field field, bool enabled) = 0;
  virtual bool IsEnabled(Field field) const = 0;
};

}  // namespace tolvarn
