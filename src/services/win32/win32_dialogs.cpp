#include "services/win32/win32_dialogs.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "services/win32/wide_text.h"

namespace {

// ---- Message box ----

int ResultCode(int pressed) {
  switch (pressed) {
    case IDOK: return kResultOk;
    case IDCANCEL: return kResultCancel;
    case IDABORT: return kResultAbort;
    case IDRETRY: return kResultRetry;
    case IDIGNORE: return kResultIgnore;
    case IDYES: return kResultYes;
    case IDNO: return kResultNo;
    default: return kResultOk;
  }
}

// ---- Input box ----

constexpr WORD kPromptId = 1128;
constexpr WORD kFieldId = 1001;
constexpr WORD kPasswordFieldId = 1002;
constexpr WORD kNoId = 0xFFFF;
constexpr int kPasswordMode = 4;

enum ControlClass : WORD { kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082 };

struct DialogControl {
  ControlClass kind;
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  const wchar_t* text;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kFieldStyle = WS_CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kOkStyle = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kCancelStyle = kChild | WS_TABSTOP | BS_PUSHBUTTON;

// Children are stacked in template order, the first on top. The frame comes after the prompt
// and clips it out, so painting its face never wipes the prompt text.
constexpr DialogControl kWithPrompt[] = {
    {kStatic, kChild | SS_LEFT, 12, 11, 229, 27, kPromptId, L""},
    {kStatic, kChild | SS_SUNKEN | WS_CLIPSIBLINGS, 7, 7, 238, 35, kNoId, L""},
    {kEdit, kFieldStyle, 7, 45, 238, 12, kFieldId, L""},
    {kEdit, kFieldStyle | ES_PASSWORD, 7, 45, 238, 12, kPasswordFieldId, L""},
    {kButton, kOkStyle, 63, 66, 55, 19, IDOK, L"确认输入(&O)"},
    {kButton, kCancelStyle, 134, 66, 55, 19, IDCANCEL, L"取消(&C)"},
};
constexpr DialogControl kWithoutPrompt[] = {
    {kEdit, kFieldStyle, 7, 7, 200, 12, kFieldId, L""},
    {kEdit, kFieldStyle | ES_PASSWORD, 7, 7, 200, 12, kPasswordFieldId, L""},
    {kButton, kOkStyle, 82, 30, 55, 19, IDOK, L"确认输入(&O)"},
    {kButton, kCancelStyle, 151, 30, 55, 19, IDCANCEL, L"取消(&C)"},
};

// A DLGTEMPLATE with its DLGITEMTEMPLATEs, laid out word by word as the dialog manager reads it.
class DialogTemplate {
 public:
  DialogTemplate(short cx, short cy, const DialogControl* controls, size_t count) {
    Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT);
    Dword(0);
    Word(static_cast<WORD>(count));
    Short(0);
    Short(0);
    Short(cx);
    Short(cy);
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    Text(L"请输入：");
    Word(9);
    Text(L"宋体");
    for (size_t i = 0; i < count; ++i) Control(controls[i]);
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Control(const DialogControl& c) {
    if (words_.size() % 2) Word(0);  // items start on a DWORD boundary
    Dword(c.style);
    Dword(0);
    Short(c.x);
    Short(c.y);
    Short(c.cx);
    Short(c.cy);
    Word(c.id);
    Word(0xFFFF);
    Word(c.kind);
    Text(c.text);
    Word(0);  // no creation data
  }
  void Word(WORD w) { words_.push_back(w); }
  void Short(short s) { Word(static_cast<WORD>(s)); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const wchar_t* s) {
    while (*s) Word(static_cast<WORD>(*s++));
    Word(0);
  }
  std::vector<WORD> words_;  // vector storage is aligned well beyond a DWORD
};

struct InputBoxSession {
  const std::string& prompt;
  const std::string& title;
  const std::string& initialText;
  int mode;
  std::string answer;
};

bool TypedCharacterAllowed(int mode, WPARAM code) {
  if (code < 32) return true;  // backspace and the other control keys
  const bool digitOrMinus = (code >= '0' && code <= '9') || code == '-';
  switch (mode) {
    case 2: return digitOrMinus;
    case 3: return digitOrMinus || code == '.';
    default: return true;
  }
}

LRESULT CALLBACK FilterTyping(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR id, DWORD_PTR mode) {
  if (message == WM_CHAR && !TypedCharacterAllowed(static_cast<int>(mode), wParam)) return 0;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, FilterTyping, id);
  return DefSubclassProc(edit, message, wParam, lParam);
}

HWND ShownField(HWND dialog, int mode) {
  return GetDlgItem(dialog, mode == kPasswordMode ? kPasswordFieldId : kFieldId);
}

void OnInputBoxOpened(HWND dialog, const InputBoxSession& session) {
  HWND field = ShownField(dialog, session.mode);
  HWND other = GetDlgItem(dialog, session.mode == kPasswordMode ? kFieldId : kPasswordFieldId);
  ShowWindow(other, SW_HIDE);
  ShowWindow(field, SW_SHOW);
  if (session.mode == 2 || session.mode == 3)
    SetWindowSubclass(field, FilterTyping, 1, static_cast<DWORD_PTR>(session.mode));
  if (!session.title.empty()) SetWindowTextOf(dialog, session.title);
  if (HWND prompt = GetDlgItem(dialog, kPromptId)) SetWindowTextOf(prompt, session.prompt);
  SetWindowTextOf(field, session.initialText);
  SendMessageW(field, EM_SETSEL, 0, -1);
  SendMessageW(field, EM_SCROLLCARET, 0, 0);
  SetFocus(field);
}

INT_PTR CALLBACK InputBoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* session = reinterpret_cast<InputBoxSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      OnInputBoxOpened(dialog, *reinterpret_cast<InputBoxSession*>(lParam));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && session) {
        session->answer = WindowTextOf(ShownField(dialog, session->mode));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

BOOL CALLBACK FindShownEnabledWindow(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The input box disables its owner while it is open. The window the user is working in (the
// main window, when a handler asks for a task name) is the one to freeze; owning it also keeps
// the box off the taskbar. Without an active window, the front window of the program serves.
HWND InputBoxOwner() {
  if (HWND active = GetActiveWindow()) return active;
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindShownEnabledWindow,
                    reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

int Win32Dialogs::ShowMessage(const std::string& text, int style, const std::string& caption) {
  UINT flags = static_cast<UINT>(style);
  if (!(flags & MB_SYSTEMMODAL)) flags |= MB_TASKMODAL;
  const std::wstring title = Wide(caption.empty() ? std::string("信息：") : caption);
  return ResultCode(MessageBoxW(nullptr, Wide(text).c_str(), title.c_str(), flags));
}

bool Win32Dialogs::AskText(const std::string& prompt, const std::string& title,
                           const std::string& initialText, int mode, std::string* answer) {
  InputBoxSession session{prompt, title, initialText, std::clamp(mode, 1, 4), {}};
  const DialogTemplate dialog = prompt.empty()
      ? DialogTemplate(214, 56, kWithoutPrompt, std::size(kWithoutPrompt))
      : DialogTemplate(252, 92, kWithPrompt, std::size(kWithPrompt));
  INT_PTR pressed = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(),
                                            InputBoxOwner(), InputBoxProcedure,
                                            reinterpret_cast<LPARAM>(&session));
  if (pressed != IDOK) return false;
  if (answer) *answer = std::move(session.answer);
  return true;
}
