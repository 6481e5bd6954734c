// Watches a descriptor in Qt's event loop for the desktop's default handler, so the window
// learns that a handler ended without ever waiting for it.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <cstdlib>

#include "platform/process.h"
#include "posix/xdg_launcher.h"

namespace tolvarn {

// `ready` runs once, the first time the descriptor becomes readable; watching stops when
// `context` is destroyed, so nothing runs after the window that asked is gone.
inline XdgLauncher::Watch WatchInEventLoop(QObject& context) {
  return [&context](int fd, std::function<void()> ready) {
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &context);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, ready = std::move(ready)] {
                       notifier->setEnabled(false);
                       notifier->deleteLater();
                       // What `ready` reports goes to a message box; nothing may escape into
                       // the toolkit.
                       try {
                         ready();
                       } catch (const ProgramEnded& ended) {
                         std::exit(ended.status);
                       } catch (...) {
                         std::exit(kFatalExitStatus);
                       }
                     });
  };
}

}  // namespace tolvarn
