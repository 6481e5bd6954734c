// The About window: the program's name and version over its own background, and the web site's
// address, which opens the site.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "shell/tolvarn_main.h"

namespace Ui {
class frmAbout;
}

namespace tolvarn {

class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(TolvarnMain& logic, QWidget* parent);
  ~AboutDialog() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<Ui::frmAbout> ui_;
  TolvarnMain& logic_;
};

}  // namespace tolvarn
