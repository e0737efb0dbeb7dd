#pragma once
#include <windows.h>
#include <string>
#include <string_view>

// The program's texts are GBK; at the Windows boundary they become UTF-16 for the W calls.
std::wstring Wide(std::string_view gbk);
std::string Narrow(std::wstring_view utf16);

std::string WindowTextOf(HWND window);
void SetWindowTextOf(HWND window, std::string_view gbk);
