#pragma once
#include <cstddef>
#include <iterator>
#include <string>

// The saved task of three events (F6 at 120,45; F8 at 300,200 1532 ms later; F7 at -5,700
// 2047 ms after that) after the interval slider was moved to 25, one text per line.
inline const char* const kExampleTaskLines[] = {
    "[Zelvorn鼠标助手V3.0]",
    "说明：=    Zelvorn鼠标助手任务文件说明",
    "",
    "    格式：[事件顺序数]",
    "         X＝鼠标横向位置",
    "         Y＝鼠标纵向位置",
    "         事件＝0-3（0表示鼠标左键单击，1表示鼠标左键双击，2表示鼠标右键单击，3表示鼠标右键双击）",
    "         延时＝本次事件与上一事件之间的时间，单击：毫秒",
    "[1]", "X=120", "Y=45", "事件=0", "延时=0",
    "[2]", "X=300", "Y=200", "事件=2", "延时=1532",
    "[3]", "X=-5", "Y=700", "事件=1", "延时=2047",
    "[间隔时间]", "值=25",
};
// Lines 1..23 are the file as recording leaves it, before the interval section.
inline constexpr std::size_t kRecordedExampleLines = 23;

// Lines [first, last) of the example, each ended by CR LF.
inline std::string ExampleTaskBytes(std::size_t first, std::size_t last = std::size(kExampleTaskLines)) {
  std::string bytes;
  for (std::size_t i = first; i < last; ++i) bytes.append(kExampleTaskLines[i]).append("\r\n");
  return bytes;
}
