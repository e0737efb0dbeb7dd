#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_world.h"
#include "player/pass.h"
#include "player/playback_run.h"
#include "recorder/hotkeys.h"
#include "services/text.h"
#include "tasks/task_library.h"

namespace {

using Click = FakeDesktop::Click;
using Message = FakeDialogs::Message;

// One event section; a null value leaves its key out.
struct Event {
  const char* x;
  const char* y;
  const char* type;
  const char* delay;
};

std::string EventSection(const std::string& name, const Event& e) {
  std::string text = "[" + name + "]\r\n";
  if (e.x) text += std::string("X=") + e.x + "\r\n";
  if (e.y) text += std::string("Y=") + e.y + "\r\n";
  if (e.type) text += std::string("事件=") + e.type + "\r\n";
  if (e.delay) text += std::string("延时=") + e.delay + "\r\n";
  return text;
}

const char kTaskPath[] = "C:\\Tools\\demo.kpx";
const char kPlaying[] = "Zelvorn鼠标助手 V3.0  (正在播放任务...)";
const char kNormal[] = "Zelvorn鼠标助手 V3.0";

class PlayerWorld : public FakeWorld {
 public:
  PlayerWorld() {
    view.tasks = {"demo"};
    view.selected = 0;
    view.left = 765;
    view.top = 380;
  }

  // The description section, events 1..n and, when given, the interval section.
  void PutTask(const std::vector<Event>& events, const char* interval = nullptr) {
    std::string text = "[Zelvorn鼠标助手V3.0]\r\n说明：=    Zelvorn鼠标助手任务文件说明\r\n";
    for (std::size_t i = 0; i < events.size(); ++i) {
      text += EventSection(IntegerToText(static_cast<std::int32_t>(i + 1)), events[i]);
    }
    if (interval) text += std::string("[间隔时间]\r\n值=") + interval + "\r\n";
    files.Put(kTaskPath, text);
  }

  void Pass(std::int32_t number = 1) {
    RunPass(context, kTaskPath, profile.SectionNames(kTaskPath), number);
  }

  Click TitleBar() const { return {view.left + 30, view.top + 8, 0}; }

