// e2e_menu_probe.dll: loaded by Wine into the thread that shows a pop-up menu, through the
// driver's WH_CALLWNDPROC hook.
#include <windows.h>

#include <cwchar>
#include <string>

#include "menu_probe_protocol.h"

namespace {

std::wstring DescribeMenu(HMENU menu) {
  std::wstring out;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 511;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    RECT r{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r);
    wchar_t head[200];
    swprintf(head, 200, L"%d\t%u\t%u\t%u\t%ld\t%ld\t%ld\t%ld\t", i, info.wID, info.fType, info.fState, r.left, r.top,
             r.right, r.bottom);
    out += head;
    for (const wchar_t* p = text; *p; ++p) out += (*p == L'\n' || *p == L'\r') ? L' ' : *p;
    out += L'\n';
  }
  return out;
}

void Publish(DWORD driver_pid, const std::wstring& text) {
  HANDLE section = OpenFileMappingW(FILE_MAP_WRITE, FALSE, MenuProbeSectionName(driver_pid).c_str());
  if (!section) return;
  if (void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, kMenuProbeSectionBytes)) {
    size_t units = text.size();
    size_t room = kMenuProbeSectionBytes / sizeof(wchar_t) - 1;
    if (units > room) units = room;
    auto* dest = static_cast<wchar_t*>(view);
    std::wmemcpy(dest, text.data(), units);
    dest[units] = L'\0';
    UnmapViewOfFile(view);
  }
  CloseHandle(section);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wparam, LPARAM lparam) {
  static const UINT probe = RegisterWindowMessageW(kMenuProbeMessage);
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (call->message == probe) {
      auto menu = reinterpret_cast<HMENU>(SendMessageW(call->hwnd, MN_GETHMENU, 0, 0));
      Publish(static_cast<DWORD>(call->wParam), L"OK\n" + (menu ? DescribeMenu(menu) : std::wstring()));
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
