#pragma once

struct Context;

// The main window is being destroyed: stop a recording that may run and end the process.
void OnMainWindowDestroy(Context& context);
// Runs the end routines once, releases what the window system holds and ends the process.
[[noreturn]] void EndProgram(int exitCode);
// Releases the program-wide texts and the hotkey table; runs exactly once.
void ExitCleanup();
