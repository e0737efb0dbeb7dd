#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_world.h"
#include "services/text.h"
#include "tasks/task_library.h"

namespace {

using Message = FakeDialogs::Message;
using Op = MemoryFiles::Op;

std::string TaskFile(const std::string& name) { return "C:\\Tools\\" + name + ".kpx"; }

// A recording of two events waits in the temporary directory to be saved.
struct LibraryWorld : FakeWorld {
  const std::string pending = "C:\\Temp\\5a3f.tmp";
  const std::string pendingBytes = "[1]\r\nX=5\r\n[2]\r\nX=6\r\n";
  // Whether the main window was on top while each dialog was open.
  std::vector<bool> topmostDuringDialogs;

  LibraryWorld() {
    files.Put(pending, pendingBytes);
    state.PendingTaskPath = pending;
    state.NextEventNumber = 3;
    view.intervalPosition = 250;
    view.page = 1;
    dialogs.whileOpen = [this] { topmostDuringDialogs.push_back(view.alwaysOnTop); };
  }

  void List(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      files.Put(TaskFile(name), "[1]\r\nX=1\r\n");
      view.tasks.push_back(name);
    }
  }

  void ExpectNotSaved(std::size_t tasksBefore = 0) {
    EXPECT_EQ(files.Get(pending), pendingBytes);
    EXPECT_EQ(view.tasks.size(), tasksBefore);
  }
};

class LibraryTest : public ::testing::Test, protected LibraryWorld {};
using LibrarySaveTest = LibraryTest;

TEST_F(LibraryTest, ListShowsFilesLessTheirSuffixAndSelectsTheFirst) {
  files.Put(TaskFile(""), "[间隔时间]\r\n值=25\r\n");  // the bare suffix
  files.Put(TaskFile("abc"), "");
  files.Put("C:\\Tools\\notes.txt", "");
  files.AddDirectory(TaskFile("dir"));
  files.Put("C:\\Tools\\dir.kpx\\inner.kpx", "");

  ListTasks(context);

  EXPECT_EQ(view.tasks, (std::vector<std::string>{"", "abc"}));
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(view.intervalPosition, 25);
  EXPECT_EQ(view.intervalText, "2.5秒");
  EXPECT_EQ(pump.processCalls, 2);
}

TEST_F(LibraryTest, EmptyRunDirectoryLeavesNothingSelected) {
  ListTasks(context);
  EXPECT_TRUE(view.tasks.empty());
  EXPECT_EQ(view.selected, -1);
  EXPECT_EQ(view.intervalPosition, 1);
  EXPECT_EQ(view.intervalText, "0.1秒");
}

TEST_F(LibraryTest, SelectingATaskLoadsItsInterval) {
  const struct {
    std::optional<std::string> file;
    int position;
    const char* label;
  } cases[] = {
      {std::nullopt, 1, "0.1秒"},
      {"[1]\r\nX=1\r\n", 1, "0.1秒"},
      {"[间隔时间]\r\n值=0\r\n", 0, "0秒"},
      {"[间隔时间]\r\n值=20000\r\n", 20000, "33分20.0秒"},
      {"[间隔时间]\r\n值=abc\r\n", 0, "0秒"},
      {"[间隔时间]\r\n值= 1500.7\r\n", 1500, "2分30.0秒"},
      {"[间隔时间]\r\n值=99999\r\n", 32767, "54分36.7秒"},
  };
  view.tasks = {"demo"};
  view.selected = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.value_or("(no file)"));
    files.Delete(TaskFile("demo"));
    if (c.file) files.Put(TaskFile("demo"), *c.file);
    view.intervalPosition = 777;
    OnTaskSelected(context);
    EXPECT_EQ(view.intervalPosition, c.position);
    EXPECT_EQ(view.intervalText, c.label);
  }
}

TEST_F(LibraryTest, MovingTheSliderRewritesTheIntervalInPlace) {
  const std::string events = "[Zelvorn鼠标助手V3.0]\r\n[1]\r\nX=120\r\n";
  files.Put(TaskFile("demo"), events);
  view.tasks = {"demo"};
  view.selected = 0;

  view.intervalPosition = 25;
  OnIntervalChanged(context);
  view.intervalPosition = 30;
  OnIntervalChanged(context);

  EXPECT_EQ(files.Get(TaskFile("demo")), events + "[间隔时间]\r\n值=30\r\n");
  EXPECT_EQ(view.intervalText, "3秒");
}

TEST_F(LibraryTest, MovingTheSliderWithNoSelectionOnlyChangesTheLabel) {
  List({"demo"});
  view.selected = -1;
  view.intervalPosition = 600;
  OnIntervalChanged(context);
  EXPECT_EQ(view.intervalText, "1分0.0秒");
  EXPECT_EQ(files.Calls(Op::ReplaceAll), 0);
}

