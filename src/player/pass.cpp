#include "player/pass.h"

#include <algorithm>
#include <optional>

#include "services/text.h"

namespace {

bool IsEventSectionName(const std::string& name) {
  if (name.empty() || name[0] < '1' || name[0] > '9') return false;
  return std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Asked of the file as it is now, not of the run's list: the file may have been edited or
// deleted since the run started. The profile reads find sections the same way.
bool SectionExists(Context& context, const std::string& path, const std::string& section) {
  return context.profile.HasSection(path, section);
}

std::int32_t ReadInteger(Context& context, const std::string& path, const std::string& section,
                         const char* key, const std::string& defaultText = std::string()) {
  return RealToInteger(TextToNumber(context.profile.Read(path, section, key, defaultText)));
}

// Sleeps slices of 100 ms, each to its own deadline so lateness does not add up.
// True when Caps Lock was found on after a slice.
bool SleepSlices(Context& context, std::int64_t slices) {
  Desktop& desktop = context.desktop;
  const std::uint64_t start = desktop.MonotonicMs();
  for (std::int64_t j = 1; j <= slices; ++j) {
    const std::uint64_t deadline = start + 100 * static_cast<std::uint64_t>(j);
    const std::uint64_t now = desktop.MonotonicMs();
    const int ms = now < deadline ? static_cast<int>(std::min<std::uint64_t>(deadline - now, 100)) : 0;
    desktop.SleepMs(ms);
    context.pump.ProcessPendingEvents();
    if (desktop.IsCapsLockOn() == 1) return true;
  }
  return false;
}

// A pointer that did not move although it stood off target is held at the edge of the
// screens (a gap between monitors of different sizes, too): that axis can get no nearer.
struct GlideAxis {
  std::int32_t target;
  bool reached = false;

  int Direction(std::int32_t position) const { return position > target ? -1 : +1; }
  void Settle(std::int32_t before, std::int32_t after) {
    if (after == target || (before != target && after == before)) reached = true;
  }
};

}  // namespace

std::int32_t CountEventSections(const std::vector<std::string>& sectionNames) {
  return static_cast<std::int32_t>(
      std::count_if(sectionNames.begin(), sectionNames.end(), IsEventSectionName));
}

void ClickTitleBar(Context& context) {
  MainView& view = context.view;
  context.desktop.SimulateClick(view.Left() + view.Scale(30), view.Top() + view.Scale(8), 0);
}

void GlideTo(Context& context, std::int32_t x, std::int32_t y) {
  Desktop& desktop = context.desktop;
  const ScreenRect screen = desktop.VirtualScreen();
  if (screen.right > screen.left) x = std::clamp(x, screen.left, screen.right - 1);
  if (screen.bottom > screen.top) y = std::clamp(y, screen.top, screen.bottom - 1);
  GlideAxis ax{x}, ay{y};
  for (;;) {
    const std::int32_t x0 = desktop.GetPointerX();
    desktop.StepPointer(ax.Direction(x0), 0);
    ax.Settle(x0, desktop.GetPointerX());
    const std::int32_t y0 = desktop.GetPointerY();
    desktop.StepPointer(0, ay.Direction(y0));
    ay.Settle(y0, desktop.GetPointerY());
    StepPause(context);
    context.pump.ProcessPendingEvents();
    if (ax.reached && ay.reached) return;
  }
}

void StepPause(Context& context) {
  const int units = context.view.SpeedPosition();
  for (int i = 0; i < units; ++i) {
    context.pump.ProcessPendingEvents();
    context.desktop.ReapplyPointer();
    context.pump.ProcessPendingEvents();
  }
}

void WaitEventDelay(Context& context, std::int32_t ms) {
  SleepSlices(context, RealToInteger(ms / 100.0));
}

void WaitInterval(Context& context) {
  if (SleepSlices(context, context.view.IntervalPosition())) {
    context.state.PlaybackStopRequested = 1;
  }
}

void RunPass(Context& context, const std::string& taskPath,
             const std::vector<std::string>& sectionNames, std::int32_t passNumber) {
  Desktop& desktop = context.desktop;
  ClickTitleBar(context);
  const std::int32_t eventCount = CountEventSections(sectionNames);
  for (std::int32_t i = 1;; ++i) {
    if (i > eventCount) break;
    if (desktop.IsCapsLockOn() == 1) break;
    if (context.state.PlaybackStopRequested != 0) break;

    const std::string section = IntegerToText(i);
    // A missing event would glide nowhere and click at (0, 0).
    if (!SectionExists(context, taskPath, section)) continue;

    const std::int32_t targetX = ReadInteger(context, taskPath, section, "X",
                                             IntegerToText(desktop.GetPointerX()));
    const std::int32_t targetY = ReadInteger(context, taskPath, section, "Y",
                                             IntegerToText(desktop.GetPointerY()));
    GlideTo(context, targetX, targetY);
    context.pump.ProcessPendingEvents();

    const std::int32_t clickX = ReadInteger(context, taskPath, section, "X");
    const std::int32_t clickY = ReadInteger(context, taskPath, section, "Y");
    const std::int32_t type = ReadInteger(context, taskPath, section, "事件");
    desktop.SimulateClick(clickX, clickY, type);
    context.pump.ProcessPendingEvents();

    const std::string nextSection = RealToText(static_cast<double>(i) + 1.0);
    WaitEventDelay(context, ReadInteger(context, taskPath, nextSection, "延时"));
    context.pump.ProcessPendingEvents();
    context.view.Focus();
  }
  WaitInterval(context);
  context.view.SetStatusText(
      JoinTexts({"已执行任务次数：", FormatNumber(static_cast<double>(passNumber), std::nullopt, true)}));
  ClickTitleBar(context);
}