  // Caps Lock goes on inside the k-th click of the whole test.
  void CapsLockOnAtClick(int k) {
    desktop.onClick = [this, k](int n) {
      if (n == k) desktop.capsLock = true;
    };
  }
};

class PassTest : public ::testing::Test, protected PlayerWorld {};
class PlayerTest : public ::testing::Test, protected PlayerWorld {};

TEST(PassCount, OnlyPlainDecimalNamesFromOneUpCount) {
  const struct {
    std::vector<std::string> names;
    std::int32_t count;
  } cases[] = {
      {{"Zelvorn鼠标助手V3.0", "1", "2", "3", "间隔时间"}, 3},
      {{"Zelvorn鼠标助手V3.0"}, 0},
      {{}, 0},
      {{"0", "01", "-1", "+1", " 1", "1 ", "1a", "", "１", "1.0"}, 0},
      {{"1", "2", "5"}, 3},
      {{"10", "99999999999"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.names));
    EXPECT_EQ(CountEventSections(c.names), c.count);
  }
}

TEST_F(PassTest, ClicksEveryEventOnceBetweenTwoTitleBarClicks) {
  PutTask({{"120", "45", "0", "0"}, {"300", "200", "2", "0"}, {"5", "700", "3", "0"}}, "25");
  Pass();
  EXPECT_EQ(desktop.clicks, (std::vector<Click>{TitleBar(), {120, 45, 0}, {300, 200, 2},
                                                {5, 700, 3}, TitleBar()}));
  EXPECT_EQ(view.focusCalls, 3);
  EXPECT_EQ(view.statusText, "已执行任务次数：1");
}

TEST_F(PassTest, TitleBarPointScalesWithTheWindow) {
  view.scalePercent = 200;
  PutTask({});
  Pass();
  EXPECT_EQ(desktop.clicks, (std::vector<Click>(2, {765 + 60, 380 + 16, 0})));
}

TEST_F(PassTest, AnEventWithoutTypeIsASingleLeftClick) {
  PutTask({{"50", "60", nullptr, "0"}, {"70", "80", "7", "0"}});
  Pass();
  EXPECT_EQ(desktop.clicks,
            (std::vector<Click>{TitleBar(), {50, 60, 0}, {70, 80, 7}, TitleBar()}));
}

TEST_F(PassTest, AMissingSectionWithinTheCountIsSkipped) {
  files.Put(kTaskPath, EventSection("1", {"11", "12", "0", "0"}) +
                           EventSection("2", {"21", "22", "0", "0"}) +
                           EventSection("5", {"51", "52", "0", "0"}));
  Pass();  // three event names: events 1 to 3, of which 3 is missing
  EXPECT_EQ(desktop.clicks,
            (std::vector<Click>{TitleBar(), {11, 12, 0}, {21, 22, 0}, TitleBar()}));
}

TEST_F(PassTest, ATaskFileDeletedDuringTheRunClicksNoEvent) {
  PutTask({{"120", "45", "0", "0"}, {"300", "200", "2", "0"}});
  const std::vector<std::string> names = profile.SectionNames(kTaskPath);
  files.Delete(kTaskPath);
  RunPass(context, kTaskPath, names, 1);
  EXPECT_EQ(desktop.clicks, (std::vector<Click>{TitleBar(), TitleBar()}));
}

TEST_F(PassTest, GlideIterationCounts) {
  const struct {
    std::pair<int, int> from, to;
    int iterations;
  } cases[] = {
      {{100, 100}, {100, 100}, 2},      // out and back on both axes
      {{100, 100}, {105, 100}, 5},
      {{100, 100}, {93, 103}, 7},
      {{0, 0}, {0, 0}, 2},              // the +1 step moves away from a top-left corner
      {{1919, 10}, {1919, 14}, 4},      // held at the right edge: x is on target at once
      {{1919, 1079}, {1919, 1079}, 1},  // held in the bottom-right corner
      {{1900, 10}, {5000, -20}, 19},    // beyond the screen: glides to (1919, 0)
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.to));
    desktop.pointerX = c.from.first;
    desktop.pointerY = c.from.second;
    desktop.reapplies = 0;
    GlideTo(context, c.to.first, c.to.second);
    EXPECT_EQ(desktop.reapplies, c.iterations);  // one step-pause unit per iteration at speed 1
    EXPECT_LE(std::abs(desktop.pointerX - std::clamp(c.to.first, 0, 1919)), 1);
    EXPECT_LE(std::abs(desktop.pointerY - std::clamp(c.to.second, 0, 1079)), 1);
  }
}

TEST_F(PassTest, StepPauseRepeatsWithTheSpeedPosition) {
  view.speedPosition = 3;
  desktop.pointerX = desktop.pointerY = 100;
  GlideTo(context, 100, 100);
  EXPECT_EQ(desktop.steps, 4);        // two iterations, one step per axis each
  EXPECT_EQ(desktop.reapplies, 2 * 3);
  EXPECT_EQ(pump.processCalls, 2 * (2 * 3 + 1));
  EXPECT_TRUE(desktop.sleeps.empty());
}

TEST_F(PassTest, AnUnreachableTargetIsClickedAtItsRecordedPlace) {
  desktop.virtualScreen = {-1280, 0, 1920, 1080};
  PutTask({{"5000", "-20", "0", "0"}, {"-3000", "2000", "1", "0"}});
  Pass();
  EXPECT_EQ(desktop.clicks, (std::vector<Click>{TitleBar(), {5000, -20, 0}, {-3000, 2000, 1},
                                                TitleBar()}));
}

TEST_F(PassTest, AGlideEndsInTheGapBesideASmallerMonitor) {
  desktop.virtualScreen = {0, 0, 3200, 1080};
  desktop.monitors = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
  desktop.pointerX = 2400;
  desktop.pointerY = 1000;
  GlideTo(context, 2500, 1050);  // below the right monitor: y can get no further than 1023
  EXPECT_EQ(desktop.reapplies, 100);
  EXPECT_EQ(desktop.pointerX, 2500);
  EXPECT_EQ(desktop.pointerY, 1023);
}

TEST_F(PassTest, OnlyTheDelayBeforeTheNextEventIsWaited) {
  // Event 1's own delay is never waited, nothing after the last event; the last 100 ms are the
  // interval wait.
  PutTask({{"1", "1", "0", "5000"}, {"2", "2", "0", "250"}, {"3", "3", "0", "99"}});
  Pass();
  EXPECT_EQ(desktop.sleeps, (std::vector<int>{100, 100, 100}));
}

