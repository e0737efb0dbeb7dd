#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/example_task.h"
#include "fakes/fake_world.h"
#include "recorder/event_recording.h"
#include "recorder/hotkeys.h"

namespace {

using Registration = FakePump::Registration;

class RecorderTest : public ::testing::Test, protected FakeWorld {
 protected:
  RecorderTest() {
    // Whatever a test scripted has happened: the save button ends the recording.
    pump.whenIdle = [this] { StopRecording(context); };
  }

  // One wake-up of the recording loop: the pointer stands at (x, y), `later` ms have passed
  // since the last wake-up, and the hotkey with this id is pressed.
  void PressAt(int x, int y, std::uint32_t later, int hotkeyId) {
    pump.wakeUps.push_back([=, this] {
      desktop.Advance(later);
      desktop.pointerX = x;
      desktop.pointerY = y;
      pump.PostHotkey(view.handle, hotkeyId);
    });
  }

  std::string Value(const std::string& section, const char* key) {
    return profile.Read(state.PendingTaskPath, section, key, "(absent)");
  }
};

std::vector<Registration> F6ToF9(WindowHandle owner, int firstId) {
  std::vector<Registration> rows;
  for (unsigned key = 117; key <= 120; ++key) rows.push_back({owner, firstId++, 0, key});
  return rows;
}

std::vector<int> Ids(int from, int to) {
  std::vector<int> ids;
  for (int id = from; id <= to; ++id) ids.push_back(id);
  return ids;
}

TEST_F(RecorderTest, HotkeyIdsGrowOverRecordingsAndStopReleasesEveryOne) {
  StartRecording(context);
  EXPECT_EQ(pump.attempts, F6ToF9(view.handle, 1));
  EXPECT_EQ(pump.unregistered, Ids(1, 4));
  EXPECT_TRUE(pump.registered.empty());

  pump.attempts.clear();
  pump.unregistered.clear();
  StartRecording(context);
  EXPECT_EQ(pump.attempts, F6ToF9(view.handle, 5));
  EXPECT_EQ(pump.unregistered, Ids(1, 8));
  const std::vector<HotkeyAction> once = {RecordLeftClick, RecordLeftDoubleClick, RecordRightClick,
                                          RecordRightDoubleClick};
  std::vector<HotkeyAction> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(state.HotkeyActionTable, twice);
}

TEST_F(RecorderTest, KeyHeldByAnotherProgramShiftsTheLaterIdsDown) {
  pump.heldElsewhere.insert({0u, 118u});  // F7
  PressAt(10, 20, 0, 2);                   // id 2 now belongs to F8
  StartRecording(context);

  const std::vector<Registration> tried = {
      {view.handle, 1, 0, 117}, {view.handle, 2, 0, 118}, {view.handle, 2, 0, 119},
      {view.handle, 3, 0, 120}};
  EXPECT_EQ(pump.attempts, tried);
  const std::vector<HotkeyAction> table = {RecordLeftClick, RecordRightClick,
                                           RecordRightDoubleClick};
  EXPECT_EQ(state.HotkeyActionTable, table);
  EXPECT_EQ(Value("1", "事件"), "2");
  EXPECT_EQ(pump.unregistered, Ids(1, 3));
}

TEST_F(RecorderTest, StopBeforeAnyRecordingUnregistersNothing) {
  StopRecording(context);
  EXPECT_EQ(state.RecordingStopped, 1);
  EXPECT_TRUE(pump.unregistered.empty());
}

TEST_F(RecorderTest, StartMovesTheWindowShowsTheSavePageAndStopsARunBeneath) {
  const struct {
    int scalePercent;
    std::pair<int, int> place;
  } cases[] = {{100, {1920 - 400, 1080 - 296}}, {150, {1920 - 600, 1080 - 444}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scalePercent);
    view.scalePercent = c.scalePercent;
    view.placements.clear();
    view.pagesShown.clear();
    state.PlaybackStopRequested = 0;
    StartRecording(context);
    EXPECT_EQ(view.placements, (std::vector<std::pair<int, int>>{c.place}));
    EXPECT_EQ(view.pagesShown, std::vector<int>{1});
    EXPECT_EQ(state.NextEventNumber, 1);
    EXPECT_EQ(state.PlaybackStopRequested, 1);
    EXPECT_EQ(view.topmostSwitches, std::vector<bool>{});
  }
}

TEST_F(RecorderTest, OnePressPerTurnAndForeignIdsAreIgnored) {
  pump.wakeUps.push_back([this] {
    pump.PostHotkey(view.handle, 1);
    pump.PostHotkey(view.handle, 3);  // already queued: dispatched with no effect
  });
  pump.wakeUps.push_back([this] {
    pump.PostHotkey(view.handle, 99);       // no table entry
    pump.PostHotkey(view.handle + 1, 2);    // another window's
  });
  PressAt(0, 0, 0, 4);
  StartRecording(context);

  EXPECT_EQ(profile.SectionNames(state.PendingTaskPath),
            (std::vector<std::string>{"Zelvorn鼠标助手V3.0", "1", "2"}));
  EXPECT_EQ(Value("1", "事件"), "0");
  EXPECT_EQ(Value("2", "事件"), "3");
  EXPECT_EQ(desktop.cues, 2);
}

TEST_F(RecorderTest, NestedRecordingWritesItsOwnFileAndOneStopEndsBoth) {
  std::string outerFile;
  PressAt(10, 20, 0, 1);
  pump.wakeUps.push_back([&, this] {
    outerFile = state.PendingTaskPath;
    DuringNextDispatch([this] { StartRecording(context); });
  });
  PressAt(30, 40, 500, 3);  // the inner loop takes it: the outer ids still work
  pump.wakeUps.push_back([this] { DuringNextDispatch([this] { StopRecording(context); }); });
  StartRecording(context);

  EXPECT_EQ(pump.waits, 4);  // the outer loop ends at its next turn without waiting again
  EXPECT_EQ(state.HotkeyActionTable.size(), 4u);
  ASSERT_EQ(pump.attempts.size(), 8u);
  for (std::size_t i = 4; i < 8; ++i) EXPECT_EQ(pump.attempts[i].id, 5);

  const std::string innerFile = state.PendingTaskPath;
  ASSERT_NE(outerFile, innerFile);
  const std::vector<std::string> oneEvent = {"Zelvorn鼠标助手V3.0", "1"};
  EXPECT_EQ(profile.SectionNames(outerFile), oneEvent);
  EXPECT_EQ(profile.SectionNames(innerFile), oneEvent);
  EXPECT_EQ(profile.Read(outerFile, "1", "X"), "10");
  EXPECT_EQ(profile.Read(innerFile, "1", "X"), "30");
  EXPECT_EQ(profile.Read(innerFile, "1", "事件"), "2");
  EXPECT_EQ(profile.Read(innerFile, "1", "延时"), "0");
  EXPECT_EQ(state.RecordingStopped, 1);
  EXPECT_EQ(state.PlaybackStopRequested, 1);
}

TEST_F(RecorderTest, TemporaryNamesAreLowerCaseHexAndSkipTakenNames) {
  desktop.uptime = 0xABCDEF00u;
  const std::string first = NewTemporaryFileName(context);
  ASSERT_EQ(first.rfind("C:\\Temp\\", 0), 0u) << first;
  const std::string hex = first.substr(8, first.size() - 8 - 4);
  ASSERT_EQ(first.substr(first.size() - 4), ".tmp");
  ASSERT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos) << hex;
  ASSERT_NE(hex[0], '0');
  const std::uint32_t n = static_cast<std::uint32_t>(std::strtoul(hex.c_str(), nullptr, 16));

