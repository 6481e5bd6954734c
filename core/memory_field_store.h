// A window held in memory: every field's text, colour, caption, tooltip and state.
#pragma once

#include <array>
#include <string>

#include "core/field_store.h"

namespace tolvarn {

class MemoryFieldStore final : public FieldStore {
 public:
  const std::string& Text(Field field) const override { return at(field).text; }
  void SetText(Field field, std::string_view text) override {
    at(field).text.assign(text);
    at(field).revision = ++revisions_;
  }
  uint64_t TextRevision(Field field) const override { return at(field).revision; }
  void SetColour(Field field, Rgb colour) override { at(field).colour = colour; }
  int CheckValue(Field field) const override { return at(field).check; }
  void SetCheckValue(Field field, int value) override { at(field).check = value; }
  void SetCaption(Field field, std::string_view caption) override {
    at(field).caption.assign(caption);
  }
  void SetToolTip(Field field, std::string_view tooltip) override {
    at(field).tooltip.assign(tooltip);
  }
  void SetEnabled(Field field, bool enabled) override { at(field).enabled = enabled; }
  bool IsEnabled(Field field) const override { return at(field).enabled; }

  Rgb Colour(Field field) const { return at(field).colour; }
  const std::string& Caption(Field field) const { return at(field).caption; }
  const std::string& ToolTip(Field field) const { return at(field).tooltip; }

 private:
  struct Entry {
    std::string text;
    std::string caption;
    std::string tooltip;
    Rgb colour = kBlack;
    uint64_t revision = 0;
    int check = 0;
    bool enabled = false;
  };
  Entry& at(Field field) { return entries_[static_cast<size_t>(field)]; }
  const Entry& at(Field field) const { return entries_[static_cast<size_t>(field)]; }

  std::array<Entry, kFieldCount> entries_{};
  uint64_t revisions_ = 0;
};

}  // namespace tolvarn