TEST_F(PassTest, EventDelaysWaitWholeSlices) {
  const struct {
    std::int32_t ms;
    int slices;
  } cases[] = {{250, 2}, {99, 0}, {-500, 0}, {0, 0}, {100, 1}, {1999, 19}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ms);
    desktop.sleeps.clear();
    const std::uint64_t start = desktop.monotonic;
    WaitEventDelay(context, c.ms);
    EXPECT_EQ(desktop.sleeps, std::vector<int>(static_cast<std::size_t>(c.slices), 100));
    EXPECT_EQ(desktop.monotonic - start, 100u * static_cast<unsigned>(c.slices));
  }
}

TEST_F(PassTest, WaitsDoNotDriftWhenDispatchingCostsTime) {
  pump.onEveryProcess = [this] { desktop.Advance(30); };
  std::uint64_t start = desktop.monotonic;
  WaitEventDelay(context, 1000);
  EXPECT_EQ(desktop.monotonic - start, 1000u + 30u);  // the last slice's dispatch comes after
  std::vector<int> expected(10, 70);
  expected[0] = 100;
  EXPECT_EQ(desktop.sleeps, expected);

  // Later than a whole slice: no sleep, but every slice still looks at Caps Lock.
  pump.onEveryProcess = [this] { desktop.Advance(250); };
  view.intervalPosition = 4;
  desktop.sleeps.clear();
  desktop.capsQueries = 0;
  start = desktop.monotonic;
  WaitInterval(context);
  EXPECT_EQ(desktop.sleeps, (std::vector<int>{100, 0, 0, 0}));
  EXPECT_EQ(desktop.capsQueries, 4);
  EXPECT_EQ(desktop.monotonic - start, 100u + 4u * 250u);
}

TEST_F(PassTest, CapsLockEndsAWaitAfterItsSlice) {
  desktop.onCapsQuery = [this](int n) { desktop.capsLock = n >= 2; };
  WaitEventDelay(context, 1000);
  EXPECT_EQ(desktop.sleeps.size(), 2u);
  EXPECT_EQ(state.PlaybackStopRequested, 0);  // an event delay never requests the stop

  desktop.sleeps.clear();
  view.intervalPosition = 10;
  WaitInterval(context);
  EXPECT_EQ(desktop.sleeps.size(), 1u);
  EXPECT_EQ(state.PlaybackStopRequested, 1);
}

TEST_F(PassTest, CapsLockOnAtTheStartPlaysNoEvent) {
  const struct {
    int interval;
    std::vector<int> sleeps;
    int stopRequested;
  } cases[] = {{1, {100}, 1}, {0, {}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.interval);
    PlayerWorld world;
    world.PutTask({{"120", "45", "0", "0"}});
    world.desktop.capsLock = true;
    world.view.intervalPosition = c.interval;
    world.Pass(7);
    EXPECT_EQ(world.desktop.clicks, (std::vector<Click>{world.TitleBar(), world.TitleBar()}));
    EXPECT_EQ(world.desktop.sleeps, c.sleeps);
    EXPECT_EQ(world.state.PlaybackStopRequested, c.stopRequested);
    EXPECT_EQ(world.view.statusText, "已执行任务次数：7");
  }
}

TEST_F(PassTest, CapsLockDuringAGlideFinishesThatEvent) {
  PutTask({{"110", "110", "0", "0"}, {"300", "300", "2", "250"}, {"400", "400", "2", "0"}});
  desktop.onStep = [this](int n) {
    if (n == 3) desktop.capsLock = true;  // early in the first glide
  };
  Pass();
  EXPECT_EQ(desktop.clicks, (std::vector<Click>{TitleBar(), {110, 110, 0}, TitleBar()}));
  EXPECT_EQ(desktop.sleeps, (std::vector<int>{100, 100}));  // one delay slice, one interval slice
  EXPECT_EQ(state.PlaybackStopRequested, 1);
}

TEST_F(PassTest, AStopRequestBeforeAnEventEndsThePass) {
  PutTask({{"120", "45", "0", "0"}});
  state.PlaybackStopRequested = 1;
  Pass(1234);
  EXPECT_EQ(desktop.clicks, (std::vector<Click>{TitleBar(), TitleBar()}));
  EXPECT_EQ(desktop.sleeps, std::vector<int>{100});  // the interval is waited all the same
  EXPECT_EQ(view.statusText, "已执行任务次数：1,234");
}

