// Binds the logic's field names to the widgets of the Designer form, by object name.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>

#include "core/field_store.h"

namespace tolvarn {

class QtFieldStore final : public QObject, public FieldStore {
  Q_OBJECT

 public:
  // Finds every field's widget under `form` by its name; `timer` stands for Timer1.
  QtFieldStore(QWidget& form, QTimer& timer);

  const std::string& Text(Field field) const override;
  void SetText(Field field, std::string_view text) override;
  uint64_t TextRevision(Field field) const override;
  void SetColour(Field field, Rgb colour) override;
  int CheckValue(Field field) const override;
  void SetCheckValue(Field field, int value) override;
  void SetCaption(Field field, std::string_view caption) override;
  void SetToolTip(Field field, std::string_view tooltip) override;
  void SetEnabled(Field field, bool enabled) override;
  bool IsEnabled(Field field) const override;

  QWidget* WidgetOf(Field field) const { return widgets_[static_cast<size_t>(field)]; }
  // The colour the logic last gave the field's text.
  Rgb ColourOf(Field field) const { return colours_[static_cast<size_t>(field)]; }

 private:
  void Changed(Field field) { revisions_[static_cast<size_t>(field)] = ++revision_count_; }

  std::array<QPointer<QWidget>, kFieldCount> widgets_{};
  std::array<Rgb, kFieldCount> colours_{};
  QTimer& timer_;
  // The text of each field in UTF-8, refreshed when the widget's text has changed since.
  mutable std::array<std::string, kFieldCount> texts_;
  mutable std::array<uint64_t, kFieldCount> cached_{};
  std::array<uint64_t, kFieldCount> revisions_{};
  uint64_t revision_count_ = 0;
};

}  // namespace tolvarn
