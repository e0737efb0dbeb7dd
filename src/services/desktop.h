#pragma once
#include <cstdint>

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// Reads and drives the desktop: the pointer, synthesised clicks, Caps Lock, time and sounds.
// Positions are physical pixels of the virtual screen.
class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual int GetPointerX() = 0;
  virtual int GetPointerY() = 0;
  virtual int GetScreenWidth() = 0;   // primary monitor
  virtual int GetScreenHeight() = 0;
  virtual ScreenRect VirtualScreen() = 0;  // all monitors together
  // Moves the pointer by exactly one pixel on each axis given (-1, 0, +1), kept on the virtual screen.
  virtual void StepPointer(int dx, int dy) = 0;
  // Event types: 0 left, 1 left double, 2 right, 3 right double; any other value acts as 0.
  virtual void SimulateClick(int x, int y, int type) = 0;
  virtual void ReapplyPointer() = 0;
  virtual int IsCapsLockOn() = 0;     // 0 or 1
  virtual void PressKey(int virtualKey) = 0;
  virtual void SleepMs(int ms) = 0;   // negative counts as 0
  virtual void PlayDefaultBeep() = 0;
  virtual void PlayRecordingCue() = 0;  // returns at once; cues may overlap

  // GetTickCount: milliseconds of uptime, wrapping at 2^32.
  virtual std::uint32_t UptimeMs() = 0;
  // A fine monotonic clock for waits that must not drift.
  virtual std::uint64_t MonotonicMs() = 0;
};
