#pragma once
#include <string>

// Captions of the main window's live labels, in GBK.

// The interval of 间隔滑块条, whose position counts tenths of a second: "5.9秒", "16分39.9秒".
std::string IntervalLabelText(int position);
// "当前鼠标横/纵座标：x/y" for the pointer at (x, y).
std::string CoordinateLabelText(int x, int y);
