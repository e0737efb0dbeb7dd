#include "app/win32/win32_main_view.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/control_ids.h"
#include "app/win32/main_layout.h"
#include "services/win32/wide_text.h"

void Win32MainView::Attach(HWND window, HWND pages) {
  window_ = window;
  pages_ = pages;
}

HWND Win32MainView::Control(int id) const {
  const ControlPlace* place = FindControlPlace(id);
  HWND parent = place && place->parent == ParentKind::Pages ? pages_ : window_;
  return GetDlgItem(parent, id);
}

WindowHandle Win32MainView::Handle() { return reinterpret_cast<WindowHandle>(window_); }
std::string Win32MainView::Caption() { return WindowTextOf(window_); }
void Win32MainView::SetCaption(const std::string& text) { SetWindowTextOf(window_, text); }

int Win32MainView::Left() {
  RECT r{};
  GetWindowRect(window_, &r);
  return r.left;
}

int Win32MainView::Top() {
  RECT r{};
  GetWindowRect(window_, &r);
  return r.top;
}

void Win32MainView::PlaceAt(int left, int top) {
  RECT old{};
  GetWindowRect(window_, &old);
  RECT moved{left, top, left + (old.right - old.left), top + (old.bottom - old.top)};
  if (EqualRect(&old, &moved)) return;
  MoveWindow(window_, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top,
             TRUE);
}

void Win32MainView::Focus() { SetFocus(window_); }

void Win32MainView::SetAlwaysOnTop(bool on) {
  if (!on) {
    // Wine keeps an owned window on top while its owner comes right after it in the z-order:
    // the invisible owner goes to the bottom first.
    SetWindowPos(GetWindow(window_, GW_OWNER), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetWindowPos(window_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int Win32MainView::Scale(int pixelsAt96Dpi) { return MulDiv(pixelsAt96Dpi, dpi_, 96); }

void Win32MainView::ShowPage(int page) {
  page_ = std::clamp(page, 0, 1);
  int count = 0;
  const ControlPlace* places = MainControlPlaces(&count);
  // Hide first, then show, so the focus never rests on a hidden control.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < count; ++i) {
      if (places[i].page < 0) continue;
      bool visible = places[i].page == page_;
      if (visible == (pass == 1)) ShowWindow(GetDlgItem(pages_, places[i].id), visible ? SW_SHOW : SW_HIDE);
    }
  }
}

int Win32MainView::SelectedTask() {
  return static_cast<int>(SendMessageW(Control(ids::列表框), LB_GETCURSEL, 0, 0));
}

void Win32MainView::SelectTask(int index) {
  int last = TaskCount() - 1;
  index = std::clamp(index, -1, std::max(last, -1));
  SendMessageW(Control(ids::列表框), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32MainView::TaskCount() {
  return static_cast<int>(SendMessageW(Control(ids::列表框), LB_GETCOUNT, 0, 0));
}

std::string Win32MainView::TaskName(int index) {
  HWND list = Control(ids::列表框);
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
  return Narrow(text);
}

void Win32MainView::AddTask(const std::string& name) {
  SendMessageW(Control(ids::列表框), LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(Wide(name).c_str()));
}

void Win32MainView::RemoveTask(int index) {
  SendMessageW(Control(ids::列表框), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void Win32MainView::StorePosition(int sliderId, int* stored, int position) {
  // The stored value may lie outside the slider's range; only the thumb is kept within it.
  *stored = std::clamp(position, 0, 32767);
  SendMessageW(Control(sliderId), TBM_SETPOS, TRUE, *stored);
}

int Win32MainView::IntervalPosition() { return intervalPosition_; }

void Win32MainView::SetIntervalPosition(int position) {
  StorePosition(ids::间隔滑块条, &intervalPosition_, position);
}

int Win32MainView::SpeedPosition() { return speedPosition_; }

void Win32MainView::TakeSliderPosition(int sliderId) {
  int position = static_cast<int>(SendMessageW(Control(sliderId), TBM_GETPOS, 0, 0));
  (sliderId == ids::间隔滑块条 ? intervalPosition_ : speedPosition_) = position;
}

bool Win32MainView::CapsLockModeChecked() {
  return SendMessageW(Control(ids::单选框1), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string Win32MainView::PassCountText() { return WindowTextOf(Control(ids::编辑框1)); }
std::string Win32MainView::StatusText() { return WindowTextOf(Control(ids::标签1)); }

void Win32MainView::SetStatusText(const std::string& text) {
  HWND label = Control(ids::标签1);
  SetWindowTextOf(label, text);
  UpdateWindow(label);
}

void Win32MainView::SetCoordinateText(const std::string& text) {
  SetWindowTextOf(Control(ids::标签2), text);
}

void Win32MainView::SetIntervalText(const std::string& text) {
  SetWindowTextOf(Control(ids::间隔时间), text);
}

void Win32MainView::SetSpeedText(const std::string& text) {
  SetWindowTextOf(Control(ids::鼠标速度), text);
}

void Win32MainView::SetTaskCommandsEnabled(bool enabled) { taskCommandsEnabled_ = enabled; }

void Win32MainView::ShowTaskMenu() {
  UINT taskState = MF_STRING | (taskCommandsEnabled_ ? MF_ENABLED : MF_GRAYED);
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, taskState, ids::删除任务, Wide("删除任务(&D)...\tCtrl+D").c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, taskState, ids::编辑任务, Wide("编辑任务(&E)...\tCtrl+E").c_str());
  AppendMenuW(menu, MF_STRING, ids::Zelvorn网提供, Wide("Zelvorn网提供").c_str());
  POINT at{};
  GetCursorPos(&at);
  // Without the owner in the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(window_);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x + 3, at.y + 3, 0,
                 window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}
