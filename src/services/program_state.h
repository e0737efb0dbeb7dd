#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "services/window_handle.h"

struct Context;
using HotkeyAction = void (*)(Context&);

// The program-wide state. Touched only on the GUI thread.
struct ProgramState {
  std::string RunDirectory;
  std::vector<HotkeyAction> HotkeyActionTable;  // entry k is the action of hotkey id k + 1
  WindowHandle HotkeyOwnerWindow = 0;
  std::int32_t RecordingStopped = 0;
  std::int32_t PlaybackStopRequested = 0;
  std::int32_t NextEventNumber = 0;
  std::int32_t LastEventTime = 0;
  std::string PendingTaskPath;
};
