#pragma once
#include "services/event_pump.h"

class Win32EventPump : public EventPump {
 public:
  void ProcessPendingEvents() override;
  void ProcessPendingEventsKeepingNewHotkeys(WindowHandle owner) override;
  void WaitForMessage() override;
  bool TakeHotkeyMessage(WindowHandle owner, int* id) override;
  int RegisterHotkey(WindowHandle owner, int id, unsigned modifiers, unsigned virtualKey) override;
  void UnregisterHotkey(WindowHandle owner, int id) override;
};
