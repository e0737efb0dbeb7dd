#include "app/win32/splash_window.h"

#include <windows.h>

#include "app/win32/modal.h"
#include "app/win32/window_procedure.h"
#include "app/win32/picture.h"
#include "resource_ids.h"
#include "services/main_view.h"
#include "services/text.h"

namespace {

constexpr int kWidth = 400;  // at 96 DPI
constexpr int kHeight = 240;
constexpr UINT_PTR 时钟1 = 1;
constexpr int kSplashPeriodMs = 3000;
constexpr wchar_t kClassName[] = L"ZelvornSplash";

std::string& SplashTag() {
  static std::string tag;
  return tag;
}

class SplashWindow {
 public:
  void Show();

 private:
  static void RegisterClassOnce();
  friend LRESULT CALLBACK MemberWindowProcedure<SplashWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnSplashCreated();
  void CloseSplash();
  void SetClockPeriod(int ms);
  void FitTo(UINT dpi);
  void Paint();

  HWND window_ = nullptr;
  HBITMAP picture_ = nullptr;
  int clockPeriod_ = 0;
  bool closeRequested_ = false;
};

void SplashWindow::RegisterClassOnce() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MemberWindowProcedure<SplashWindow>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
  }();
  (void)atom;
}

void SplashWindow::Show() {
  RegisterClassOnce();
  const UINT dpi = GetDpiForSystem();
  const int width = MulDiv(kWidth, dpi, 96);
  const int height = MulDiv(kHeight, dpi, 96);
  CreateWindowExW(0, kClassName, L"", WS_POPUP, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                  ProgramOwnerWindow(), nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return;
  FitTo(GetDpiForWindow(window_));  // the primary monitor may differ from the system DPI
  RunModal(window_);
}

LRESULT SplashWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnSplashCreated();
      return 0;
    case WM_TIMER:
      if (wParam == 时钟1) CloseSplash();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      CloseSplash();
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) CloseSplash();
      return 0;
    case WM_CLOSE:
      SetClockPeriod(0);
      EndModal(window_);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the picture covers everything
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DPICHANGED:
      FitTo(HIWORD(wParam));  // stays centred on the primary screen
      return 0;
    case WM_NCDESTROY: {
      if (picture_) DeleteObject(picture_);
      picture_ = nullptr;
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      HWND window = window_;
      window_ = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    }
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void SplashWindow::OnSplashCreated() {
  SetClockPeriod(CompareTexts(SplashTag(), "关于") != 0 ? kSplashPeriodMs : 0);
}

void SplashWindow::CloseSplash() {
  // Posted, so the close waits for the running handler; one request is enough.
  if (closeRequested_) return;
  closeRequested_ = true;
  PostMessageW(window_, WM_CLOSE, 0, 0);
}

void SplashWindow::SetClockPeriod(int ms) {
  if (ms < 0) ms = 0;
  if (ms == clockPeriod_) return;
  clockPeriod_ = ms;
  if (ms > 0)
    SetTimer(window_, 时钟1, static_cast<UINT>(ms), nullptr);
  else
    KillTimer(window_, 时钟1);
}

// Size, place and picture for the monitor's DPI: centred on the primary screen.
void SplashWindow::FitTo(UINT dpi) {
  const int width = MulDiv(kWidth, dpi, 96);
  const int height = MulDiv(kHeight, dpi, 96);
  RECT now{};
  GetWindowRect(window_, &now);
  if (now.right - now.left != width || now.bottom - now.top != height)
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (picture_) DeleteObject(picture_);
  picture_ = LoadJpegResource(IDR_SPLASH_JPEG, width, height);
  InvalidateRect(window_, nullptr, FALSE);
}

void SplashWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  RECT client;
  GetClientRect(window_, &client);
  HDC source = picture_ ? CreateCompatibleDC(dc) : nullptr;
  if (source) {
    HGDIOBJ old = SelectObject(source, picture_);
    BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  EndPaint(window_, &ps);
}

}  // namespace

void SetSplashTag(const std::string& tag) { SplashTag() = tag; }

void ShowSplash() {
  SplashWindow splash;
  splash.Show();
}

void ShowAbout(MainView& view) {
  SetSplashTag("关于");
  view.SetAlwaysOnTop(false);
  ShowSplash();
  view.SetAlwaysOnTop(true);
}
