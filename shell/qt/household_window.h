// The Household window on screen: the Designer form bound to the toolkit-free HouseholdPanel,
// which holds the household, works its figures out and words every text. Not modal; the main
// window makes it the first time its Household button is used and refreshes it after each
// command and each change to the tariff.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "shell/household_panel.h"

class QLabel;
class QLineEdit;

namespace Ui {
class HouseholdWindow;
}

namespace tolvarn {

class MainWindow;

class HouseholdWindow final : public QWidget {
  Q_OBJECT

 public:
  // A window of its own, kept above the main window (as the Payback window is).
  HouseholdWindow(MainWindow& main, FileSystem& files, MessageBoxes& boxes);
  ~HouseholdWindow() override;

  // Reads the household the first time (offering the typical one to a first-time user) and
  // shows the window.
  void Open();
  // Follows the main window's tariff, units and currency and the payback settings.
  void Refresh();

  HouseholdPanel& Panel() { return panel_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BindControls();
  void BindSettings();
  void SetUpFittingsTable();
  void FillChoicesAndTips();
  void ConnectFittingEditor();
  void ConnectCompare();
  // The chosen fitting's row in the list, or -1.
  int Chosen() const;
  void Choose(int row);
  // Shows what the panel holds now: the list, the messages, the totals.
  void ShowFigures();
  // Shows the chosen fitting in the editor, and the replacement in the Compare part.
  void ShowEditor();
  void ShowReplacement();
  void FillCompareFittings();
  void RunCompare();
  void FollowOnTop();
  void KeepAboveOwner();
  void FollowTheme();

  std::unique_ptr<Ui::HouseholdWindow> ui_;
  MainWindow& main_;
  HouseholdPanel panel_;
  std::array<QLineEdit*, kHouseholdInputCount> settings_{};
  std::array<QLineEdit*, kMaxFittingParameters> values_{};
  std::array<QLabel*, kMaxFittingParameters> value_labels_{};
  std::array<QLabel*, kMaxFittingParameters> value_units_{};
  std::array<QLineEdit*, kMaxFittingParameters> replacement_values_{};
  std::array<QLabel*, kMaxFittingParameters> replacement_labels_{};
  std::array<QLabel*, kMaxFittingParameters> replacement_units_{};
};

}  // namespace tolvarn
