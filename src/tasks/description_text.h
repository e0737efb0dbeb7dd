#pragma once

// The description section that opens every task file, for a human reader; the program never reads
// it back. Narrow literals here are GBK only where the compiler is told so (GCC with
// -fexec-charset=GBK, MSVC with /execution-charset:.936): clang-built code must not include this.

inline constexpr char kDescriptionSection[] = "Zelvorn鼠标助手V3.0";
inline constexpr char kDescriptionKey[] = "说明：";

// Seven lines joined by CR LF, none after the last; no ASCII "=" and no line starting with "[", so
// it stays one value of one key when read back as a task file.
inline constexpr char kDescriptionText[] =
    "    Zelvorn鼠标助手任务文件说明\r\n"
    "\r\n"
    "    格式：[事件顺序数]\r\n"
    "         X＝鼠标横向位置\r\n"
    "         Y＝鼠标纵向位置\r\n"
    "         事件＝0-3（0表示鼠标左键单击，1表示鼠标左键双击，2表示鼠标右键单击，3表示鼠标右键双击）\r\n"
    "         延时＝本次事件与上一事件之间的时间，单击：毫秒";