TEST_F(LibrarySaveTest, EmptyRecordingGetsAHintAndNoQuestion) {
  state.NextEventNumber = 1;
  SaveTask(context);
  EXPECT_EQ(view.pagesShown, std::vector<int>{0});
  EXPECT_EQ(state.RecordingStopped, 1);
  EXPECT_EQ(dialogs.messages,
            (std::vector<Message>{{"您必须至少录制一个鼠标事件！", 64, "提示！"}}));
  EXPECT_TRUE(dialogs.questions.empty());
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true}));
  EXPECT_EQ(topmostDuringDialogs, std::vector<bool>{false});
}

TEST_F(LibrarySaveTest, SavedUnderTheOfferedDefaultName) {
  List({"a", "b", "c"});
  dialogs.answers = {"新任务4"};
  SaveTask(context);

  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_EQ(dialogs.questions[0].prompt, "请输入本次任务保存的名称...");
  EXPECT_EQ(dialogs.questions[0].title, "保存任务");
  EXPECT_EQ(dialogs.questions[0].initialText, "新任务4");
  EXPECT_EQ(dialogs.questions[0].mode, 1);
  EXPECT_EQ(files.Get(TaskFile("新任务4")), pendingBytes);
  EXPECT_FALSE(files.Get(pending));
  EXPECT_EQ(view.tasks.back(), "新任务4");
  EXPECT_EQ(view.selected, 3);
  EXPECT_EQ(view.intervalPosition, 1);  // a new file has no interval yet
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(topmostDuringDialogs, std::vector<bool>{false});
}

TEST_F(LibrarySaveTest, SpacesAreRemovedFromTheName) {
  dialogs.answers = {" my\xA1\xA1task "};  // ASCII and ideographic spaces
  SaveTask(context);
  EXPECT_EQ(files.Get(TaskFile("mytask")), pendingBytes);
  EXPECT_EQ(view.tasks, std::vector<std::string>{"mytask"});
}

TEST_F(LibrarySaveTest, CancelDeletesThePendingFile) {
  List({"a"});
  dialogs.answers = {std::nullopt};
  SaveTask(context);
  EXPECT_FALSE(files.Get(pending));
  EXPECT_EQ(files.Paths(), std::vector<std::string>{TaskFile("a")});
  EXPECT_EQ(view.tasks.size(), 1u);
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true}));
}

TEST_F(LibrarySaveTest, TakenNamesAreComparedIgnoringAsciiCaseOnly) {
  const struct {
    const char* listed;
    const char* answer;
    bool taken;
  } cases[] = {
      {"Demo", "demo", true},
      {"ABC", "a b c", true},
      {"新任务12", "新任务1", false},
      {"\x81\x41", "\x81\x61", false},  // 丄 and 乤: trail bytes that look like A and a
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    LibraryWorld fresh;
    fresh.List({c.listed});
    fresh.dialogs.answers = {std::string(c.answer), std::string("other")};
    SaveTask(fresh.context);
    const std::string saved = c.taken ? "other" : RemoveAllSpaces(c.answer);
    EXPECT_EQ(fresh.files.Get(TaskFile(saved)), fresh.pendingBytes);
    EXPECT_EQ(fresh.dialogs.messages.size(), c.taken ? 1u : 0u);
  }
}

TEST_F(LibrarySaveTest, TakenNameIsRefusedAndTheDefaultOfferedAgain) {
  List({"x", "y", "新任务4"});
  dialogs.answers = {"新任务4", "z"};
  SaveTask(context);

  EXPECT_EQ(dialogs.messages,
            (std::vector<Message>{{"该任务已经存在，请换用其它任务名！", 64, "提示！"}}));
  ASSERT_EQ(dialogs.questions.size(), 2u);
  EXPECT_EQ(dialogs.questions[0].initialText, "新任务4");
  EXPECT_EQ(dialogs.questions[1].initialText, "新任务4");
  EXPECT_EQ(files.Get(TaskFile("z")), pendingBytes);
  EXPECT_EQ(view.tasks, (std::vector<std::string>{"x", "y", "新任务4", "z"}));
  // name box, hint, then the second attempt's name box and success, then the first's end
  EXPECT_EQ(view.topmostSwitches,
            (std::vector<bool>{false, true, false, true, false, true, true, true}));
  EXPECT_EQ(topmostDuringDialogs, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(view.pagesShown, (std::vector<int>{0, 0}));
}

TEST_F(LibrarySaveTest, FailedMoveFallsBackToACopy) {
  files.FailNext(Op::Move);
  dialogs.answers = {"t"};
  SaveTask(context);
  EXPECT_EQ(files.Get(TaskFile("t")), pendingBytes);
  EXPECT_FALSE(files.Get(pending));
  EXPECT_EQ(view.tasks, std::vector<std::string>{"t"});
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LibrarySaveTest, FailedMoveAndCopyReportTheFailure) {
  files.FailNext(Op::Move);
  files.FailNext(Op::CopyNew);
  dialogs.answers = {"t"};
  SaveTask(context);
  EXPECT_EQ(dialogs.messages, (std::vector<Message>{{"保存任务失败！", 16, "错误！"}}));
  ExpectNotSaved();
  EXPECT_FALSE(files.Get(TaskFile("t")));
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true, false, true}));
  EXPECT_EQ(topmostDuringDialogs, (std::vector<bool>{false, false}));
}

