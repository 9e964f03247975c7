#pragma once

class QWidget;

namespace kova {

// Keeps a window out of the task bar and the pager (_NET_WM_STATE_SKIP_TASKBAR,
// _NET_WM_STATE_SKIP_PAGER). The window manager drops these whenever the X
// window is withdrawn or recreated, so call it again on QEvent::WinIdChange
// and before each show. Does nothing off X11.
void keepOutOfTaskbar(QWidget* window);

// True when the window currently carries both states (tests, diagnostics).
bool isKeptOutOfTaskbar(QWidget* window);

} // namespace kova
