#pragma once
// Help for windows outside the frame's reach: F1 pressed in a modal window (an editor, a
// print dialog, the options) and the "?" button of a window's title bar followed by a click
// on a control. Both open the help of the nearest control with a help context, else the
// window's own page when the help has one, else the contents. While a modal window is open
// the help viewer stands above it and can be used (a window the modal one does not block).

class QWidget;

namespace orv::app {

class HelpBridge;

// Installs the application-wide handling for `bridge` (once; a later call replaces the
// bridge, nullptr switches it off).
void installHelpRequests(HelpBridge *bridge);

// What F1 or a "?" click on `widget` opens; false when the help could not be shown.
bool showHelpFor(HelpBridge &bridge, QWidget *widget);

} // namespace orv::app
