#pragma once
#include <string>
#include <utility>
#include <vector>

#include "services/main_view.h"

// The main window's properties as plain fields, with the list box's and sliders' rules.
class FakeView : public MainView {
 public:
  WindowHandle handle = 0x1234;
  std::string caption = "Zelvorn鼠标助手 V3.0";
  int left = 765, top = 380;
  int scalePercent = 100;
  bool alwaysOnTop = true;
  int page = 0;

  std::vector<std::string> tasks;
  int selected = -1;
  int intervalPosition = 1;   // as stored: 0..32767
  int speedPosition = 1;
  bool capsLockMode = false;  // 单选框1
  std::string passCountText = "10";

  std::string statusText = "欢迎使用Zelvorn鼠标助手";
  std::string coordinateText;
  std::string intervalText;
  std::string speedText;
  bool taskCommandsEnabled = true;

  // Logs, in call order.
  std::vector<bool> topmostSwitches;
  std::vector<std::pair<int, int>> placements;
  std::vector<int> pagesShown;
  std::vector<std::string> statusTexts;
  std::vector<std::string> captions;
  int focusCalls = 0;
  int menusShown = 0;

  WindowHandle Handle() override { return handle; }
  std::string Caption() override { return caption; }
  void SetCaption(const std::string& text) override;
  int Left() override { return left; }
  int Top() override { return top; }
  void PlaceAt(int newLeft, int newTop) override;
  void Focus() override { ++focusCalls; }
  void SetAlwaysOnTop(bool on) override;
  int Scale(int pixelsAt96Dpi) override { return pixelsAt96Dpi * scalePercent / 100; }
  void ShowPage(int newPage) override;

  int SelectedTask() override { return selected; }
  void SelectTask(int index) override;
  int TaskCount() override { return static_cast<int>(tasks.size()); }
  std::string TaskName(int index) override;
  void AddTask(const std::string& name) override { tasks.push_back(name); }
  void RemoveTask(int index) override;

  int IntervalPosition() override { return intervalPosition; }
  void SetIntervalPosition(int position) override;
  int SpeedPosition() override { return speedPosition; }

  bool CapsLockModeChecked() override { return capsLockMode; }
  std::string PassCountText() override { return passCountText; }

  std::string StatusText() override { return statusText; }
  void SetStatusText(const std::string& text) override;
  void SetCoordinateText(const std::string& text) override { coordinateText = text; }
  void SetIntervalText(const std::string& text) override { intervalText = text; }
  void SetSpeedText(const std::string& text) override { speedText = text; }

  void SetTaskCommandsEnabled(bool enabled) override { taskCommandsEnabled = enabled; }
  void ShowTaskMenu() override { ++menusShown; }
};
