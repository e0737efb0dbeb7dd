// e2e_driver.exe: runs under Wine in the same desktop as the program under test. Reads one
// JSON request per line on stdin ({"cmd": "find", ...}) and answers each with one JSON line
// on stdout: {"ok": true, "t": <ms>, ...} or {"ok": false, "error": "..."}.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>

#include "json.h"
#include "popup_menu.h"
#include "process_probe.h"
#include "synth_input.h"
#include "utf8.h"
#include "window_query.h"

namespace {

using Handler = std::function<Json(const Json&)>;

int IntArg(const Json& args, const char* key, int fallback) { return static_cast<int>(args.Int(key, fallback)); }

// Polls until done() holds or the request's "timeout" (ms, default 0: one look) has passed.
template <typename Predicate>
bool WaitUntil(const Json& args, Predicate done) {
  const double deadline = NowMs() + static_cast<double>(args.Int("timeout", 0));
  const DWORD interval = static_cast<DWORD>(args.Int("interval", 10));
  while (true) {
    if (done()) return true;
    if (NowMs() >= deadline) return false;
    Sleep(interval);
  }
}

Json Find(const Json& args) {
  HWND found = nullptr;
  WaitUntil(args, [&] {
    found = FindTopLevel(FilterFrom(args));  // afresh each time: the process may start meanwhile
    return found != nullptr;
  });
  return Json::Object().Set("window", found ? DescribeTopLevel(found) : Json());
}

// Waits until a window is destroyed, or only hidden when "hidden" is true.
Json WaitGone(const Json& args) {
  HWND w = reinterpret_cast<HWND>(static_cast<intptr_t>(args.Int("hwnd")));
  const bool hidden_counts = args.Bool("hidden", false);
  bool gone = WaitUntil(args, [&] { return !IsWindow(w) || (hidden_counts && !IsWindowVisible(w)); });
  return Json::Object().Set("gone", gone);
}

Json Windows(const Json& args) { return Json::Object().Set("windows", TopLevelWindows(FilterFrom(args))); }

Json Info(const Json& args) {
  HWND w = reinterpret_cast<HWND>(static_cast<intptr_t>(args.Int("hwnd")));
  if (!IsWindow(w)) return Json::Object().Set("exists", false);
  Json info = GetAncestor(w, GA_PARENT) == GetDesktopWindow() ? DescribeTopLevel(w) : DescribeChild(w, 0);
  return info.Set("exists", true);
}

Json Children(const Json& args) { return Json::Object().Set("children", ChildTree(HandleArg(args))); }

Json GetText(const Json& args) {
  return Json::Object().Set("text", TextByMessage(HandleArg(args), static_cast<UINT>(args.Int("timeout", 2000))));
}

Json SetText(const Json& args) {
  std::wstring text = Utf16(args.Str("text"));
  LRESULT r = SendWithTimeout(HandleArg(args), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                              static_cast<UINT>(args.Int("timeout", 2000)));
  return Json::Object().Set("result", static_cast<long long>(r));
}

Json Send(const Json& args) {
  LRESULT r = SendWithTimeout(HandleArg(args), static_cast<UINT>(args.Int("msg")), static_cast<WPARAM>(args.Int("wparam", 0)),
                              static_cast<LPARAM>(args.Int("lparam", 0)), static_cast<UINT>(args.Int("timeout", 2000)));
  return Json::Object().Set("result", static_cast<long long>(r));
}

Json Post(const Json& args) {
  BOOL ok = PostMessageW(HandleArg(args), static_cast<UINT>(args.Int("msg")), static_cast<WPARAM>(args.Int("wparam", 0)),
                         static_cast<LPARAM>(args.Int("lparam", 0)));
  if (!ok) throw DriverError("PostMessage failed");
  return Json::Object();
}

Json Close(const Json& args) {
  if (!PostMessageW(HandleArg(args), WM_CLOSE, 0, 0)) throw DriverError("PostMessage failed");
  return Json::Object();
}

Json ListBox(const Json& args) {
  HWND w = HandleArg(args);
  LRESULT count = SendWithTimeout(w, LB_GETCOUNT, 0, 0);
  Json items = Json::Array();
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendWithTimeout(w, LB_GETTEXTLEN, i, 0);
    std::wstring text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
    LRESULT copied = SendWithTimeout(w, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
    items.Push(Utf8(text));
  }
  return Json::Object()
      .Set("count", static_cast<long long>(count))
      .Set("cursel", static_cast<long long>(SendWithTimeout(w, LB_GETCURSEL, 0, 0)))
      .Set("top", static_cast<long long>(SendWithTimeout(w, LB_GETTOPINDEX, 0, 0)))
      .Set("item_height", static_cast<long long>(SendWithTimeout(w, LB_GETITEMHEIGHT, 0, 0)))
      .Set("items", items);
}

Json TrackBar(const Json& args) {
  HWND w = HandleArg(args);
  auto get = [&](UINT msg, WPARAM wp = 0) { return static_cast<long long>(SendWithTimeout(w, msg, wp, 0)); };
  // TBM_GETNUMTICS counts the two end ticks; TBM_GETTIC indexes only the ones between.
  long long num_tics = get(TBM_GETNUMTICS);
  Json tics = Json::Array();
  for (long long i = 0; i + 2 < num_tics; ++i) tics.Push(get(TBM_GETTIC, static_cast<WPARAM>(i)));
  return Json::Object()
      .Set("pos", get(TBM_GETPOS))
      .Set("min", get(TBM_GETRANGEMIN))
      .Set("max", get(TBM_GETRANGEMAX))
      .Set("linesize", get(TBM_GETLINESIZE))
      .Set("pagesize", get(TBM_GETPAGESIZE))
      .Set("sel_start", get(TBM_GETSELSTART))
      .Set("sel_end", get(TBM_GETSELEND))
      .Set("num_tics", num_tics)
      .Set("tics", tics);
}

Json Button(const Json& args) {
  HWND w = HandleArg(args);
  return Json::Object()
      .Set("check", static_cast<long long>(SendWithTimeout(w, BM_GETCHECK, 0, 0)))
      .Set("state", static_cast<long long>(SendWithTimeout(w, BM_GETSTATE, 0, 0)));
}

Json UpDown(const Json& args) {
  HWND w = HandleArg(args);
  // UDM_GETRANGE32 would need pointers into our process; the 16-bit form packs max low, min high.
  LRESULT range = SendWithTimeout(w, UDM_GETRANGE, 0, 0);
  return Json::Object()
      .Set("min", static_cast<short>(HIWORD(range)))
      .Set("max", static_cast<short>(LOWORD(range)))
      .Set("pos", static_cast<long long>(SendWithTimeout(w, UDM_GETPOS32, 0, 0)))
      .Set("buddy", HandleJson(reinterpret_cast<HWND>(SendWithTimeout(w, UDM_GETBUDDY, 0, 0))));
}

Json Menu(const Json& args) {
  Json menus = Json::Array();
  WaitUntil(args, [&] {
    menus = ReadShownMenus();
    return !menus.Items().empty();
  });
  return Json::Object().Set("menus", menus);
}

Json MoveCmd(const Json& args) {
  MovePointer(IntArg(args, "x", 0), IntArg(args, "y", 0));
  return Json::Object();
}

Json Cursor(const Json&) {
  POINT p{};
  GetCursorPos(&p);
  return Json::Object().Set("x", p.x).Set("y", p.y);
}

Json ClickCmd(const Json& args) {
  int count = args.Bool("double", false) ? 2 : IntArg(args, "count", 1);
  Click(ButtonFromName(args.Str("button", "left")), static_cast<int>(args.Int("x")), static_cast<int>(args.Int("y")), count,
        IntArg(args, "hold", 20), IntArg(args, "gap", 60));
  return Json::Object();
}

Json MouseButtonCmd(const Json& args) {
  std::string action = args.Str("action");
  if (action != "down" && action != "up") throw DriverError("action must be down or up");
  ButtonEvent(ButtonFromName(args.Str("button", "left")), action == "down", static_cast<int>(args.Int("x")),
              static_cast<int>(args.Int("y")));
  return Json::Object();
}

Json KeyCmd(const Json& args) {
  std::vector<WORD> keys = KeysFromName(args.Str("key"));
  std::string action = args.Str("action", "press");
  int count = IntArg(args, "count", 1);
  for (int i = 0; i < count; ++i) {
    if (action == "press") {
      PressCombo(keys, IntArg(args, "hold", 20));
    } else if (action == "down" || action == "up") {
      for (WORD vk : keys) KeyEvent(vk, action == "down");
    } else {
      throw DriverError("action must be press, down or up");
    }
    if (i + 1 < count) Sleep(static_cast<DWORD>(args.Int("gap", 30)));
  }
  return Json::Object();
}

Json TypeCmd(const Json& args) {
  TypeText(Utf16(args.Str("text")), IntArg(args, "gap", 10));
  return Json::Object();
}

// Lets this thread's view of the keyboard catch up with input given since its last look.
void SyncKeyState() {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

Json KeyState(const Json& args) {
  std::vector<WORD> keys = KeysFromName(args.Str("key"));
  if (keys.size() != 1) throw DriverError("one key only");
  SyncKeyState();
  SHORT state = GetKeyState(keys[0]);
  return Json::Object()
      .Set("down", (state & 0x8000) != 0)
      .Set("toggled", (state & 1) != 0)
      .Set("async_down", (GetAsyncKeyState(keys[0]) & 0x8000) != 0);
}

Json Foreground(const Json&) {
  HWND w = GetForegroundWindow();
  return Json::Object().Set("window", w ? DescribeTopLevel(w) : Json());
}

Json Activate(const Json& args) {
  HWND w = HandleArg(args);
  BOOL ok = SetForegroundWindow(w);
  return Json::Object().Set("result", ok != FALSE).Set("foreground", HandleJson(GetForegroundWindow()));
}

Json GuiThread(const Json& args) {
  DWORD tid = GetWindowThreadProcessId(HandleArg(args), nullptr);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(tid, &info)) throw DriverError("GetGUIThreadInfo failed");
  return Json::Object()
      .Set("active", HandleJson(info.hwndActive))
      .Set("focus", HandleJson(info.hwndFocus))
      .Set("capture", HandleJson(info.hwndCapture))
      .Set("menu_owner", HandleJson(info.hwndMenuOwner))
      .Set("in_menu", (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0)
      .Set("flags", static_cast<unsigned long>(info.flags));
}

Json Screen(const Json&) {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  using GetDpiForSystemFn = UINT(WINAPI*)();
  auto get_system_dpi =
      reinterpret_cast<GetDpiForSystemFn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
  return Json::Object()
      .Set("width", GetSystemMetrics(SM_CXSCREEN))
      .Set("height", GetSystemMetrics(SM_CYSCREEN))
      .Set("virtual", RectJson(RECT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)}))
      .Set("dpi", dpi)
      .Set("system_dpi", get_system_dpi ? static_cast<int>(get_system_dpi()) : dpi)
      .Set("acp", GetACP());
}

