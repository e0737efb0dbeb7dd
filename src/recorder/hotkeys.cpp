#include "recorder/hotkeys.h"

#include <cstdint>
#include <cstdio>

#include "recorder/event_recording.h"

namespace {

struct RecordingKey {
  unsigned virtualKey;
  HotkeyAction action;
};

constexpr RecordingKey kRecordingKeys[] = {
    {117, RecordLeftClick},         // F6
    {118, RecordLeftDoubleClick},   // F7
    {119, RecordRightClick},        // F8
    {120, RecordRightDoubleClick},  // F9
};

std::string HexTempName(std::uint32_t n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%x.tmp", static_cast<unsigned>(n));
  return buffer;
}

}  // namespace

void StartRecording(Context& context) {
  MainView& view = context.view;
  view.PlaceAt(context.desktop.GetScreenWidth() - view.Scale(400),
               context.desktop.GetScreenHeight() - view.Scale(296));
  view.ShowPage(1);
  context.state.PendingTaskPath = NewTemporaryFileName(context);
  context.state.NextEventNumber = 1;
  for (const RecordingKey& key : kRecordingKeys) {
    RegisterRecordingHotkey(context, view.Handle(), 0, key.virtualKey, key.action);
  }
  RunHotkeyLoop(context);
  // A run frozen beneath this recording must not resume playing.
  context.state.PlaybackStopRequested = 1;
}

int RegisterRecordingHotkey(Context& context, WindowHandle window, unsigned modifiers,
                            unsigned virtualKey, HotkeyAction action) {
  ProgramState& state = context.state;
  state.RecordingStopped = 0;
  state.HotkeyOwnerWindow = window;
  const int id = static_cast<int>(state.HotkeyActionTable.size()) + 1;
  const int registered = context.pump.RegisterHotkey(window, id, modifiers, virtualKey);
  if (registered == 0) return 0;
  state.HotkeyActionTable.push_back(action);
  return registered;
}

void RunHotkeyLoop(Context& context) {
  ProgramState& state = context.state;
  while (state.RecordingStopped == 0) {
    context.pump.WaitForMessage();
    int id = 0;
    if (context.pump.TakeHotkeyMessage(state.HotkeyOwnerWindow, &id)) {
      // Ids outside the table can only come from another program posting to our window.
      if (id >= 1 && static_cast<std::size_t>(id) <= state.HotkeyActionTable.size()) {
        HotkeyAction action = state.HotkeyActionTable[static_cast<std::size_t>(id) - 1];
        action(context);
      }
    }
    context.pump.ProcessPendingEventsKeepingNewHotkeys(state.HotkeyOwnerWindow);
  }
}

void StopRecording(Context& context) {
  ProgramState& state = context.state;
  state.RecordingStopped = 1;
  const std::size_t count = state.HotkeyActionTable.size();
  for (std::size_t id = 1; id <= count; ++id) {
    context.pump.UnregisterHotkey(state.HotkeyOwnerWindow, static_cast<int>(id));
  }
}

std::string NewTemporaryFileName(Context& context) {
  static std::uint32_t callCounter = 0;
  const std::string directory = context.files.TempDirectory();
  std::uint32_t n = context.desktop.UptimeMs() + callCounter;
  ++callCounter;
  const std::uint32_t first = n;
  std::string candidate = directory + HexTempName(n);
  // Stepping wraps at 2^32; stop after a full circle rather than spin for ever.
  while (context.files.Exists(candidate)) {
    ++n;
    if (n == first) break;
    candidate = directory + HexTempName(n);
  }
  return candidate;
}
