#pragma once

// Asks a top-level window of the X display to close, as the system's close command does (a window
// manager's close box or Alt+F4): the WM_DELETE_WINDOW message, sent to the window itself, so that
// no window manager is needed. False when the display cannot be reached.
bool SystemClose(unsigned long window);
