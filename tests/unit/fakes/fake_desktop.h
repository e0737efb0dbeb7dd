#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "services/desktop.h"

// A pointer on a bounded virtual screen, a scripted Caps Lock and a clock that moves only
// when the logic sleeps (or a test advances it).
class FakeDesktop : public Desktop {
 public:
  struct Click {
    int x, y, type;
    bool operator==(const Click&) const = default;
  };

  // Primary monitor at (0, 0); the virtual screen may reach beyond it.
  int screenWidth = 1920;
  int screenHeight = 1080;
  ScreenRect virtualScreen{0, 0, 1920, 1080};
  // When given, a step that would leave every monitor does not move that axis, as Windows keeps
  // the pointer out of the gaps of a virtual screen made of monitors of different sizes.
  std::vector<ScreenRect> monitors;

  int pointerX = 0;
  int pointerY = 0;
  bool capsLock = false;

  std::vector<Click> clicks;
  std::vector<int> keysPressed;
  std::vector<int> sleeps;
  int steps = 0;
  int capsQueries = 0;
  int reapplies = 0;
  int beeps = 0;
  int cues = 0;

  std::uint32_t uptime = 1000;
  std::uint64_t monotonic = 50000;

  // Scripting: called after the operation has taken effect, with its 1-based call number.
  std::function<void(int)> onStep;
  std::function<void(int)> onClick;
  std::function<void(int)> onCapsQuery;  // before the answer is given

  void Advance(std::uint64_t ms);

  int GetPointerX() override { return pointerX; }
  int GetPointerY() override { return pointerY; }
  int GetScreenWidth() override { return screenWidth; }
  int GetScreenHeight() override { return screenHeight; }
  ScreenRect VirtualScreen() override { return virtualScreen; }
  void StepPointer(int dx, int dy) override;
  void SimulateClick(int x, int y, int type) override;
  void ReapplyPointer() override { ++reapplies; }
  int IsCapsLockOn() override;
  void PressKey(int virtualKey) override;
  void SleepMs(int ms) override;
  void PlayDefaultBeep() override { ++beeps; }
  void PlayRecordingCue() override { ++cues; }
  std::uint32_t UptimeMs() override { return uptime; }
  std::uint64_t MonotonicMs() override { return monotonic; }

 private:
  bool OnSomeMonitor(int x, int y) const;
};
