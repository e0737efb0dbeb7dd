#include "fakes/fake_desktop.h"

#include <algorithm>

namespace {
int Sign(int v) { return (v > 0) - (v < 0); }
}  // namespace

void FakeDesktop::Advance(std::uint64_t ms) {
  uptime += static_cast<std::uint32_t>(ms);
  monotonic += ms;
}

bool FakeDesktop::OnSomeMonitor(int x, int y) const {
  if (monitors.empty()) return true;
  return std::any_of(monitors.begin(), monitors.end(), [&](const ScreenRect& m) {
    return x >= m.left && x < m.right && y >= m.top && y < m.bottom;
  });
}

void FakeDesktop::StepPointer(int dx, int dy) {
  const int x = std::clamp(pointerX + Sign(dx), virtualScreen.left, virtualScreen.right - 1);
  if (OnSomeMonitor(x, pointerY)) pointerX = x;
  const int y = std::clamp(pointerY + Sign(dy), virtualScreen.top, virtualScreen.bottom - 1);
  if (OnSomeMonitor(pointerX, y)) pointerY = y;
  ++steps;
  if (onStep) onStep(steps);
}

void FakeDesktop::SimulateClick(int x, int y, int type) {
  pointerX = std::clamp(x, virtualScreen.left, virtualScreen.right - 1);
  pointerY = std::clamp(y, virtualScreen.top, virtualScreen.bottom - 1);
  clicks.push_back({x, y, type});
  if (onClick) onClick(static_cast<int>(clicks.size()));
}

int FakeDesktop::IsCapsLockOn() {
  ++capsQueries;
  if (onCapsQuery) onCapsQuery(capsQueries);
  return capsLock ? 1 : 0;
}

void FakeDesktop::PressKey(int virtualKey) {
  keysPressed.push_back(virtualKey);
  if (virtualKey == 20) capsLock = !capsLock;
}

void FakeDesktop::SleepMs(int ms) {
  sleeps.push_back(ms);
  Advance(static_cast<std::uint64_t>(std::max(ms, 0)));
}
