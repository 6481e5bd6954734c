// How the program's own windows stay above the main window and follow On Top.
#pragma once

class QWidget;

namespace tolvarn {

// Gives `window` the keep-above state On Top asks for. A shown window changes it in place and
// the widget is told without applying it again; a hidden one takes the widget's flag, which its
// next showing applies. Either way the two stay alike.
void FollowOnTop(QWidget& window, bool on_top);

// Makes `window` transient for `owner` without being its child (which would share its Tab
// order): desktops keep it above its owner, kept above others or not.
void KeepAboveOwner(QWidget& window, const QWidget& owner);

}  // namespace tolvarn
