#include "app/win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shellscalingapi.h>

#include <string>

#include "app/browser_command.h"
#include "app/home_page.h"
#include "app/win32/control_ids.h"
#include "app/win32/help_window.h"
#include "app/win32/main_layout.h"
#include "app/win32/modal.h"
#include "app/win32/picture.h"
#include "app/win32/program.h"
#include "app/win32/splash_window.h"
#include "app/win32/win32_main_view.h"
#include "player/playback_run.h"
#include "recorder/hotkeys.h"
#include "resource_ids.h"
#include "services/labels.h"
#include "services/text.h"
#include "services/win32/wide_text.h"
#include "tasks/task_library.h"

namespace {

constexpr wchar_t kMainClass[] = L"ZelvornMain";
constexpr wchar_t kPagesClass[] = L"ZelvornPages";
constexpr wchar_t kPictureClass[] = L"ZelvornPicture";
constexpr UINT_PTR kPointerTimer = 1;
constexpr UINT kFeedbackMessage = WM_APP + 0x75;
constexpr COLORREF kGroupCaptionBlue = RGB(0, 0, 255);

const char kRecordingNote[] =
    "    请将鼠标移动到指定位置，按下相应的快捷键，以录制鼠标事件。\r\n\r\n"
    "    点击［保存鼠标事件］按钮以保存本次录制。";
const char kHotkeyNote[] =
    "快捷键：\r\n\r\nF6：鼠标左键单击\r\nF7：鼠标左键双击\r\nF8：鼠标右键单击\r\nF9：鼠标右键双击";

struct MainWindow {
  Context* context = nullptr;
  Win32MainView* view = nullptr;
  HWND window = nullptr;
  HWND pages = nullptr;
  HWND banner = nullptr;
  HFONT font = nullptr;
  HBITMAP bannerPicture = nullptr;
  HCURSOR hand = nullptr;
  HBRUSH white = nullptr;
  int dpi = 96;
  int pagesTop = kPagesCreatedTop;
};

MainWindow g_main;

int Scaled(int value) { return MulDiv(value, g_main.dpi, 96); }

// --- control creation -------------------------------------------------------------------

HWND ParentFor(ParentKind kind) {
  switch (kind) {
    case ParentKind::Pages: return g_main.pages;
    case ParentKind::Banner: return g_main.banner;
    default: return g_main.window;
  }
}

HWND MakeControl(int id, const wchar_t* className, const char* text, DWORD style, DWORD exStyle = 0) {
  const ControlPlace* place = FindControlPlace(id);
  HWND parent = ParentFor(place->parent);
  bool hiddenPage = place->page > 0;
  DWORD visible = hiddenPage ? 0 : WS_VISIBLE;
  HWND control = CreateWindowExW(exStyle, className, Wide(text).c_str(),
                                 WS_CHILD | WS_CLIPSIBLINGS | visible | style,
                                 Scaled(place->x), Scaled(place->y), Scaled(place->width),
                                 Scaled(place->height), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_main.font), FALSE);
  return control;
}

HFONT MakeGuiFont(int dpi) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = MulDiv(font.lfHeight, dpi, static_cast<int>(GetDpiForSystem()));
  return CreateFontIndirectW(&font);
}

// Group boxes are drawn here: the system's drawing neither fills them nor takes a caption
// colour on every version and theme, and their captions are blue.
LRESULT CALLBACK GroupBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return DefSubclassProc(box, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(box, &paint);
  RECT client;
  GetClientRect(box, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT frame = client;
  frame.top += metrics.tmHeight / 2 - 1;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  int length = GetWindowTextLengthW(box);
  if (length > 0) {
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    length = GetWindowTextW(box, caption.data(), length + 1);
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), length, &extent);
    int x = client.left + Scaled(8);
    RECT behind{x - 2, client.top, x + extent.cx + 2, client.top + metrics.tmHeight};
    FillRect(dc, &behind, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kGroupCaptionBlue);
    TextOutW(dc, x, client.top, caption.c_str(), length);
  }
  SelectObject(dc, oldFont);
  EndPaint(box, &paint);
  return 0;
}

void PlainGroupBox(HWND box) { SetWindowSubclass(box, GroupBoxProc, 0, 0); }

