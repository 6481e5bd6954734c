#include "shell/qt/kept_above.h"

#include <QWidget>
#include <QWindow>

namespace tolvarn {

void FollowOnTop(QWidget& window, bool on_top) {
  QWindow* native = window.windowHandle();
  if (native != nullptr && window.isVisible()) {
    if (native->flags().testFlag(Qt::WindowStaysOnTopHint) != on_top)
      native->setFlag(Qt::WindowStaysOnTopHint, on_top);
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on_top)
      window.overrideWindowFlags(window.windowFlags().setFlag(Qt::WindowStaysOnTopHint, on_top));
  } else if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on_top) {
    window.setWindowFlag(Qt::WindowStaysOnTopHint, on_top);
  }
}

void KeepAboveOwner(QWidget& window, const QWidget& owner) {
  window.winId();  // the native window, made now so that it can be given its owner
  if (QWindow* native = window.windowHandle(); native != nullptr)
    native->setTransientParent(owner.windowHandle());
}

}  // namespace tolvarn
