#pragma once
#include <windows.h>

// Where each control of the main window stands at 96 DPI, relative to its parent's client area.
enum class ParentKind { Window, Pages, Banner };

struct ControlPlace {
  int id;
  ParentKind parent;
  int page;  // -1: not on a page
  int x, y, width, height;
};

// Window size when created (the creation handler then sets the height to 295).
inline constexpr int kMainWidth = 390;
inline constexpr int kMainCreatedHeight = 319;
inline constexpr int kMainHeight = 295;
inline constexpr int kPagesCreatedTop = 44;
inline constexpr int kPagesTop = 62;

const ControlPlace* MainControlPlaces(int* count);
const ControlPlace* FindControlPlace(int id);
