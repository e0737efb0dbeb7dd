#include "window_query.h"

#include <tlhelp32.h>

#include <vector>

#include "utf8.h"

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

HWND HandleArg(const Json& args, const char* key) {
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(args.Int(key)));
  if (!IsWindow(window)) throw DriverError(std::string("no window with handle ") + std::to_string(args.Int(key)));
  return window;
}

Json HandleJson(HWND window) { return Json(static_cast<long long>(reinterpret_cast<intptr_t>(window))); }

LRESULT SendWithTimeout(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, UINT timeout_ms) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, msg, wparam, lparam, SMTO_NORMAL, timeout_ms, &result)) {
    throw DriverError("message " + std::to_string(msg) + " got no answer within " + std::to_string(timeout_ms) +
                      " ms (error " + std::to_string(GetLastError()) + ")");
  }
  return static_cast<LRESULT>(result);
}

std::string TextByMessage(HWND window, UINT timeout_ms) {
  LRESULT length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, timeout_ms);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), timeout_ms);
  buffer.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
  return Utf8(buffer);
}

static std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return Utf8(name);
}

static std::string CaptionOf(HWND window) {
  // InternalGetWindowText reads the stored caption without sending a message.
  wchar_t text[1024] = {};
  InternalGetWindowText(window, text, 1024);
  return Utf8(text);
}

Json RectJson(const RECT& r) {
  return Json::Object()
      .Set("left", r.left)
      .Set("top", r.top)
      .Set("right", r.right)
      .Set("bottom", r.bottom)
      .Set("width", r.right - r.left)
      .Set("height", r.bottom - r.top);
}

static RECT ClientRectOnScreen(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

Json DescribeTopLevel(HWND window) {
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(window, &pid);
  RECT rect{};
  GetWindowRect(window, &rect);
  LONG exstyle = GetWindowLongW(window, GWL_EXSTYLE);
  return Json::Object()
      .Set("hwnd", HandleJson(window))
      .Set("title", CaptionOf(window))
      .Set("class", ClassOf(window))
      .Set("pid", pid)
      .Set("tid", tid)
      .Set("rect", RectJson(rect))
      .Set("client", RectJson(ClientRectOnScreen(window)))
      .Set("style", static_cast<unsigned long>(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))))
      .Set("exstyle", static_cast<unsigned long>(static_cast<DWORD>(exstyle)))
      .Set("visible", IsWindowVisible(window) != FALSE)
      .Set("enabled", IsWindowEnabled(window) != FALSE)
      .Set("iconic", IsIconic(window) != FALSE)
      .Set("owner", HandleJson(GetWindow(window, GW_OWNER)))
      .Set("topmost", (exstyle & WS_EX_TOPMOST) != 0);
}

Json DescribeChild(HWND window, int depth) {
  HWND parent = GetAncestor(window, GA_PARENT);
  RECT rect{};
  GetWindowRect(window, &rect);
  RECT in_parent = rect;
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&in_parent), 2);
  std::string text;
  try {
    text = TextByMessage(window);
  } catch (const DriverError&) {
    text = CaptionOf(window);
  }
  return Json::Object()
      .Set("hwnd", HandleJson(window))
      .Set("parent", HandleJson(parent))
      .Set("depth", depth)
      .Set("id", GetDlgCtrlID(window))
      .Set("class", ClassOf(window))
      .Set("text", text)
      .Set("rect", RectJson(rect))
      .Set("rect_in_parent", RectJson(in_parent))
      .Set("client", RectJson(ClientRectOnScreen(window)))
      .Set("style", static_cast<unsigned long>(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))))
      .Set("exstyle", static_cast<unsigned long>(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE))))
      .Set("visible", IsWindowVisible(window) != FALSE)
      .Set("enabled", IsWindowEnabled(window) != FALSE);
}

static std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

template <typename Visit>
static void ForEachProcess(Visit visit) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) throw DriverError("cannot list processes");
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    visit(entry);
  }
  CloseHandle(snapshot);
}

std::set<DWORD> ProcessIdsOf(const std::wstring& exe) {
  std::set<DWORD> pids;
  std::wstring wanted = Lower(exe);
  ForEachProcess([&](const PROCESSENTRY32W& e) {
    if (wanted.empty() || Lower(e.szExeFile) == wanted) pids.insert(e.th32ProcessID);
  });
  return pids;
}

Json ListProcesses() {
  Json list = Json::Array();
  ForEachProcess([&](const PROCESSENTRY32W& e) {
    list.Push(Json::Object().Set("pid", e.th32ProcessID).Set("exe", Utf8(e.szExeFile)).Set("parent", e.th32ParentProcessID));
  });
  return list;
}

WindowFilter FilterFrom(const Json& args) {
  WindowFilter f;
  if (args.Has("title")) {
    f.has_title = true;
    f.title = Utf16(args.Str("title"));
  }
  if (args.Has("class")) {
    f.has_class = true;
    f.class_name = Utf16(args.Str("class"));
  }
  if (args.Has("pid")) {
    f.restrict_pids = true;
    f.pids.insert(static_cast<DWORD>(args.Int("pid")));
  }
  if (args.Has("exe")) {
    f.restrict_pids = true;
    std::set<DWORD> of_exe = ProcessIdsOf(Utf16(args.Str("exe")));
    if (args.Has("pid")) {
      std::set<DWORD> both;
      for (DWORD p : f.pids) {
        if (of_exe.count(p)) both.insert(p);
      }
      f.pids = both;
    } else {
      f.pids = of_exe;
    }
  }
  f.visible_only = !args.Bool("all", false);
  return f;
}

bool Matches(HWND window, const WindowFilter& f) {
  if (f.visible_only && !IsWindowVisible(window)) return false;
  if (f.restrict_pids) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!f.pids.count(pid)) return false;
  }
  if (f.has_class) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    if (f.class_name != name) return false;
  }
  if (f.has_title) {
    wchar_t text[1024] = {};
    InternalGetWindowText(window, text, 1024);
    if (f.title != text) return false;
  }
  return true;
}

static std::vector<HWND> AllTopLevel() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

Json TopLevelWindows(const WindowFilter& filter) {
  Json list = Json::Array();
  for (HWND w : AllTopLevel()) {
    if (Matches(w, filter)) list.Push(DescribeTopLevel(w));
  }
  return list;
}

HWND FindTopLevel(const WindowFilter& filter) {
  for (HWND w : AllTopLevel()) {
    if (Matches(w, filter)) return w;
  }
  return nullptr;
}

static void CollectChildren(HWND parent, int depth, Json& list) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    list.Push(DescribeChild(child, depth));
    CollectChildren(child, depth + 1, list);
  }
}

Json ChildTree(HWND parent) {
  Json list = Json::Array();
  CollectChildren(parent, 1, list);
  return list;
}
