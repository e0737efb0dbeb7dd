// click_target.exe LOGFILE [LEFT TOP WIDTH HEIGHT]: a plain window (the whole primary screen
// unless told otherwise) that writes one line per mouse button message it receives, with the
// screen position and the performance-counter time in milliseconds, and takes the keyboard
// focus when it starts. Lines: "ready <hwnd> <left> <top> <right> <bottom> <t>",
// "<message> <x> <y> <t> <message time>", "focus <t>", "unfocus <t>", "keydown <vk> <t>",
// "keyup <vk> <t>". The message time (GetMessageTime, ms) is when the input was generated, so it
// leaves out how late this window got to the message.
#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

double NowMs() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

void Log(const char* line, const char* tail = "") {
  char stamped[256];
  int n = std::snprintf(stamped, sizeof stamped, "%s %.3f%s\n", line, NowMs(), tail);
  DWORD written = 0;
  WriteFile(g_log, stamped, static_cast<DWORD>(n), &written, nullptr);
}

const char* ButtonMessageName(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_RBUTTONDBLCLK: return "WM_RBUTTONDBLCLK";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_MBUTTONDBLCLK: return "WM_MBUTTONDBLCLK";
    default: return nullptr;
  }
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // A 100-pixel grid, so that a screenshot shows where clicks should land.
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 200, 230));
  HGDIOBJ old = SelectObject(dc, pen);
  for (int x = 0; x < client.right; x += 100) {
    MoveToEx(dc, x, 0, nullptr);
    LineTo(dc, x, client.bottom);
  }
  for (int y = 0; y < client.bottom; y += 100) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, client.right, y);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
  EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (const char* name = ButtonMessageName(msg)) {
    POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    ClientToScreen(window, &p);
    char line[128];
    std::snprintf(line, sizeof line, "%s %ld %ld", name, p.x, p.y);
    char tail[32];
    std::snprintf(tail, sizeof tail, " %lu", static_cast<unsigned long>(GetMessageTime()));
    Log(line, tail);
    return 0;
  }
  switch (msg) {
    case WM_SETFOCUS: Log("focus"); return 0;
    case WM_KILLFOCUS: Log("unfocus"); return 0;
    case WM_KEYDOWN:
    case WM_KEYUP: {
      char line[64];
      std::snprintf(line, sizeof line, "%s %u", msg == WM_KEYDOWN ? "keydown" : "keyup", static_cast<unsigned>(wparam));
      Log(line);
      return 0;
    }
    case WM_PAINT: Paint(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, msg, wparam, lparam);
  }
}

void MakeDpiAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  auto set_context = reinterpret_cast<SetContextFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (!set_context || !set_context(reinterpret_cast<HANDLE>(-4) /* PER_MONITOR_AWARE_V2 */)) SetProcessDPIAware();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2) return 2;
  g_log = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_log == INVALID_HANDLE_VALUE) return 3;
  MakeDpiAware();

  int left = 0, top = 0;
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  if (argc >= 6) {
    left = _wtoi(argv[2]);
    top = _wtoi(argv[3]);
    width = _wtoi(argv[4]);
    height = _wtoi(argv[5]);
  }

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"ZelvornClickTarget";
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"Zelvorn E2E Click Target", WS_POPUP, left, top, width, height,
                                nullptr, nullptr, instance, nullptr);
  if (!window) return 4;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(window);
  UpdateWindow(window);

  RECT r;
  GetWindowRect(window, &r);
  char line[128];
  std::snprintf(line, sizeof line, "ready %lld %ld %ld %ld %ld", static_cast<long long>(reinterpret_cast<intptr_t>(window)),
                r.left, r.top, r.right, r.bottom);
  Log(line);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CloseHandle(g_log);
  return 0;
}
