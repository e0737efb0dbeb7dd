#pragma once
#include <string>
#include <string_view>

// The directory part of the executable's path: everything before its last backslash, where a
// GBK trail byte that happens to be 0x5C is not a backslash. Empty when there is none.
std::string RunDirectoryFromModulePath(std::string_view modulePath);
