#pragma once
// Shared by the driver and e2e_menu_probe.dll. Wine keeps a menu's items inside the
// process that owns it, so the driver hooks the menu's thread with this DLL, which reads
// the shown menu in place and leaves a text in a named section for the driver.
//
// Section text, UTF-16: "OK\n", then one line per item, "index\tid\ttype\tstate\tleft\ttop\tright\tbottom\ttext\n".
#include <windows.h>

#include <string>

inline constexpr wchar_t kMenuProbeMessage[] = L"ZelvornE2E.ReadShownMenu";
inline constexpr DWORD kMenuProbeSectionBytes = 256 * 1024;

inline std::wstring MenuProbeSectionName(DWORD driver_pid) {
  return L"Local\\ZelvornE2EMenu." + std::to_wstring(driver_pid);
}