LRESULT CALLBACK PassCountEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR) {
  if (message == WM_CHAR) {
    wchar_t c = static_cast<wchar_t>(wParam);
    bool accepted = c < 32 || c == L'-' || (c >= L'0' && c <= L'9');
    if (!accepted) return 0;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

LRESULT CALLBACK TaskListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (message == WM_RBUTTONDOWN) {
    OfferTaskCommands(*g_main.context);
    return 0;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

void OpenHomePage();

LRESULT CALLBACK StatusLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
  if (message == kFeedbackMessage) {
    OpenHomePage();
    return 0;
  }
  return DefSubclassProc(label, message, wParam, lParam);
}

void SetupSlider(int id, int maximum, int ticFrequency, int lineSize) {
  HWND slider = MakeControl(id, TRACKBAR_CLASSW, "",
                            WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | TBS_ENABLESELRANGE);
  // The empty selection 0..0 goes in while 0 is still inside the range: the control moves a
  // selection start below its minimum up to the minimum.
  SendMessageW(slider, TBM_SETSEL, FALSE, MAKELPARAM(0, 0));
  SendMessageW(slider, TBM_SETRANGEMIN, FALSE, 1);
  SendMessageW(slider, TBM_SETRANGEMAX, FALSE, maximum);
  SendMessageW(slider, TBM_SETTICFREQ, static_cast<WPARAM>(ticFrequency), 0);
  SendMessageW(slider, TBM_SETLINESIZE, 0, lineSize);
  SendMessageW(slider, TBM_SETPAGESIZE, 0, 1);
  SendMessageW(slider, TBM_SETPOS, TRUE, 1);
}

void CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const ControlPlace* bannerPlace = FindControlPlace(ids::图片框1);
  g_main.banner = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                  Scaled(bannerPlace->x), Scaled(bannerPlace->y),
                                  Scaled(bannerPlace->width), Scaled(bannerPlace->height),
                                  g_main.window, reinterpret_cast<HMENU>(ids::图片框1), instance, nullptr);
  MakeControl(ids::超级链接框1, L"STATIC", "", SS_NOPREFIX);
  ShowWindow(GetDlgItem(g_main.banner, ids::超级链接框1), SW_HIDE);
  PlainGroupBox(MakeControl(ids::分组框1, L"BUTTON", "", BS_GROUPBOX));

  const ControlPlace* pagesPlace = FindControlPlace(ids::选择夹1);
  g_main.pages = CreateWindowExW(WS_EX_CONTROLPARENT, kPagesClass, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                 Scaled(pagesPlace->x), Scaled(pagesPlace->y),
                                 Scaled(pagesPlace->width), Scaled(pagesPlace->height),
                                 g_main.window, reinterpret_cast<HMENU>(ids::选择夹1), instance, nullptr);

  // Page 0, in tab order.
  MakeControl(ids::录制, L"BUTTON", "录制", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON);
  MakeControl(ids::播放, L"BUTTON", "播放", WS_TABSTOP | BS_PUSHBUTTON);
  MakeControl(ids::帮助, L"BUTTON", "帮助", WS_TABSTOP | BS_PUSHBUTTON);
  MakeControl(ids::关于, L"BUTTON", "关于", WS_TABSTOP | BS_PUSHBUTTON);
  HWND taskBox = MakeControl(ids::分组框3, L"BUTTON", "任务：", BS_GROUPBOX);
  HWND list = MakeControl(ids::列表框, L"LISTBOX", "",
                          WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                          WS_EX_CLIENTEDGE);
  LRESULT itemHeight = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  SendMessageW(list, LB_SETITEMHEIGHT, 0, itemHeight + 1);
  SetWindowSubclass(list, TaskListProc, 0, 0);
  HWND optionBox = MakeControl(ids::分组框4, L"BUTTON", "选项：", BS_GROUPBOX);
  DWORD radio = BS_AUTORADIOBUTTON | BS_MULTILINE | BS_LEFT | BS_VCENTER;
  MakeControl(ids::单选框1, L"BUTTON", "按 Caps Lock键 停止", radio | WS_GROUP | WS_TABSTOP);
  HWND byCount = MakeControl(ids::单选框2, L"BUTTON", "指定次数：", radio);
  SendMessageW(byCount, BM_SETCHECK, BST_CHECKED, 0);
  HWND count = MakeControl(ids::编辑框1, L"EDIT", "10", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
                           WS_EX_CLIENTEDGE);
  SetWindowSubclass(count, PassCountEditProc, 0, 0);
  HWND updown = MakeControl(ids::次数调节钮, UPDOWN_CLASSW, "", 0, WS_EX_STATICEDGE);
  // A vertical up-down narrows itself to its default width when created; widen it again.
  const ControlPlace* updownPlace = FindControlPlace(ids::次数调节钮);
  SetWindowPos(updown, nullptr, 0, 0, Scaled(updownPlace->width), Scaled(updownPlace->height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(updown, UDM_SETRANGE32, 1, 5000);
  // Our own handler sets the value; keep the control's own position away from its limits so
  // that both arrows always notify.
  SendMessageW(updown, UDM_SETPOS32, 0, 2500);
  DWORD label = SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE;
  MakeControl(ids::标签5, L"STATIC", "间隔时间：", label | WS_GROUP);
  MakeControl(ids::间隔时间, L"STATIC", "", label, WS_EX_STATICEDGE);
  SetupSlider(ids::间隔滑块条, 10000, 1000, 10);
  MakeControl(ids::标签6, L"STATIC", "鼠标速度：", label | WS_GROUP);
  MakeControl(ids::鼠标速度, L"STATIC", "", label, WS_EX_STATICEDGE);
  SetupSlider(ids::鼠标滑块条, 100, 10, 1);

  // Page 1.
  MakeControl(ids::按钮1, L"BUTTON", "保存鼠标事件", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON);
  HWND noteBox = MakeControl(ids::分组框2, L"BUTTON", "说明：", BS_GROUPBOX);
  MakeControl(ids::标签3, L"STATIC", "", SS_LEFT | SS_NOPREFIX);
  MakeControl(ids::标签4, L"STATIC", "", SS_LEFT | SS_NOPREFIX);

  HWND status = MakeControl(ids::标签1, L"STATIC", "欢迎使用Zelvorn鼠标助手", label, WS_EX_STATICEDGE);
  SetWindowSubclass(status, StatusLabelProc, 0, 0);
  HWND pointer = MakeControl(ids::标签2, L"STATIC", "欢迎使用Zelvorn鼠标助手", label, WS_EX_STATICEDGE);

  // The page area reaches down behind the status line and the rule overlaps the banner: both
  // stand above their neighbours. Group boxes lie beneath the controls drawn inside them.
  for (HWND box : {taskBox, optionBox, noteBox}) {
    PlainGroupBox(box);
    SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (HWND top : {GetDlgItem(g_main.window, ids::分组框1), status, pointer})
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Places every control for the current DPI (after a DPI change).
void ApplyLayout() {
  int count = 0;
  const ControlPlace* places = MainControlPlaces(&count);
  for (int i = 0; i < count; ++i) {
    const ControlPlace& place = places[i];
    HWND control = place.id == ids::图片框1 ? g_main.banner : GetDlgItem(ParentFor(place.parent), place.id);
    int y = place.id == ids::选择夹1 ? g_main.pagesTop : place.y;
    SetWindowPos(control, nullptr, Scaled(place.x), Scaled(y), Scaled(place.width),
                 Scaled(place.height), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_main.font), TRUE);
  }
}

void LoadBannerPicture() {
  if (g_main.bannerPicture) DeleteObject(g_main.bannerPicture);
  g_main.bannerPicture = LoadJpegResource(IDR_BANNER_JPEG, Scaled(400), Scaled(60));
  InvalidateRect(g_main.banner, nullptr, TRUE);
}

// --- handlers of the window itself ---------------------------------------------------------

void OpenHomePage() {
  HWND browser = FindWindowExW(nullptr, nullptr, nullptr, L"Microsoft Internet Explorer");
  ShellExecuteW(browser, L"open", Wide(kHomePageAddress).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string ClassesRootDefault(const std::wstring& key, bool* ok) {
  LONG size = 0;
  *ok = false;
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, &size) != ERROR_SUCCESS || size <= 0)
    return {};
  std::wstring value(static_cast<size_t>(size) / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value.data(), &size) != ERROR_SUCCESS) return {};
  value.resize(wcsnlen(value.c_str(), value.size()));
  *ok = true;
  return Narrow(value);
}

void OnBannerClicked() {
  std::wstring address = Wide(kHomePageAddress);
  auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW));
  if (result > 32) return;
  bool ok = false;
  std::string programId = ClassesRootDefault(L".htm", &ok);
  if (!ok) return;
  std::string command = ClassesRootDefault(Wide(programId + "\\shell\\open\\command"), &ok);
  if (!ok) return;
  std::wstring line = Wide(BrowserCommandLine(command, kHomePageAddress));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

void OnPointerTimer() {
  Desktop& desktop = g_main.context->desktop;
  int x = desktop.GetPointerX();
  int y = desktop.GetPointerY();
  g_main.view->SetCoordinateText(CoordinateLabelText(x, y));
}

void OnSpeedChanged() { g_main.view->SetSpeedText(IntegerToText(g_main.view->SpeedPosition())); }

void OnMainWindowCreated() {
  Win32MainView& view = *g_main.view;
  view.SetCaption("Zelvorn鼠标助手 V3.0");
  RECT r{};
  GetWindowRect(g_main.window, &r);
  SetWindowPos(g_main.window, nullptr, 0, 0, r.right - r.left, Scaled(kMainHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  g_main.pagesTop = kPagesTop;
  const ControlPlace* pages = FindControlPlace(ids::选择夹1);
  SetWindowPos(g_main.pages, nullptr, Scaled(pages->x), Scaled(kPagesTop), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextOf(GetDlgItem(g_main.pages, ids::标签3), kRecordingNote);
  SetWindowTextOf(GetDlgItem(g_main.pages, ids::标签4), kHotkeyNote);
  ListTasks(*g_main.context);
  OnSpeedChanged();
}

// The up-down button of 编辑框1: wraps within 1..5000 from whatever number the box holds.
void OnPassCountStep(int delta) {
  HWND edit = GetDlgItem(g_main.pages, ids::编辑框1);
  std::string text = WindowTextOf(edit);
  long long v = 0;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 100000000) break;  // far outside the range either way
  }
  if (negative) v = -v;
  long long next = delta > 0 ? v + 1 : v - 1;
  if (next < 1 || next > 5000) next = delta > 0 ? 1 : 5000;
  SetWindowTextOf(edit, IntegerToText(static_cast<int>(next)));
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  SetFocus(edit);
}

void OnCommand(int id, int code) {
  Context& context = *g_main.context;
  switch (id) {
    case ids::录制: if (code == BN_CLICKED) StartRecording(context); break;
    case ids::播放: if (code == BN_CLICKED) RunPlayback(context); break;
    case ids::帮助: if (code == BN_CLICKED) ShowHelp(*g_main.view); break;
    case ids::关于: if (code == BN_CLICKED) ShowAbout(*g_main.view); break;
    case ids::按钮1: if (code == BN_CLICKED) SaveTask(context); break;
    case ids::列表框:
      if (code == LBN_SELCHANGE) OnTaskSelected(context);
      if (code == LBN_DBLCLK) EditTask(context);
      break;
    case ids::删除任务: DeleteTask(context); break;
    case ids::编辑任务: EditTask(context); break;
    case ids::Zelvorn网提供: OpenHomePage(); break;
    default: break;  // Esc and Enter arrive as IDCANCEL and IDOK: the window stays
  }
}

HBRUSH OnControlColor(HDC dc, HWND control) {
  int id = GetDlgCtrlID(control);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  if (id == ids::间隔时间 || id == ids::鼠标速度) {
    SetBkColor(dc, RGB(255, 255, 255));
    return g_main.white;
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void OnDpiChanged(int dpi, const RECT* suggested) {
  g_main.dpi = dpi;
  g_main.view->SetDpi(dpi);
  HFONT old = g_main.font;
  g_main.font = MakeGuiFont(dpi);
  SetWindowPos(g_main.window, nullptr, suggested->left, suggested->top,
               suggested->right - suggested->left, suggested->bottom - suggested->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyLayout();
  LoadBannerPicture();
  if (old) DeleteObject(old);
}

// Messages of the page area and of the banner that belong to the main window.
bool ForwardedToMain(UINT message) {
  switch (message) {
    case WM_COMMAND: case WM_NOTIFY: case WM_HSCROLL: case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == ids::次数调节钮 && header->code == UDN_DELTAPOS) {
        OnPassCountStep(reinterpret_cast<NMUPDOWN*>(lParam)->iDelta);
        return TRUE;  // the value is ours to set
      }
      return 0;
    }
    case WM_HSCROLL: {
      HWND slider = reinterpret_cast<HWND>(lParam);
      if (!slider || LOWORD(wParam) == TB_ENDTRACK) return 0;
      int id = GetDlgCtrlID(slider);
      g_main.view->TakeSliderPosition(id);
      if (id == ids::间隔滑块条) OnIntervalChanged(*g_main.context);
      if (id == ids::鼠标滑块条) OnSpeedChanged();
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(
          OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_TIMER:
      if (wParam == kPointerTimer) OnPointerTimer();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), reinterpret_cast<RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      OnMainWindowDestroy(*g_main.context);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK PagesProc(HWND pages, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ForwardedToMain(message)) return SendMessageW(GetParent(pages), message, wParam, lParam);
  return DefWindowProcW(pages, message, wParam, lParam);
}

LRESULT CALLBACK PictureProc(HWND picture, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(picture, &paint);
      if (g_main.bannerPicture) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, g_main.bannerPicture);
        BITMAP info{};
        GetObjectW(g_main.bannerPicture, sizeof info, &info);
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
      }
      EndPaint(picture, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      SetCursor(g_main.hand);
      return TRUE;
    case WM_LBUTTONDOWN:
      OnBannerClicked();
      return 0;
    default:
      return DefWindowProcW(picture, message, wParam, lParam);
  }
}

void RegisterClasses() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 128, 128, 0));
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.lpfnWndProc = MainWindowProc;
  main.hInstance = instance;
  main.hIcon = icon;
  main.hIconSm = icon;
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  main.lpszClassName = kMainClass;
  RegisterClassExW(&main);

  WNDCLASSEXW pages{};
  pages.cbSize = sizeof pages;
  pages.lpfnWndProc = PagesProc;
  pages.hInstance = instance;
  pages.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  pages.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  pages.lpszClassName = kPagesClass;
  RegisterClassExW(&pages);

  WNDCLASSEXW picture{};
  picture.cbSize = sizeof picture;
  picture.lpfnWndProc = PictureProc;
  picture.hInstance = instance;
  picture.lpszClassName = kPictureClass;
  RegisterClassExW(&picture);
}

}  // namespace

