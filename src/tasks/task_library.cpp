#include "tasks/task_library.h"

#include "recorder/hotkeys.h"
#include "services/labels.h"
#include "services/text.h"

namespace {

const char kIntervalSection[] = "间隔时间";
const char kIntervalKey[] = "值";

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// ASCII letters compared without case; the trail byte of a double-byte character never folds.
bool SameTaskName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// A separator would put the file outside the run directory. 0x5C can be a GBK trail byte,
// so only bytes at character boundaries are looked at.
bool HasPathSeparator(const std::string& name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(byte)) {
      ++i;
      continue;
    }
    if (byte == '\\' || byte == '/') return true;
  }
  return false;
}

bool IsTaskListed(Context& context, const std::string& name) {
  const int count = context.view.TaskCount();
  for (int i = 0; i < count; ++i) {
    if (SameTaskName(context.view.TaskName(i), name)) return true;
  }
  return false;
}

std::string SelectedTaskName(Context& context) {
  const int selected = context.view.SelectedTask();
  return selected >= 0 ? context.view.TaskName(selected) : std::string();
}

// Never replaces a file that is there already.
bool MovePendingFile(Context& context, const std::string& target) {
  const std::string& pending = context.state.PendingTaskPath;
  if (context.files.Move(pending, target)) return true;
  if (!context.files.CopyNew(pending, target)) return false;
  context.files.Delete(pending);
  return true;
}

void ShowWithTopmostOff(Context& context, const char* text, int style, const char* caption) {
  context.view.SetAlwaysOnTop(false);
  context.dialogs.ShowMessage(text, style, caption);
  context.view.SetAlwaysOnTop(true);
}

}  // namespace

std::string TaskFilePath(Context& context, const std::string& name) {
  return JoinTexts({context.state.RunDirectory, "\\", name, ".kpx"});
}

void ListTasks(Context& context) {
  const std::vector<std::string> names =
      context.files.ListFiles(JoinTexts({context.state.RunDirectory, "\\*.kpx"}));
  for (const std::string& name : names) {
    if (name.empty()) continue;
    context.view.AddTask(TextLeft(name, TextLength(name) - 4));
    context.pump.ProcessPendingEvents();
  }
  context.view.SelectTask(0);
  OnTaskSelected(context);
}

void OnTaskSelected(Context& context) {
  const std::string path = TaskFilePath(context, SelectedTaskName(context));
  const std::string value = context.profile.Read(path, kIntervalSection, kIntervalKey, "1");
  context.view.SetIntervalPosition(RealToInteger(TextToNumber(value)));
  RefreshIntervalLabel(context);
}

void OnIntervalChanged(Context& context) {
  RefreshIntervalLabel(context);
  if (context.view.SelectedTask() < 0) return;
  const std::string path = TaskFilePath(context, SelectedTaskName(context));
  context.profile.Write(path, kIntervalSection, kIntervalKey,
                        IntegerToText(context.view.IntervalPosition()));
}

void RefreshIntervalLabel(Context& context) {
  context.view.SetIntervalText(IntervalLabelText(context.view.IntervalPosition()));
}

void SaveTask(Context& context) {
  MainView& view = context.view;
  view.ShowPage(0);
  StopRecording(context);
  if (context.state.NextEventNumber == 1) {
    ShowWithTopmostOff(context, "您必须至少录制一个鼠标事件！", kStyleInformation, "提示！");
    return;
  }

  view.SetAlwaysOnTop(false);
  const std::string defaultName =
      JoinTexts({"新任务", RealToText(static_cast<double>(view.TaskCount()) + 1.0)});
  std::string answer;
  if (!context.dialogs.AskText("请输入本次任务保存的名称...", "保存任务", defaultName, 1, &answer)) {
    context.files.Delete(context.state.PendingTaskPath);
    view.SetAlwaysOnTop(true);
    return;
  }
  view.SetAlwaysOnTop(true);
  const std::string name = RemoveAllSpaces(answer);

  if (IsTaskListed(context, name)) {
    ShowWithTopmostOff(context, "该任务已经存在，请换用其它任务名！", kStyleInformation, "提示！");
    SaveTask(context);
    view.SetAlwaysOnTop(true);
    return;
  }

  if (HasPathSeparator(name) || !MovePendingFile(context, TaskFilePath(context, name))) {
    ShowWithTopmostOff(context, "保存任务失败！", kStyleError, "错误！");
    return;
  }
  view.AddTask(name);
  view.SelectTask(view.TaskCount() - 1);
  OnTaskSelected(context);
  view.SetAlwaysOnTop(true);
}

void DeleteTask(Context& context) {
  MainView& view = context.view;
  view.SetAlwaysOnTop(false);
  if (context.dialogs.ShowMessage("您确定要删除当前选中的任务吗？", kStyleQuestion, "删除任务？") !=
      kResultYes) {
    view.SetAlwaysOnTop(true);
    return;
  }
  // With nothing selected there is no task to delete; never touch the file of the empty name.
  const int selected = view.SelectedTask();
  if (selected < 0 || !context.files.Delete(TaskFilePath(context, view.TaskName(selected)))) {
    context.dialogs.ShowMessage("删除任务失败！", kStyleError, "错误！");
    view.SetAlwaysOnTop(true);
    return;
  }
  view.RemoveTask(selected);
  view.SelectTask(0);
  OnTaskSelected(context);
  view.SetAlwaysOnTop(true);
}

void EditTask(Context& context) {
  context.files.StartProgram(
      JoinTexts({"notepad.exe ", TaskFilePath(context, SelectedTaskName(context))}));
}

void OfferTaskCommands(Context& context) {
  context.view.SetTaskCommandsEnabled(context.view.SelectedTask() >= 0);
  context.view.ShowTaskMenu();
}