TEST_F(LibrarySaveTest, AnUnlistedFileOfTheNameIsNeverReplaced) {
  files.Put(TaskFile("theirs"), "their bytes");
  dialogs.answers = {"THEIRS"};
  SaveTask(context);
  EXPECT_EQ(dialogs.messages, (std::vector<Message>{{"保存任务失败！", 16, "错误！"}}));
  EXPECT_EQ(files.Get(TaskFile("theirs")), "their bytes");
  ExpectNotSaved();
}

TEST_F(LibrarySaveTest, NamesWithAPathSeparatorAreRefused) {
  for (const char* name : {"..\\evil", "a/b", "sub\\x", "\\"}) {
    SCOPED_TRACE(name);
    LibraryWorld fresh;
    fresh.dialogs.answers = {std::string(name)};
    SaveTask(fresh.context);
    EXPECT_EQ(fresh.dialogs.messages, (std::vector<Message>{{"保存任务失败！", 16, "错误！"}}));
    EXPECT_EQ(fresh.files.Paths(), std::vector<std::string>{fresh.pending});
    EXPECT_EQ(fresh.files.Calls(Op::Move), 0);
    fresh.ExpectNotSaved();
  }
}

TEST_F(LibrarySaveTest, ABackslashTrailByteIsPartOfTheName) {
  dialogs.answers = {"乗务"};  // 乗 is 81 5C
  SaveTask(context);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(files.Get(TaskFile("乗务")), pendingBytes);
}

TEST_F(LibraryTest, DeleteAskedAndAnsweredNo) {
  List({"a"});
  view.selected = 0;
  dialogs.messageAnswers = {kResultNo};
  DeleteTask(context);
  EXPECT_EQ(dialogs.messages,
            (std::vector<Message>{{"您确定要删除当前选中的任务吗？", 36, "删除任务？"}}));
  EXPECT_TRUE(files.Get(TaskFile("a")));
  EXPECT_EQ(view.tasks.size(), 1u);
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true}));
}

TEST_F(LibraryTest, DeleteRemovesTheFileAndSelectsTheFirst) {
  List({"a", "b", "c"});
  files.Put(TaskFile("a"), "[间隔时间]\r\n值=40\r\n");
  view.selected = 1;
  dialogs.messageAnswers = {kResultYes};
  DeleteTask(context);
  EXPECT_FALSE(files.Get(TaskFile("b")));
  EXPECT_EQ(view.tasks, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(view.intervalPosition, 40);
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true}));
  EXPECT_EQ(topmostDuringDialogs, std::vector<bool>{false});
}

TEST_F(LibraryTest, DeletingTheOnlyTaskLeavesNoSelection) {
  List({"a"});
  view.selected = 0;
  view.intervalPosition = 50;
  dialogs.messageAnswers = {kResultYes};
  DeleteTask(context);
  EXPECT_TRUE(view.tasks.empty());
  EXPECT_EQ(view.selected, -1);
  EXPECT_EQ(view.intervalPosition, 1);
}

TEST_F(LibraryTest, DeleteFailureKeepsTheItem) {
  view.tasks = {"gone"};  // listed, but its file was removed outside the program
  view.selected = 0;
  dialogs.messageAnswers = {kResultYes};
  DeleteTask(context);
  EXPECT_EQ(dialogs.messages.back(), (Message{"删除任务失败！", 16, "错误！"}));
  EXPECT_EQ(view.tasks, std::vector<std::string>{"gone"});
  EXPECT_EQ(view.topmostSwitches, (std::vector<bool>{false, true}));
  EXPECT_EQ(topmostDuringDialogs, (std::vector<bool>{false, false}));
}

TEST_F(LibraryTest, DeleteWithNothingSelectedTouchesNoFile) {
  List({""});
  view.selected = -1;
  dialogs.messageAnswers = {kResultYes};
  DeleteTask(context);
  EXPECT_TRUE(files.Get(TaskFile("")));
  EXPECT_EQ(dialogs.messages.back(), (Message{"删除任务失败！", 16, "错误！"}));
}

TEST_F(LibraryTest, EditOpensNotepadOnTheUnquotedPath) {
  view.tasks = {"my task"};
  view.selected = 0;
  EditTask(context);
  view.selected = -1;
  EditTask(context);
  EXPECT_EQ(files.StartedPrograms(),
            (std::vector<std::string>{"notepad.exe C:\\Tools\\my task.kpx",
                                      "notepad.exe C:\\Tools\\.kpx"}));
  EXPECT_TRUE(view.topmostSwitches.empty());
}

TEST_F(LibraryTest, TaskCommandsAreGreyedWithoutASelection) {
  List({"a"});
  for (int selected : {-1, 0}) {
    view.selected = selected;
    OfferTaskCommands(context);
    EXPECT_EQ(view.taskCommandsEnabled, selected == 0);
  }
  EXPECT_EQ(view.menusShown, 2);
  EXPECT_EQ(view.selected, 0);
}

}  // namespace
