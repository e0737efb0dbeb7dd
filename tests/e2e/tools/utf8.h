#pragma once
// The driver speaks UTF-8 on its pipes; Windows speaks UTF-16.
#include <string>
#include <string_view>

std::string Utf8(std::wstring_view utf16);
std::wstring Utf16(std::string_view utf8);
