#include "services/win32/win32_desktop.h"

#include <mmsystem.h>

#include <algorithm>

#include "services/win32/recording_cue.h"

Win32Desktop::Win32Desktop() {
  QueryPerformanceFrequency(&frequency_);
  // Sleep's default granularity (about 15.6 ms) would make every 100 ms slice late.
  timeBeginPeriod(1);
}

Win32Desktop::~Win32Desktop() { timeEndPeriod(1); }

POINT Win32Desktop::ReadPointer() {
  POINT p;
  if (GetCursorPos(&p)) lastPointer_ = p;
  return lastPointer_;
}

int Win32Desktop::GetPointerX() { return ReadPointer().x; }
int Win32Desktop::GetPointerY() { return ReadPointer().y; }
int Win32Desktop::GetScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int Win32Desktop::GetScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

ScreenRect Win32Desktop::VirtualScreen() {
  ScreenRect r;
  r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  return r;
}

void Win32Desktop::StepPointer(int dx, int dy) {
  // A relative mouse_event is scaled by the user's pointer speed and acceleration, so it can
  // move no pixel or several; setting the position moves exactly one pixel per axis.
  POINT p = ReadPointer();
  ScreenRect screen = VirtualScreen();
  int x = std::clamp(static_cast<int>(p.x) + std::clamp(dx, -1, 1), screen.left, screen.right - 1);
  int y = std::clamp(static_cast<int>(p.y) + std::clamp(dy, -1, 1), screen.top, screen.bottom - 1);
  SetCursorPos(x, y);
}

namespace {

// Absolute input coordinates over the virtual screen, 0..65535; rounding up makes the system's
// truncating conversion land on the pixel itself.
DWORD Normalised(int value, int origin, int extent) {
  if (extent <= 0) return 0;
  long long scaled = (static_cast<long long>(value - origin) * 65536 + extent - 1) / extent;
  return static_cast<DWORD>(std::clamp(scaled, 0LL, 65535LL));
}

}  // namespace

void Win32Desktop::SimulateClick(int x, int y, int type) {
  SetCursorPos(x, y);
  // Each button event carries the position as well. A bare button event acts wherever the
  // pointer is when the system takes it, and a move can come in between: the user's hand, or
  // under Wine the motion that other programs' windows report for our own pointer warps,
  // which put clicks after a glide up to some twenty pixels back along its path.
  const ScreenRect screen = VirtualScreen();
  const DWORD ax = Normalised(x, screen.left, screen.right - screen.left);
  const DWORD ay = Normalised(y, screen.top, screen.bottom - screen.top);
  const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
  int clicks = 1;
  switch (type) {
    case 1: clicks = 2; break;
    case 2: down = MOUSEEVENTF_RIGHTDOWN; up = MOUSEEVENTF_RIGHTUP; break;
    case 3: down = MOUSEEVENTF_RIGHTDOWN; up = MOUSEEVENTF_RIGHTUP; clicks = 2; break;
    default: break;
  }
  for (int i = 0; i < clicks; ++i) {
    mouse_event(at | down, ax, ay, 0, 0);
    mouse_event(at | up, ax, ay, 0, 0);
  }
}

void Win32Desktop::ReapplyPointer() {
  POINT p;
  if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
}

int Win32Desktop::IsCapsLockOn() {
  // A thread's key state follows the key messages it takes itself, and the clicks of a task give
  // other windows the keyboard. GetKeyState brings the state up to date for a thread that takes
  // no key messages; GetKeyboardState alone would keep the toggle of the last one it took.
  // (Attaching to the foreground thread's input instead clears the shared key state under Wine.)
  GetKeyState(VK_CAPITAL);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  return keys[VK_CAPITAL] & 1;
}

void Win32Desktop::PressKey(int virtualKey) {
  keybd_event(static_cast<BYTE>(virtualKey), 0, 0, 0);
  keybd_event(static_cast<BYTE>(virtualKey), 0, KEYEVENTF_KEYUP, 0);
}

void Win32Desktop::SleepMs(int ms) { Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms)); }

void Win32Desktop::PlayDefaultBeep() { MessageBeep(MB_OK); }

void Win32Desktop::PlayRecordingCue() { StartRecordingCue(); }

std::uint32_t Win32Desktop::UptimeMs() { return GetTickCount(); }

std::uint64_t Win32Desktop::MonotonicMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<std::uint64_t>(now.QuadPart) * 1000u /
         static_cast<std::uint64_t>(frequency_.QuadPart);
}
