#pragma once
#include <cstdint>

// A window as the portable code sees it: an opaque handle value (HWND on Windows).
using WindowHandle = std::uintptr_t;
