#include "popup_menu.h"

#include <windows.h>

#include <sstream>
#include <vector>

#include "menu_probe_protocol.h"
#include "utf8.h"
#include "window_query.h"

namespace {

HMODULE ProbeModule() {
  static HMODULE module = [] {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    dir.resize(dir.find_last_of(L"\\/") + 1);
    return LoadLibraryW((dir + L"e2e_menu_probe.dll").c_str());
  }();
  if (!module) throw DriverError("e2e_menu_probe.dll not found next to the driver");
  return module;
}

std::vector<HWND> ShownMenuWindows() {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
    if (IsWindowVisible(w)) found.push_back(w);
  }
  return found;
}

Json ParseItems(const std::wstring& text) {
  Json items = Json::Array();
  std::wistringstream lines(text);
  std::wstring line;
  while (std::getline(lines, line)) {
    std::vector<std::wstring> f;
    size_t start = 0;
    for (int i = 0; i < 8; ++i) {
      size_t tab = line.find(L'\t', start);
      if (tab == std::wstring::npos) break;
      f.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    if (f.size() != 8) continue;
    auto num = [&](int i) { return std::wcstoll(f[i].c_str(), nullptr, 10); };
    unsigned type = static_cast<unsigned>(num(2));
    unsigned state = static_cast<unsigned>(num(3));
    RECT r{static_cast<LONG>(num(4)), static_cast<LONG>(num(5)), static_cast<LONG>(num(6)), static_cast<LONG>(num(7))};
    items.Push(Json::Object()
                   .Set("index", num(0))
                   .Set("id", num(1))
                   .Set("text", Utf8(line.substr(start)))
                   .Set("separator", (type & MFT_SEPARATOR) != 0)
                   .Set("grayed", (state & MFS_GRAYED) != 0)
                   .Set("disabled", (state & MFS_DISABLED) != 0)
                   .Set("checked", (state & MFS_CHECKED) != 0)
                   .Set("highlighted", (state & MFS_HILITE) != 0)
                   .Set("type", type)
                   .Set("state", state)
                   .Set("rect", RectJson(r)));
  }
  return items;
}

Json ReadOne(HWND menu_window) {
  HMODULE module = ProbeModule();
  auto hook_proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "MenuProbeHook")));
  if (!hook_proc) throw DriverError("e2e_menu_probe.dll has no MenuProbeHook");

  DWORD pid = GetCurrentProcessId();
  HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMenuProbeSectionBytes,
                                      MenuProbeSectionName(pid).c_str());
  if (!section) throw DriverError("cannot create the menu section");
  auto* view = static_cast<wchar_t*>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, kMenuProbeSectionBytes));
  if (!view) {
    CloseHandle(section);
    throw DriverError("cannot map the menu section");
  }
  view[0] = L'\0';

  DWORD tid = GetWindowThreadProcessId(menu_window, nullptr);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, hook_proc, module, tid);
  std::wstring text;
  bool answered = false;
  if (hook) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(menu_window, RegisterWindowMessageW(kMenuProbeMessage), pid, 0, SMTO_NORMAL, 3000, &ignored);
    UnhookWindowsHookEx(hook);
    text.assign(view);
    answered = text.rfind(L"OK\n", 0) == 0;
  }
  UnmapViewOfFile(view);
  CloseHandle(section);
  if (!hook) throw DriverError("cannot hook the menu's thread (error " + std::to_string(GetLastError()) + ")");
  if (!answered) throw DriverError("the menu's thread did not answer the probe");

  RECT rect{};
  GetWindowRect(menu_window, &rect);
  DWORD owner_pid = 0;
  GetWindowThreadProcessId(menu_window, &owner_pid);
  return Json::Object()
      .Set("hwnd", HandleJson(menu_window))
      .Set("pid", owner_pid)
      .Set("rect", RectJson(rect))
      .Set("items", ParseItems(text));
}

}  // namespace

Json ReadShownMenus() {
  Json menus = Json::Array();
  for (HWND w : ShownMenuWindows()) menus.Push(ReadOne(w));
  return menus;
}
