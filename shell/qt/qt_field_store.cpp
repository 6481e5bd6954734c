#include "shell/qt/qt_field_store.h"

#include "shell/qt/qt_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <stdexcept>

namespace tolvarn {
QtFieldStore::QtFieldStore(QWidget& form, QTimer& timer) : timer_(timer) {
  for (const Field field : AllFields()) {
    if (field == Field::Timer1) continue;
    const QString name = QString::fromLatin1(FieldName(field).data(),
                                             static_cast<qsizetype>(FieldName(field).size()));
    QWidget* widget = form.findChild<QWidget*>(name);
    if (widget == nullptr)
      throw std::logic_error("The form has no widget named " + std::string(FieldName(field)));
    widgets_[static_cast<size_t>(field)] = widget;
    // A change by the user or the program makes what the logic read of the text stale.
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
      connect(edit, &QLineEdit::textChanged, this, [this, field] { Changed(field); });
    if (auto* notes = qobject_cast<QPlainTextEdit*>(widget))
      connect(notes, &QPlainTextEdit::textChanged, this, [this, field] { Changed(field); });
  }
  for (uint64_t& revision : revisions_)
    revision = ++revision_count_;
}

const std::string& QtFieldStore::Text(Field field) const {
  const auto index = static_cast<size_t>(field);
  if (cached_[index] != revisions_[index]) {
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(field)))
      text = edit->text();
    else if (auto* notes = qobject_cast<QPlainTextEdit*>(WidgetOf(field)))
      text = notes->toPlainText();
    texts_[index] = text.toStdString();
    cached_[index] = revisions_[index];
  }
  return texts_[index];
}

void QtFieldStore::SetText(Field field, std::string_view text) {
  // Setting a text box lays its text out again; the same text needs no new layout.
  if (Text(field) == text) return;
  if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(field)))
    edit->setText(FromUtf8(text));
  else if (auto* notes = qobject_cast<QPlainTextEdit*>(WidgetOf(field)))
    notes->setPlainText(FromUtf8(text));
  Changed(field);
}

uint64_t QtFieldStore::TextRevision(Field field) const {
  return revisions_[static_cast<size_t>(field)];
}

void QtFieldStore::SetColour(Field field, Rgb colour) {
  colours_[static_cast<size_t>(field)] = colour;
  QWidget* widget = WidgetOf(field);
  QPalette palette = widget->palette();
  if (colour == kBlack) {
    // Black is the theme's own text colour, which a dark theme makes light; the program's
    // orange is its own.
    const QPalette theme = QApplication::palette(widget);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      palette.setColor(group, QPalette::Text, theme.color(group, QPalette::Text));
  } else {
    palette.setColor(QPalette::Text, QColor(colour.r, colour.g, colour.b));
  }
  widget->setPalette(palette);
}

int QtFieldStore::CheckValue(Field field) const {
  const auto* box = qobject_cast<QCheckBox*>(WidgetOf(field));
  return box != nullptr && box->isChecked() ? 1 : 0;
}

void QtFieldStore::SetCheckValue(Field field, int value) {
  if (auto* box = qobject_cast<QCheckBox*>(WidgetOf(field))) {
    const QSignalBlocker quiet(box);  // the window object runs the handler itself
    box->setChecked(value != 0);
  }
}

void QtFieldStore::SetCaption(Field field, std::string_view caption) {
  if (auto* label = qobject_cast<QLabel*>(WidgetOf(field))) label->setText(FromUtf8(caption));
}

void QtFieldStore::SetToolTip(Field field, std::string_view tooltip) {
  WidgetOf(field)->setToolTip(FromUtf8(tooltip));
}

void QtFieldStore::SetEnabled(Field field, bool enabled) {
  if (field == Field::Timer1) {
    if (enabled)
      timer_.start();
    else
      timer_.stop();
    return;
  }
  WidgetOf(field)->setEnabled(enabled);
}

bool QtFieldStore::IsEnabled(Field field) const {
  if (field == Field::Timer1) return timer_.isActive();
  return WidgetOf(field)->isEnabled();
}

}  // namespace tolvarn
