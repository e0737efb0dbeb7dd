#pragma once
// Reading other processes' windows with ordinary calls and window messages.
#include <windows.h>

#include <set>
#include <string>

#include "json.h"

struct DriverError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Milliseconds of the performance counter, the clock that click_target stamps its log with.
double NowMs();

HWND HandleArg(const Json& args, const char* key = "hwnd");  // throws when it names no window
Json HandleJson(HWND window);

// WM_GETTEXT through SendMessageTimeout, so a window whose thread is busy cannot hang the driver.
std::string TextByMessage(HWND window, UINT timeout_ms = 2000);
LRESULT SendWithTimeout(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, UINT timeout_ms = 2000);

Json RectJson(const RECT& r);
Json DescribeTopLevel(HWND window);
Json DescribeChild(HWND window, int depth);

// Process ids whose executable file name equals exe (case-insensitive); all processes when exe is empty.
std::set<DWORD> ProcessIdsOf(const std::wstring& exe);
Json ListProcesses();

struct WindowFilter {
  std::wstring title;           // exact, when has_title
  bool has_title = false;
  std::wstring class_name;      // exact, when has_class
  bool has_class = false;
  std::set<DWORD> pids;         // any process when empty and !restrict_pids
  bool restrict_pids = false;
  bool visible_only = true;
};
WindowFilter FilterFrom(const Json& args);
bool Matches(HWND window, const WindowFilter& filter);
Json TopLevelWindows(const WindowFilter& filter);
HWND FindTopLevel(const WindowFilter& filter);
Json ChildTree(HWND parent);
