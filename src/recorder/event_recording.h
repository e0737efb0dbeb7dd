#pragma once
#include <string>
#include "tasks/program_context.h"

// Appends one event to the pending task file and sounds the cue.
// type is the event type text: "0" left, "1" left double, "2" right, "3" right double.
void RecordEvent(Context& context, const std::string& type);

// The hotkey actions of F6, F7, F8 and F9.
void RecordLeftClick(Context& context);
void RecordLeftDoubleClick(Context& context);
void RecordRightClick(Context& context);
void RecordRightDoubleClick(Context& context);
