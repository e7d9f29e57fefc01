#pragma once
// Every top-level window stays whole on the screen it opens on, down to a laptop's 1366x768
// and 1280x720: a window larger than the room there is made smaller and moved inside, so
// that its title bar and its buttons can always be reached. Windows whose contents need more
// than that room scroll inside (their layouts are built for it); this helper only ever
// shrinks and moves, it never enlarges a window.

#include <QMargins>
#include <QRect>

class QObject;
class QWidget;

namespace orv::ui {

// What a window manager adds around a window before the frame is known (the first show):
// a title bar and thin borders.
QMargins assumedFrameMargins();

// The rectangle the client area of `window` may take on its screen: the screen's available
// geometry (without panels) less the window's frame (its real frame once it has one).
QRect clientRoom(const QWidget *window);

// Shrinks `window` to its room (never below its minimum size) and moves it so that the
// whole frame lies inside the available geometry. Maximised and full-screen windows are left
// to the window manager.
void fitToScreen(QWidget *window);

// Fits every top-level window of the application as it is shown (dialogs, the help, the
// comparison, print previews). Installed once by main(); tests install it as well.
void installScreenFit();

} // namespace orv::ui
