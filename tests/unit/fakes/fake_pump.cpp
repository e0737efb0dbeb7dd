#include "fakes/fake_pump.h"

#include <algorithm>

void FakePump::ProcessPendingEvents() {
  ++processCalls;
  const int call = processCalls;
  // Hotkey messages left in the queue are dispatched here, to a window that ignores them.
  queuedHotkeys.clear();
  if (onEveryProcess) onEveryProcess();
  auto nested = atProcessCall.find(call);
  if (nested != atProcessCall.end()) {
    std::function<void()> handler = std::move(nested->second);
    atProcessCall.erase(nested);
    handler();
  }
}

void FakePump::WaitForMessage() {
  ++waits;
  if (!wakeUps.empty()) {
    std::function<void()> step = std::move(wakeUps.front());
    wakeUps.pop_front();
    step();
  } else if (whenIdle) {
    whenIdle();
  }
}

bool FakePump::TakeHotkeyMessage(WindowHandle owner, int* id) {
  auto it = std::find_if(queuedHotkeys.begin(), queuedHotkeys.end(),
                         [&](const auto& message) { return message.first == owner; });
  if (it == queuedHotkeys.end()) return false;
  *id = it->second;
  queuedHotkeys.erase(it);
  return true;
}

int FakePump::RegisterHotkey(WindowHandle owner, int id, unsigned modifiers, unsigned virtualKey) {
  attempts.push_back({owner, id, modifiers, virtualKey});
  const auto keys = std::make_pair(modifiers, virtualKey);
  if (heldElsewhere.count(keys) != 0) return 0;
  for (const auto& [otherId, other] : registered) {
    if (other.modifiers == modifiers && other.virtualKey == virtualKey) return 0;
  }
  if (registered.count(id) != 0) return 0;
  registered[id] = {owner, id, modifiers, virtualKey};
  return 1;
}

void FakePump::UnregisterHotkey(WindowHandle owner, int id) {
  unregistered.push_back(id);
  auto it = registered.find(id);
  if (it != registered.end() && it->second.owner == owner) registered.erase(it);
}