Json SleepCmd(const Json& args) {
  Sleep(static_cast<DWORD>(args.Int("ms")));
  return Json::Object();
}

Json Processes(const Json&) { return Json::Object().Set("processes", ListProcesses()); }

const std::map<std::string, Handler>& Commands() {
  static const std::map<std::string, Handler> commands = {
      {"ping", [](const Json&) { return Json::Object(); }},
      {"quit", [](const Json&) { return Json::Object(); }},
      {"find", Find},
      {"wait_gone", WaitGone},
      {"windows", Windows},
      {"info", Info},
      {"children", Children},
      {"get_text", GetText},
      {"set_text", SetText},
      {"send", Send},
      {"post", Post},
      {"close", Close},
      {"listbox", ListBox},
      {"trackbar", TrackBar},
      {"button", Button},
      {"updown", UpDown},
      {"menu", Menu},
      {"move", MoveCmd},
      {"cursor", Cursor},
      {"click", ClickCmd},
      {"mouse", MouseButtonCmd},
      {"key", KeyCmd},
      {"type", TypeCmd},
      {"keystate", KeyState},
      {"foreground", Foreground},
      {"activate", Activate},
      {"gui_thread", GuiThread},
      {"screen", Screen},
      {"sleep", SleepCmd},
      {"processes", Processes},
      {"process_stats", ProcessStats},
      {"hold_hotkey", HoldHotkey},
      {"release_hotkey", ReleaseHotkey},
      {"wave_out", WaveOutProbe},
  };
  return commands;
}

