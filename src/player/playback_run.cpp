#include "player/playback_run.h"

#include <cstdint>
#include <string>
#include <vector>

#include "player/pass.h"
#include "services/text.h"
#include "tasks/task_library.h"

namespace {

constexpr int kCapsLockKey = 20;

void SwitchCapsLockOff(Context& context) {
  if (context.desktop.IsCapsLockOn() == 1) {
    context.desktop.PressKey(kCapsLockKey);
    // The key state changes only once the thread has taken the key's messages.
    context.pump.ProcessPendingEvents();
  }
}

void RunCapsLockMode(Context& context, const std::string& path,
                     const std::vector<std::string>& sections) {
  std::int64_t pass = 0;
  while (context.desktop.IsCapsLockOn() != 1 && context.state.PlaybackStopRequested == 0) {
    ++pass;
    RunPass(context, path, sections, static_cast<std::int32_t>(pass));
    context.pump.ProcessPendingEvents();
  }
}

void RunCountMode(Context& context, const std::string& path,
                  const std::vector<std::string>& sections) {
  const std::int32_t passCount = RealToInteger(TextToNumber(context.view.PassCountText()));
  for (std::int64_t pass = 1; pass <= passCount; ++pass) {
    if (context.state.PlaybackStopRequested != 0) break;
    RunPass(context, path, sections, static_cast<std::int32_t>(pass));
    context.pump.ProcessPendingEvents();
  }
}

}  // namespace

void RunPlayback(Context& context) {
  MainView& view = context.view;
  view.SetAlwaysOnTop(false);
  const int selected = view.SelectedTask();
  if (selected < 0) {
    context.dialogs.ShowMessage("请选择或录制一个任务！", kStyleInformation, "提示！");
    view.SetAlwaysOnTop(true);
    return;
  }
  const std::string path = TaskFilePath(context, view.TaskName(selected));
  const std::vector<std::string> sections = context.profile.SectionNames(path);
  context.state.PlaybackStopRequested = 0;

  const std::string statusBefore = view.StatusText();
  const std::string captionBefore = view.Caption();
  view.SetStatusText("正在执行任务...");
  view.SetCaption("Zelvorn鼠标助手 V3.0  (正在播放任务...)");
  if (CountEventSections(sections) == 0) {
    // Nothing was played: the status line and the caption go back to what they said.
    view.SetStatusText(statusBefore);
    view.SetCaption(captionBefore);
    context.dialogs.ShowMessage("任务文件无效或已经损坏！", kStyleError, "提示！");
    view.SetAlwaysOnTop(true);
    return;
  }
  view.SetAlwaysOnTop(true);

  view.PlaceAt(context.desktop.GetScreenWidth() - view.Scale(400),
               context.desktop.GetScreenHeight() - view.Scale(296));
  SwitchCapsLockOff(context);

  if (view.CapsLockModeChecked()) {
    RunCapsLockMode(context, path, sections);
  } else {
    RunCountMode(context, path, sections);
  }

  SwitchCapsLockOff(context);
  context.desktop.PlayDefaultBeep();
  view.SetStatusText("任务已停止");
  view.SetCaption("Zelvorn鼠标助手 V3.0");
}
