#pragma once
#include "services/window_handle.h"

// The GUI thread's message queue, as the long-running loops use it.
class EventPump {
 public:
  virtual ~EventPump() = default;

  // Dispatches every message already queued and returns; never waits; leaves WM_QUIT queued.
  virtual void ProcessPendingEvents() = 0;
  // The recording loop's dispatch: as ProcessPendingEvents, except that hotkey messages for owner
  // stay queued for the next TakeHotkeyMessage, so that a press is not lost to a timer tick or a
  // repaint that happened to be dispatched when it came.
  virtual void ProcessPendingEventsKeepingNewHotkeys(WindowHandle owner) = 0;
  // Sleeps until a new message arrives in the queue.
  virtual void WaitForMessage() = 0;
  // Takes at most one hotkey message addressed to owner; gives its id. Others queued for owner
  // at that moment are discarded: a turn of the recording loop acts on one press.
  virtual bool TakeHotkeyMessage(WindowHandle owner, int* id) = 0;
  // Non-zero when the hotkey was registered.
  virtual int RegisterHotkey(WindowHandle owner, int id, unsigned modifiers, unsigned virtualKey) = 0;
  virtual void UnregisterHotkey(WindowHandle owner, int id) = 0;
};
