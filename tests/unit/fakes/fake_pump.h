#pragma once
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "services/event_pump.h"

// The message queue of a recording or a run: scripted wake-ups, hotkeys that behave like
// RegisterHotKey, and nested handlers run at a chosen ProcessPendingEvents call.
class FakePump : public EventPump {
 public:
  struct Registration {
    WindowHandle owner;
    int id;
    unsigned modifiers;
    unsigned virtualKey;
    bool operator==(const Registration&) const = default;
  };

  // ProcessPendingEvents
  int processCalls = 0;
  std::map<int, std::function<void()>> atProcessCall;  // run inside the k-th call
  std::function<void()> onEveryProcess;                 // e.g. the time a dispatch costs

  // WaitForMessage: the k-th wake-up runs the k-th script step (deliver a hotkey, click a
  // button...); once the script is used up, whenIdle runs (a test ends the recording there).
  int waits = 0;
  std::deque<std::function<void()>> wakeUps;
  std::function<void()> whenIdle;

  // Queues a WM_HOTKEY for the owner window.
  void PostHotkey(WindowHandle owner, int id) { queuedHotkeys.emplace_back(owner, id); }
  std::deque<std::pair<WindowHandle, int>> queuedHotkeys;

  // Hotkeys: (modifiers, key) pairs taken by another program, then the ones registered here.
  std::set<std::pair<unsigned, unsigned>> heldElsewhere;
  std::map<int, Registration> registered;   // by id
  std::vector<Registration> attempts;        // every RegisterHotkey call, in order
  std::vector<int> unregistered;             // every UnregisterHotkey id, in order

  void ProcessPendingEvents() override;
  // Hotkeys posted by the handlers run here stay queued in either call, so both act alike.
  void ProcessPendingEventsKeepingNewHotkeys(WindowHandle) override { ProcessPendingEvents(); }
  void WaitForMessage() override;
  bool TakeHotkeyMessage(WindowHandle owner, int* id) override;
  int RegisterHotkey(WindowHandle owner, int id, unsigned modifiers, unsigned virtualKey) override;
  void UnregisterHotkey(WindowHandle owner, int id) override;
};
