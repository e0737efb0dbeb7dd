#pragma once
#include <windows.h>

struct Context;
class Win32MainView;

// Creates the main window with all its controls and runs its creation handler; the window is
// not shown yet. Null when it cannot be created.
HWND CreateMainWindow(Context& context, Win32MainView& view);
