#pragma once
#include <string>
#include "tasks/program_context.h"

// A recording: F6..F9 become global hotkeys of the main window until StopRecording.

// Click handler of 录制; returns when the recording has ended.
void StartRecording(Context& context);
// Non-zero when the hotkey was registered; only then does the action get a table entry.
int RegisterRecordingHotkey(Context& context, WindowHandle window, unsigned modifiers,
                            unsigned virtualKey, HotkeyAction action);
// Dispatches hotkey presses until RecordingStopped is found set at the start of a turn.
void RunHotkeyLoop(Context& context);
// Safe at any time: releases every id this process has ever registered.
void StopRecording(Context& context);
// A free "<temp>\<hex>.tmp" path; the file itself is not created.
std::string NewTemporaryFileName(Context& context);
