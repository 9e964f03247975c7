#pragma once

#include <QEvent>

class QWidget;

namespace kova {

// A window that belongs to the desktop rather than to a task: no task-bar or
// pager entry (_NET_WM_STATE_SKIP_TASKBAR, _SKIP_PAGER) and shown on every
// workspace (_NET_WM_DESKTOP 0xFFFFFFFF, and _NET_WM_STATE_STICKY for window
// managers that read only that, such as xfwm4, which files 0xFFFFFFFF under
// its last workspace). Window managers read these when the window is mapped
// and drop them when it is withdrawn, so call this from event() with every
// event: it acts on QEvent::Show (before the map: the initial state, no round
// trip) and on QEvent::WinIdChange of a shown window. Does nothing off X11.
void keepPostedOnDesktop(QWidget* window, QEvent::Type event);

// Brings a shown window that sits on another virtual desktop to the one
// the user is on; one shown on every desktop stays so. Does nothing off X11.
void moveToCurrentDesktop(QWidget* window);

// Puts a shown window into the window manager's layer above (or below) the
// ordinary windows, or back into the ordinary layer, without remapping it.
void setWindowLayer(QWidget* window, bool above, bool below);

// Brings a window in front of the others without giving it the keyboard
// focus, whatever the window manager: as a pager would (_NET_RESTACK_WINDOW)
// where the window manager offers that, else by a plain raise during which
// the window refuses input (xfwm4 focuses a window that raises itself).
void raiseWithoutFocus(QWidget* window);

// True when the X server named by $DISPLAY answers. Checked before the
// application object is made: Qt's xcb platform aborts without one.
bool x11DisplayReachable();

// For a program started without a display: one line on standard error and
// the exit code, when Qt would run on xcb and no X server answers; 0 when
// the program can go on.
int refuseWithoutX11Display(const char* program);

} // namespace kova
