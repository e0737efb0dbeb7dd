#pragma once
#include <windows.h>

#include "services/desktop.h"

class Win32Desktop : public Desktop {
 public:
  Win32Desktop();
  ~Win32Desktop() override;

  int GetPointerX() override;
  int GetPointerY() override;
  int GetScreenWidth() override;
  int GetScreenHeight() override;
  ScreenRect VirtualScreen() override;
  void StepPointer(int dx, int dy) override;
  void SimulateClick(int x, int y, int type) override;
  void ReapplyPointer() override;
  int IsCapsLockOn() override;
  void PressKey(int virtualKey) override;
  void SleepMs(int ms) override;
  void PlayDefaultBeep() override;
  void PlayRecordingCue() override;
  std::uint32_t UptimeMs() override;
  std::uint64_t MonotonicMs() override;

 private:
  POINT ReadPointer();
  POINT lastPointer_{0, 0};  // what the pointer reads give while GetCursorPos fails
  LARGE_INTEGER frequency_{};
};
