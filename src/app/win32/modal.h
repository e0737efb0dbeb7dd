#pragma once
#include <windows.h>

// The invisible tool window that owns every top-level window, so none has a taskbar button.
HWND ProgramOwnerWindow();

// Windows whose keyboard navigation (Tab, Esc as IDCANCEL) the message loops apply.
void EnableDialogNavigation(HWND root);
// Lets the target's root window pre-translate a message; true when it was consumed.
bool PreTranslateProgramMessage(MSG& message);

// Shows an already created window and returns when it has been destroyed, dispatching the
// messages of every window meanwhile. The program's other top-level windows are disabled.
void RunModal(HWND window);
// Re-enables what RunModal disabled and destroys the window; use it to close a modal window.
void EndModal(HWND window);