  // The counter moves the next name on by one; taken names are stepped over.
  char name[32];
  for (std::uint32_t taken = n + 1; taken <= n + 2; ++taken) {
    std::snprintf(name, sizeof name, "C:\\Temp\\%x.tmp", static_cast<unsigned>(taken));
    files.Put(name, "x");
  }
  std::snprintf(name, sizeof name, "C:\\Temp\\%x.tmp", static_cast<unsigned>(n + 3));
  EXPECT_EQ(NewTemporaryFileName(context), name);
  EXPECT_EQ(files.Paths().size(), 2u);  // nothing is created

  files.SetTempDirectory("");
  const std::string relative = NewTemporaryFileName(context);
  EXPECT_EQ(relative.find('\\'), std::string::npos) << relative;
}

TEST_F(RecorderTest, ThreeEventsGiveTheTaskFileByteForByte) {
  desktop.virtualScreen = {-1280, 0, 1920, 1080};
  PressAt(120, 45, 5000, 1);   // long after the click on 录制: still 延时 0
  PressAt(300, 200, 1532, 3);
  PressAt(-5, 700, 2047, 2);
  StartRecording(context);

  EXPECT_EQ(files.Get(state.PendingTaskPath), ExampleTaskBytes(0, kRecordedExampleLines));
  EXPECT_EQ(state.NextEventNumber, 4);
  EXPECT_EQ(desktop.cues, 3);
}

TEST_F(RecorderTest, DelayIsTheTrueTimeAcrossTheUptimeWrap) {
  const struct {
    std::uint32_t firstUptime;
    std::uint32_t delay;
    const char* text;
  } cases[] = {
      {1000, 1532, "1532"},
      {0x7FFFFF00u, 512, "512"},   // passes 2^31
      {0xFFFFFF00u, 512, "512"},   // passes 2^32
      {0x7FFFFFFFu, 0x80000001u, "2147483649"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    state.PendingTaskPath = "C:\\Temp\\wrap.tmp";
    files.Delete(state.PendingTaskPath);
    state.NextEventNumber = 1;
    desktop.uptime = c.firstUptime;
    RecordEvent(context, "0");
    desktop.uptime += c.delay;
    RecordEvent(context, "0");
    EXPECT_EQ(Value("2", "延时"), c.text);
  }
}

}  // namespace
