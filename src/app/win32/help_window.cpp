#include "app/win32/help_window.h"

#include <windows.h>

#include "app/help_text.h"
#include "app/win32/modal.h"
#include "app/win32/window_procedure.h"
#include "resource_ids.h"
#include "services/main_view.h"
#include "services/win32/wide_text.h"

namespace {

constexpr int kWidth = 400;  // outer size at 96 DPI
constexpr int kHeight = 250;
constexpr int kIconSide = 128;
constexpr int 编辑框1Id = 100;
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr wchar_t kClassName[] = L"ZelvornHelp";

class HelpWindow {
 public:
  void Show();

 private:
  static void RegisterClassOnce();
  friend LRESULT CALLBACK MemberWindowProcedure<HelpWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void OnHelpWindowCreated();
  void FitTo(UINT dpi);
  void ApplyFont(UINT dpi);
  void Release();

  HWND window_ = nullptr;
  HWND 编辑框1 = nullptr;
  HFONT font_ = nullptr;
  HICON largeIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
};

void HelpWindow::RegisterClassOnce() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MemberWindowProcedure<HelpWindow>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
  }();
  (void)atom;
}

void HelpWindow::Show() {
  RegisterClassOnce();
  const UINT dpi = GetDpiForSystem();
  const int width = MulDiv(kWidth, dpi, 96);
  const int height = MulDiv(kHeight, dpi, 96);
  CreateWindowExW(0, kClassName, L"帮助", kFrameStyle,
                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                  ProgramOwnerWindow(), nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return;
  FitTo(GetDpiForWindow(window_));  // the primary monitor may differ from the system DPI
  // The loops then let the dialog manager see Esc: it closes the window even from the text box.
  EnableDialogNavigation(window_);
  RunModal(window_);
}

LRESULT HelpWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      OnHelpWindowCreated();
      return 0;
    case WM_SIZE:
      if (编辑框1) MoveWindow(编辑框1, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (编辑框1) SetFocus(编辑框1);
      return 0;
    case WM_CTLCOLORSTATIC:  // a read-only edit box asks here and would be grey
      if (reinterpret_cast<HWND>(lParam) == 编辑框1) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) PostMessageW(window_, WM_CLOSE, 0, 0);  // Esc
      return 0;
    case WM_CLOSE:
      EndModal(window_);
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyFont(HIWORD(wParam));
      return 0;
    }
    case WM_NCDESTROY: {
      HWND window = window_;
      Release();
      return DefWindowProcW(window, message, wParam, lParam);
    }
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void HelpWindow::OnCreate() {
  RECT client{};
  GetClientRect(window_, &client);
  编辑框1 = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"EDIT", L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN |
          ES_READONLY,
      0, 0, client.right, client.bottom, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(编辑框1Id)), GetModuleHandleW(nullptr),
      nullptr);
  ApplyFont(GetDpiForWindow(window_));
}

void HelpWindow::OnHelpWindowCreated() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const UINT dpi = GetDpiForWindow(window_);
  const int smallSide = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
  // One 128 x 128 image; the small icon is that image scaled once here.
  largeIcon_ = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, kIconSide, kIconSide, 0));
  smallIcon_ = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, smallSide, smallSide, 0));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

  SetWindowTextOf(编辑框1, HelpText());
  SendMessageW(编辑框1, EM_SETSEL, 0, 0);  // the start of the text in view
  SendMessageW(编辑框1, EM_SCROLLCARET, 0, 0);
}

// Outer size for the DPI of the monitor, centred on the primary screen.
void HelpWindow::FitTo(UINT dpi) {
  const int width = MulDiv(kWidth, dpi, 96);
  const int height = MulDiv(kHeight, dpi, 96);
  RECT now{};
  GetWindowRect(window_, &now);
  if (now.right - now.left == width && now.bottom - now.top == height) return;
  SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyFont(dpi);
}

void HelpWindow::ApplyFont(UINT dpi) {
  LOGFONTW face{};
  face.lfHeight = -MulDiv(12, dpi, 96);
  face.lfWeight = FW_NORMAL;
  face.lfCharSet = GB2312_CHARSET;
  face.lfOutPrecision = OUT_STRING_PRECIS;
  face.lfClipPrecision = CLIP_STROKE_PRECIS;
  face.lfQuality = DRAFT_QUALITY;
  face.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynW(face.lfFaceName, L"Fixedsys", LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&face);
  if (!font) return;
  SendMessageW(编辑框1, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (font_) DeleteObject(font_);
  font_ = font;
}

void HelpWindow::Release() {
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  if (font_) DeleteObject(font_);
  if (largeIcon_) DestroyIcon(largeIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  font_ = nullptr;
  largeIcon_ = smallIcon_ = nullptr;
  window_ = 编辑框1 = nullptr;
}

}  // namespace

void ShowHelp(MainView& view) {
  view.SetAlwaysOnTop(false);
  HelpWindow help;
  help.Show();
  view.SetAlwaysOnTop(true);
}
