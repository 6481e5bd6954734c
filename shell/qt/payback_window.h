// The Payback window on screen: the Designer form bound to the toolkit-free PaybackPanel, which
// holds the inputs, works the comparison out and words every text. Not modal; the main window
// makes it the first time its Payback button is used and refreshes it after each command.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "shell/payback_panel.h"
#include "shell/tolvarn_main.h"

class QLineEdit;

namespace Ui {
class PaybackWindow;
}

namespace tolvarn {

class PaybackTableModel;

class PaybackWindow final : public QWidget {
  Q_OBJECT

 public:
  // A window of its own, without a parent: a child window would share the main window's Tab
  // order, and Tab would wander from one window into the other. It is kept above `owner`.
  PaybackWindow(TolvarnMain& logic, FileSystem& files, MessageBoxes& boxes,
                QWidget* owner = nullptr);
  ~PaybackWindow() override;

  // Reads the settings file the first time and shows the window.
  void Open();
  // Follows the main window's last Calculate and currency.
  void Refresh();

  // Asks for the name of the file to export to; empty: cancelled. Tests replace the dialog.
  using FileNameAsker = std::function<QString(QWidget* parent, const QString& suggested)>;
  void SetFileNameAsker(FileNameAsker asker) { ask_file_name_ = std::move(asker); }

  PaybackPanel& Panel() { return panel_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BindInputs();
  // Keeps the window above others while the main window is kept above them (On Top), so that
  // the main window never hides it.
  void FollowOnTop();
  void KeepAboveOwner();
  // Shows what the panel holds now.
  void ShowResults();
  void ExportCsv();
  // Widens each table column that a figure would not fit.
  void FitColumns();
  // Colours of the program's own, made legible on the theme's background.
  void FollowTheme();

  std::unique_ptr<Ui::PaybackWindow> ui_;
  TolvarnMain& logic_;
  QWidget* owner_;
  PaybackPanel panel_;
  std::array<QLineEdit*, kPaybackInputCount> edits_{};
  std::unique_ptr<PaybackTableModel> model_;
  FileNameAsker ask_file_name_;
  QString last_currency_;
  std::array<int, PaybackPanel::kColumns> least_widths_{};
};

}  // namespace tolvarn