HWND CreateMainWindow(Context& context, Win32MainView& view) {
  static bool registered = (RegisterClasses(), true);
  (void)registered;
  g_main.context = &context;
  g_main.view = &view;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  g_main.hand = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_HAND_POINTER));
  g_main.white = CreateSolidBrush(RGB(255, 255, 255));

  // The primary monitor's DPI, since that is where the window opens.
  POINT origin{0, 0};
  HMONITOR primary = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
  UINT dpiX = 96, dpiY = 96;
  if (FAILED(GetDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &dpiX, &dpiY))) dpiX = GetDpiForSystem();
  g_main.dpi = static_cast<int>(dpiX);
  view.SetDpi(g_main.dpi);
  g_main.font = MakeGuiFont(g_main.dpi);

  int width = Scaled(kMainWidth), height = Scaled(kMainCreatedHeight);
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_CONTROLPARENT, kMainClass,
                                Wide("Zelvorn鼠标助手 V3.0").c_str(),
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, left, top,
                                width, height, ProgramOwnerWindow(), nullptr, instance, nullptr);
  if (!window) return nullptr;
  g_main.window = window;
  CreateControls();
  view.Attach(window, g_main.pages);
  LoadBannerPicture();
  EnableDialogNavigation(window);
  OnMainWindowCreated();
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetTimer(window, kPointerTimer, 100, nullptr);
  return window;
}
