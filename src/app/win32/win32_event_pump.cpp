#include "app/win32/win32_event_pump.h"

#include <windows.h>

#include <vector>

#include "app/win32/modal.h"

namespace {
HWND AsWindow(WindowHandle w) { return reinterpret_cast<HWND>(w); }
}  // namespace

void Win32EventPump::ProcessPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == WM_QUIT) return;  // the loop that owns the thread must see it
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) return;
    if (!PreTranslateProgramMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

void Win32EventPump::ProcessPendingEventsKeepingNewHotkeys(WindowHandle owner) {
  HWND window = AsWindow(owner);
  MSG message;
  std::vector<MSG> arrived;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == WM_QUIT) break;
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
    if (message.message == WM_HOTKEY && message.hwnd == window) {
      arrived.push_back(message);
      continue;
    }
    if (!PreTranslateProgramMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // Posted anew, they also wake the loop's next WaitMessage.
  for (const MSG& hotkey : arrived) PostMessageW(hotkey.hwnd, WM_HOTKEY, hotkey.wParam, hotkey.lParam);
}

void Win32EventPump::WaitForMessage() { WaitMessage(); }

bool Win32EventPump::TakeHotkeyMessage(WindowHandle owner, int* id) {
  MSG message{};
  if (!PeekMessageW(&message, AsWindow(owner), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) return false;
  if (message.message != WM_HOTKEY) return false;
  *id = static_cast<int>(message.wParam);
  // A turn acts on one press: a second one queued already has no effect.
  MSG other;
  while (PeekMessageW(&other, AsWindow(owner), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
  }
  return true;
}

int Win32EventPump::RegisterHotkey(WindowHandle owner, int id, unsigned modifiers,
                                   unsigned virtualKey) {
  return RegisterHotKey(AsWindow(owner), id, modifiers, virtualKey);
}

void Win32EventPump::UnregisterHotkey(WindowHandle owner, int id) {
  UnregisterHotKey(AsWindow(owner), id);
}