std::string Answer(const std::string& line, bool& quit) {
  Json reply;
  try {
    Json request = ParseJson(line);
    std::string name = request.Str("cmd");
    auto it = Commands().find(name);
    if (it == Commands().end()) throw DriverError("unknown command \"" + name + "\"");
    reply = it->second(request);
    quit = name == "quit";
    reply.Set("ok", true);
  } catch (const std::exception& e) {
    reply = Json::Object().Set("ok", false).Set("error", e.what());
  }
  reply.Set("t", NowMs());
  return reply.Dump();
}

void WriteLine(HANDLE out, std::string line) {
  line += '\n';
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(out);
}

void MakeDpiAware() {
  // Positions must be physical pixels whatever DPI the prefix is set to.
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  auto set_context = reinterpret_cast<SetContextFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (!set_context || !set_context(reinterpret_cast<HANDLE>(-4) /* PER_MONITOR_AWARE_V2 */)) SetProcessDPIAware();
}

}  // namespace

int wmain() {
  MakeDpiAware();
  SyncKeyState();
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  WriteLine(out, Json::Object().Set("ok", true).Set("ready", true).Set("pid", GetCurrentProcessId()).Set("t", NowMs()).Dump());
  std::string pending;
  char buffer[4096];
  while (true) {
    DWORD got = 0;
    if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    pending.append(buffer, got);
    size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      bool quit = false;
      WriteLine(out, Answer(line, quit));
      if (quit) return 0;
    }
  }
  return 0;
}
