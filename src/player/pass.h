#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "tasks/program_context.h"

// One replay of every event of a task.
void RunPass(Context& context, const std::string& taskPath,
             const std::vector<std::string>& sectionNames, std::int32_t passNumber);

// The number of names in the form "1", "2", ...: decimal, from 1 up, no sign, blanks or
// leading zeros. Events 1..N are played; one whose section is missing is skipped.
std::int32_t CountEventSections(const std::vector<std::string>& sectionNames);

// A left click on the main window's title bar, which activates it.
void ClickTitleBar(Context& context);
// Moves the pointer one pixel per axis per iteration until each axis has been on target.
void GlideTo(Context& context, std::int32_t x, std::int32_t y);
void StepPause(Context& context);
// Waits whole 100 ms slices of ms; returns early when Caps Lock is on.
void WaitEventDelay(Context& context, std::int32_t ms);
// Waits the interval slider's position in 100 ms slices; Caps Lock on stops the run.
void WaitInterval(Context& context);
