#pragma once
#include <windows.h>

#include "services/main_view.h"

// The main window's controls as the portable handlers see them.
class Win32MainView : public MainView {
 public:
  void Attach(HWND window, HWND pages);

  WindowHandle Handle() override;
  std::string Caption() override;
  void SetCaption(const std::string& text) override;
  int Left() override;
  int Top() override;
  void PlaceAt(int left, int top) override;
  void Focus() override;
  void SetAlwaysOnTop(bool on) override;
  int Scale(int pixelsAt96Dpi) override;
  void ShowPage(int page) override;
  int SelectedTask() override;
  void SelectTask(int index) override;
  int TaskCount() override;
  std::string TaskName(int index) override;
  void AddTask(const std::string& name) override;
  void RemoveTask(int index) override;
  int IntervalPosition() override;
  void SetIntervalPosition(int position) override;
  int SpeedPosition() override;
  bool CapsLockModeChecked() override;
  std::string PassCountText() override;
  std::string StatusText() override;
  void SetStatusText(const std::string& text) override;
  void SetCoordinateText(const std::string& text) override;
  void SetIntervalText(const std::string& text) override;
  void SetSpeedText(const std::string& text) override;
  void SetTaskCommandsEnabled(bool enabled) override;
  void ShowTaskMenu() override;

  // The user moved a slider: the track bar's position becomes the stored one.
  void TakeSliderPosition(int sliderId);
  int CurrentPage() const { return page_; }
  void SetDpi(int dpi) { dpi_ = dpi; }
  int Dpi() const { return dpi_; }

 private:
  HWND Control(int id) const;
  void StorePosition(int sliderId, int* stored, int position);

  HWND window_ = nullptr;
  HWND pages_ = nullptr;
  int dpi_ = 96;
  int page_ = 0;
  int intervalPosition_ = 1;
  int speedPosition_ = 1;
  bool taskCommandsEnabled_ = true;
};