// --- the run ---

std::vector<std::string> PassTexts(std::initializer_list<int> passes) {
  std::vector<std::string> texts;
  for (int p : passes) texts.push_back("已执行任务次数：" + IntegerToText(p));
  return texts;
}

template <typename T>
std::vector<T> Concat(std::initializer_list<std::vector<T>> parts) {
  std::vector<T> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(PlayerTest, NothingSelectedIsRefused) {
  PutTask({{"1", "1", "0", "0"}});
  view.selected = -1;
  std::vector<bool> topmostDuringDialog;
  dialogs.whileOpen = [&] { topmostDuringDialog.push_back(view.alwaysOnTop); };
  RunPlayback(context);
  EXPECT_EQ(dialogs.messages, (std::vector<Message>{{"请选择或录制一个任务！", 64, "提示！"}}));
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true}));
  EXPECT_EQ(topmostDuringDialog, std::vector<bool>{false});
  EXPECT_TRUE(view.statusTexts.empty());
  EXPECT_TRUE(view.captions.empty());
  EXPECT_TRUE(desktop.clicks.empty());
}

TEST_F(PlayerTest, ATaskWithoutEventsIsRefusedAndTheTextsStay) {
  const struct {
    const char* name;
    std::optional<std::string> file;
  } cases[] = {
      {"missing file", std::nullopt},
      {"empty file", ""},
      {"description and interval only", "[Zelvorn鼠标助手V3.0]\r\n[间隔时间]\r\n值=5\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PlayerWorld world;
    if (c.file) world.files.Put(kTaskPath, *c.file);
    world.view.statusText = "已执行任务次数：3";
    world.view.caption = kPlaying;  // refused inside another run
    world.state.PlaybackStopRequested = 1;
    std::vector<bool> topmostDuringDialog;
    world.dialogs.whileOpen = [&] { topmostDuringDialog.push_back(world.view.alwaysOnTop); };
    RunPlayback(world.context);
    EXPECT_EQ(world.dialogs.messages,
              (std::vector<Message>{{"任务文件无效或已经损坏！", 16, "提示！"}}));
    EXPECT_EQ(world.view.topmostSwitches, (std::vector<bool>{false, true}));
    EXPECT_EQ(topmostDuringDialog, std::vector<bool>{false});
    EXPECT_EQ(world.view.statusText, "已执行任务次数：3");
    EXPECT_EQ(world.view.caption, kPlaying);
    EXPECT_EQ(world.state.PlaybackStopRequested, 0);
    EXPECT_TRUE(world.view.placements.empty());
    EXPECT_TRUE(world.desktop.clicks.empty());
  }
}

TEST_F(PlayerTest, CountModePlaysTheCountThenBeepsOnce) {
  PutTask({{"120", "45", "0", "0"}});
  view.passCountText = "3";
  RunPlayback(context);
  EXPECT_EQ(view.statusTexts, Concat<std::string>({{"正在执行任务..."}, PassTexts({1, 2, 3}),
                                                   {"任务已停止"}}));
  EXPECT_EQ(view.captions, (std::vector<std::string>{kPlaying, kNormal}));
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true}));
  EXPECT_EQ(view.placements, (std::vector<std::pair<int, int>>{{1920 - 400, 1080 - 296}}));
  EXPECT_EQ(desktop.clicks.size(), 3u * 3u);
  EXPECT_EQ(desktop.beeps, 1);
  EXPECT_TRUE(desktop.keysPressed.empty());
}

