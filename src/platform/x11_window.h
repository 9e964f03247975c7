#pragma once

class QWidget;

namespace kova {

// Keeps a window out of the task bar and the pager (_NET_WM_STATE_SKIP_TASKBAR,
// _NET_WM_STATE_SKIP_PAGER). The window manager drops these whenever the X
// window is withdrawn or recreated, so call it again on QEvent::WinIdChange
// and before each show. Does nothing off X11.
void keepOutOfTaskbar(QWidget* window);

// Shows a window on every virtual desktop (_NET_WM_DESKTOP 0xFFFFFFFF), as
// a panel's tray icon is. Call it on QEvent::Show and QEvent::WinIdChange,
// like keepOutOfTaskbar. Does nothing off X11.
void showOnAllDesktops(QWidget* window);

// Brings a shown window that sits on another virtual desktop to the one
// the user is on; one shown on every desktop stays so. Does nothing off X11.
void moveToCurrentDesktop(QWidget* window);

// Puts a shown window into the window manager's layer above (or below) the
// ordinary windows, or back into the ordinary layer, without remapping it.
void setWindowLayer(QWidget* window, bool above, bool below);

// Brings a window in front of the others without giving it the keyboard
// focus, and sends the request at once: a raise alone may wait in the
// connection's buffer until something else is sent.
void raiseWithoutFocus(QWidget* window);

// True when the X server named by $DISPLAY answers. Checked before the
// application object is made: Qt's xcb platform aborts without one.
bool x11DisplayReachable();

// For a program started without a display: one line on standard error and
// the exit code, when Qt would run on xcb and no X server answers; 0 when
// the program can go on.
int refuseWithoutX11Display(const char* program);

// True when the window currently carries both states (tests, diagnostics).
bool isKeptOutOfTaskbar(QWidget* window);

} // namespace kova
