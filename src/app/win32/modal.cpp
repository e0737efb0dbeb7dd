#include "app/win32/modal.h"

#include <algorithm>
#include <vector>

namespace {

struct ModalSession {
  HWND window;
  std::vector<HWND> disabled;
};

std::vector<ModalSession>& Sessions() {
  static std::vector<ModalSession> sessions;
  return sessions;
}

std::vector<HWND>& NavigableRoots() {
  static std::vector<HWND> roots;
  return roots;
}

BOOL CALLBACK DisableOthers(HWND window, LPARAM param) {
  auto* session = reinterpret_cast<ModalSession*>(param);
  if (window != session->window && window != ProgramOwnerWindow() && IsWindowVisible(window) &&
      IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    session->disabled.push_back(window);
  }
  return TRUE;
}

void ReenableFor(HWND window) {
  auto& sessions = Sessions();
  auto it = std::find_if(sessions.begin(), sessions.end(),
                         [window](const ModalSession& s) { return s.window == window; });
  if (it == sessions.end()) return;
  for (HWND w : it->disabled)
    if (IsWindow(w)) EnableWindow(w, TRUE);
  it->disabled.clear();
}

}  // namespace

HWND ProgramOwnerWindow() {
  static HWND owner = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZelvornOwner";
    RegisterClassExW(&wc);
    return CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0,
                           nullptr, nullptr, wc.hInstance, nullptr);
  }();
  return owner;
}

void EnableDialogNavigation(HWND root) { NavigableRoots().push_back(root); }

bool PreTranslateProgramMessage(MSG& message) {
  if (!message.hwnd) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  auto& roots = NavigableRoots();
  roots.erase(std::remove_if(roots.begin(), roots.end(), [](HWND w) { return !IsWindow(w); }),
              roots.end());
  if (std::find(roots.begin(), roots.end(), root) == roots.end()) return false;
  return IsDialogMessageW(root, &message) != 0;
}

void RunModal(HWND window) {
  if (!window) return;
  Sessions().push_back({window, {}});
  EnumThreadWindows(GetCurrentThreadId(), DisableOthers,
                    reinterpret_cast<LPARAM>(&Sessions().back()));
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG message;
  while (IsWindow(window)) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT belongs to the loop beneath
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    if (!PreTranslateProgramMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  ReenableFor(window);
  auto& sessions = Sessions();
  sessions.erase(std::remove_if(sessions.begin(), sessions.end(),
                                [window](const ModalSession& s) { return s.window == window; }),
                 sessions.end());
}

void EndModal(HWND window) {
  // Enable the others before the window goes, so activation returns to them.
  ReenableFor(window);
  DestroyWindow(window);
}
