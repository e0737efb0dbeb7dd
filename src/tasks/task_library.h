#pragma once
#include <string>
#include "tasks/program_context.h"

// The saved tasks: the *.kpx files of the run directory, listed by name in 列表框.

// "<run directory>\<name>.kpx"
std::string TaskFilePath(Context& context, const std::string& name);

void ListTasks(Context& context);
// Loads the selected task's interval into 间隔滑块条 (default 1).
void OnTaskSelected(Context& context);
// Stores the interval slider's position in the selected task's file.
void OnIntervalChanged(Context& context);
void RefreshIntervalLabel(Context& context);

// Click handler of 按钮1 (保存鼠标事件): ends the recording and saves it under a name.
void SaveTask(Context& context);
void DeleteTask(Context& context);
void EditTask(Context& context);
// Right button in 列表框: the context menu, its task commands greyed when nothing is selected.
void OfferTaskCommands(Context& context);
