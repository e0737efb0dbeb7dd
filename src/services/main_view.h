#pragma once
#include <string>
#include "services/window_handle.h"

// The main window's properties that the recorder, the task library and the player read or
// write. Texts are GBK. Setting a value from code raises no change event.
class MainView {
 public:
  virtual ~MainView() = default;

  virtual WindowHandle Handle() = 0;
  virtual std::string Caption() = 0;
  virtual void SetCaption(const std::string& text) = 0;
  virtual int Left() = 0;   // outer frame, screen coordinates
  virtual int Top() = 0;
  // Moves the top-left corner, size kept; nothing happens when the place is unchanged.
  virtual void PlaceAt(int left, int top) = 0;
  virtual void Focus() = 0;
  virtual void SetAlwaysOnTop(bool on) = 0;
  // Pixels at 96 DPI scaled to the window's DPI.
  virtual int Scale(int pixelsAt96Dpi) = 0;

  virtual void ShowPage(int page) = 0;   // 0 main, 1 recording; others moved to the nearest

  // 列表框
  virtual int SelectedTask() = 0;        // -1 when none
  virtual void SelectTask(int index) = 0;
  virtual int TaskCount() = 0;
  virtual std::string TaskName(int index) = 0;
  virtual void AddTask(const std::string& name) = 0;
  virtual void RemoveTask(int index) = 0;

  // 间隔滑块条 and 鼠标滑块条: the stored position, kept within 0..32767.
  virtual int IntervalPosition() = 0;
  virtual void SetIntervalPosition(int position) = 0;
  virtual int SpeedPosition() = 0;

  virtual bool CapsLockModeChecked() = 0;   // 单选框1
  virtual std::string PassCountText() = 0;  // 编辑框1

  virtual std::string StatusText() = 0;                          // 标签1
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetCoordinateText(const std::string& text) = 0;  // 标签2
  virtual void SetIntervalText(const std::string& text) = 0;    // 间隔时间
  virtual void SetSpeedText(const std::string& text) = 0;       // 鼠标速度

  // The context menu of the task list; a chosen item runs its handler.
  virtual void SetTaskCommandsEnabled(bool enabled) = 0;
  virtual void ShowTaskMenu() = 0;
};