TEST_F(PlayerTest, PassCountIsTheTruncatedNumberOfTheBox) {
  const struct {
    const char* text;
    int passes;
  } cases[] = {{"", 0}, {"0", 0}, {"-3", 0}, {"abc", 0}, {"2.9", 2}, {"３", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    PlayerWorld world;
    world.PutTask({{"120", "45", "0", "0"}});
    world.view.passCountText = c.text;
    world.view.scalePercent = 150;
    RunPlayback(world.context);
    EXPECT_EQ(world.desktop.clicks.size(), 3u * static_cast<unsigned>(c.passes));
    EXPECT_EQ(world.view.placements,
              (std::vector<std::pair<int, int>>{{1920 - 600, 1080 - 444}}));
    EXPECT_EQ(world.view.statusText, "任务已停止");
    EXPECT_EQ(world.desktop.beeps, 1);
    EXPECT_TRUE(world.view.alwaysOnTop);
  }
}

TEST_F(PlayerTest, CapsLockOnAtTheStartIsSwitchedOffAndOnAgainAtTheEnd) {
  PutTask({{"120", "45", "0", "0"}});
  view.capsLockMode = true;
  desktop.capsLock = true;
  CapsLockOnAtClick(5);  // pass 2's event
  RunPlayback(context);
  EXPECT_EQ(desktop.keysPressed, (std::vector<int>{20, 20}));
  EXPECT_FALSE(desktop.capsLock);
  EXPECT_EQ(view.statusTexts, Concat<std::string>({{"正在执行任务..."}, PassTexts({1, 2}),
                                                   {"任务已停止"}}));
}

TEST_F(PlayerTest, TheModesLookForTheStopDifferently) {
  // Caps Lock goes on with pass 1's last title-bar click, after its stop tests and waits.
  const struct {
    bool capsLockMode;
    std::vector<std::string> passTexts;
  } cases[] = {
      {true, PassTexts({1})},      // seen before pass 2
      {false, PassTexts({1, 2})},  // pass 2 stops at its first test; its interval wait asks the stop
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.capsLockMode);
    PlayerWorld world;
    world.PutTask({{"120", "45", "0", "0"}});
    world.view.capsLockMode = c.capsLockMode;
    world.view.passCountText = "5";
    world.CapsLockOnAtClick(3);
    RunPlayback(world.context);
    EXPECT_EQ(world.view.statusTexts,
              Concat<std::string>({{"正在执行任务..."}, c.passTexts, {"任务已停止"}}));
    EXPECT_EQ(world.desktop.keysPressed, std::vector<int>{20});
    EXPECT_FALSE(world.desktop.capsLock);
  }
}

TEST_F(PlayerTest, CountModeWithIntervalZeroRunsEveryPassDespiteCapsLock) {
  PutTask({{"120", "45", "0", "0"}, {"130", "55", "0", "0"}});
  view.intervalPosition = 0;
  view.passCountText = "3";
  CapsLockOnAtClick(2);  // pass 1's first event
  RunPlayback(context);
  EXPECT_EQ(desktop.clicks.size(), 3u + 2u + 2u);
  EXPECT_EQ(view.statusTexts, Concat<std::string>({{"正在执行任务..."}, PassTexts({1, 2, 3}),
                                                   {"任务已停止"}}));
  EXPECT_EQ(state.PlaybackStopRequested, 0);
  EXPECT_FALSE(desktop.capsLock);
}

TEST_F(PlayerTest, ARecordingInsideARunStopsIt) {
  PutTask({{"120", "45", "0", "0"}, {"130", "55", "0", "0"}});
  view.passCountText = "5";
  pump.whenIdle = [this] { StopRecording(context); };  // saved at once
  desktop.onClick = [this](int n) {
    if (n == 2) DuringNextDispatch([this] { StartRecording(context); });
  };
  RunPlayback(context);
  // The recording froze the run after event 1's click; the pass then finished that event and
  // stopped at its next test.
  EXPECT_EQ(desktop.clicks,
            (std::vector<Click>{TitleBar(), {120, 45, 0}, TitleBar()}));
  EXPECT_EQ(view.statusTexts, Concat<std::string>({{"正在执行任务..."}, PassTexts({1}),
                                                   {"任务已停止"}}));
  EXPECT_EQ(state.PlaybackStopRequested, 1);
  EXPECT_EQ(desktop.beeps, 1);
}

TEST_F(PlayerTest, ASecondRunInsideARunPlaysToItsEndThenTheFirstGoesOn) {
  PutTask({{"120", "45", "0", "0"}});
  view.passCountText = "2";
  desktop.onClick = [this](int n) {
    if (n == 2) DuringNextDispatch([this] { RunPlayback(context); });
  };
  RunPlayback(context);
  EXPECT_EQ(view.statusTexts,
            Concat<std::string>({{"正在执行任务...", "正在执行任务..."}, PassTexts({1, 2}),
                                 {"任务已停止"}, PassTexts({1, 2}), {"任务已停止"}}));
  EXPECT_EQ(view.captions, (std::vector<std::string>{kPlaying, kPlaying, kNormal, kNormal}));
  EXPECT_EQ(desktop.clicks.size(), 4u * 3u);
  EXPECT_EQ(desktop.beeps, 2);
}

}  // namespace
