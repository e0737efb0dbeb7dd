#include "tasks/profile.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>
#include <vector>
#include "fakes/example_task.h"
#include "fakes/memory_files.h"
#include "tasks/description_text.h"

using namespace std::string_literals;

namespace {

const std::string kTask = "C:\\run\\新任务1.kpx";

struct Event {
  const char* x;
  const char* y;
  const char* type;
  const char* delay;
};
const Event kEvents[] = {{"120", "45", "0", "0"}, {"300", "200", "2", "1532"}, {"-5", "700", "1", "2047"}};


// What the recorder writes for the three events.
void RecordExample(Profile& profile, const std::string& path) {
  ASSERT_TRUE(profile.Write(path, kDescriptionSection, kDescriptionKey, kDescriptionText));
  int number = 1;
  for (const Event& e : kEvents) {
    std::string section = std::to_string(number++);
    ASSERT_TRUE(profile.Write(path, section, "X", e.x));
    ASSERT_TRUE(profile.Write(path, section, "Y", e.y));
    ASSERT_TRUE(profile.Write(path, section, "事件", e.type));
    ASSERT_TRUE(profile.Write(path, section, "延时", e.delay));
  }
}

class ProfileTest : public ::testing::Test {
 protected:
  // Reads through the profile that wrote the file and through a fresh one, which must agree.
  std::string ReadBoth(const std::string& section, const std::string& key, const std::string& fallback = "") {
    Profile fresh(files);
    std::string cached = profile.Read(kTask, section, key, fallback);
    EXPECT_EQ(cached, fresh.Read(kTask, section, key, fallback)) << section << " / " << key;
    return cached;
  }
  std::vector<std::string> NamesBoth() {
    Profile fresh(files);
    std::vector<std::string> cached = profile.SectionNames(kTask);
    EXPECT_EQ(cached, fresh.SectionNames(kTask));
    return cached;
  }

  MemoryFiles files;
  Profile profile{files};
};

using ProfileExample = ProfileTest;

TEST_F(ProfileExample, RecordingAndIntervalWritesMakeTheFileByteForByte) {
  ASSERT_EQ(sizeof(kDescriptionText) - 1, 264u);
  RecordExample(profile, kTask);
  EXPECT_EQ(files.Get(kTask), ExampleTaskBytes(0, 23));
  EXPECT_EQ(NamesBoth(), (std::vector<std::string>{"Zelvorn鼠标助手V3.0", "1", "2", "3"}));

  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "25"));
  EXPECT_EQ(files.Get(kTask), ExampleTaskBytes(0, 25));
  EXPECT_EQ(NamesBoth(), (std::vector<std::string>{"Zelvorn鼠标助手V3.0", "1", "2", "3", "间隔时间"}));
}

TEST_F(ProfileExample, ReadsBackAsTheProgramExpects) {
  RecordExample(profile, kTask);
  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "25"));

  EXPECT_EQ(ReadBoth(kDescriptionSection, kDescriptionKey), "Zelvorn鼠标助手任务文件说明");
  int number = 1;
  for (const Event& e : kEvents) {
    std::string section = std::to_string(number++);
    EXPECT_EQ(ReadBoth(section, "X"), e.x);
    EXPECT_EQ(ReadBoth(section, "Y"), e.y);
    EXPECT_EQ(ReadBoth(section, "事件"), e.type);
    EXPECT_EQ(ReadBoth(section, "延时"), e.delay);
  }
  EXPECT_EQ(ReadBoth("间隔时间", "值", "1"), "25");
  // The description's later lines are entries without a value: no key, and no section.
  EXPECT_EQ(ReadBoth(kDescriptionSection, "格式：[事件顺序数]", "none"), "none");
  EXPECT_EQ(ReadBoth(kDescriptionSection, "X", "none"), "none");
  EXPECT_EQ(ReadBoth(kDescriptionSection, "事件", "none"), "none");
  EXPECT_EQ(ReadBoth("事件顺序数", "X", "none"), "none");
}

TEST_F(ProfileExample, MovingTheIntervalSliderAgainRewritesTheValueInPlace) {
  RecordExample(profile, kTask);
  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "25"));
  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "30"));
  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "7"));
  EXPECT_EQ(files.Get(kTask), ExampleTaskBytes(0, 24) + "值=7\r\n");
  EXPECT_EQ(NamesBoth().size(), 5u);
  EXPECT_EQ(ReadBoth("间隔时间", "值", "1"), "7");
}

TEST_F(ProfileTest, EventSectionsAreFoundByTheirExactNumberText) {
  files.Put(kTask, "[01]\r\nX=5\r\n[1]\r\nX=7\r\n[ 2 ]\r\nX=9\r\n");
  EXPECT_EQ(ReadBoth("1", "X"), "7");
  EXPECT_EQ(ReadBoth("01", "X"), "5");
  EXPECT_EQ(ReadBoth("2", "X"), "9");
  EXPECT_EQ(ReadBoth("02", "X", "d"), "d");
  EXPECT_EQ(NamesBoth(), (std::vector<std::string>{"01", "1", "2"}));
  // The existence test finds sections exactly as the reads do.
  EXPECT_TRUE(profile.HasSection(kTask, "1"));
  EXPECT_TRUE(profile.HasSection(kTask, "2"));
  EXPECT_FALSE(profile.HasSection(kTask, "3"));
  EXPECT_FALSE(profile.HasSection(kTask, "02"));
  EXPECT_FALSE(profile.HasSection("C:\\run\\missing.kpx", "1"));
}

TEST_F(ProfileTest, AnEmptyValueIsReadAsEmptyNotAsTheDefault) {
  files.Put(kTask, "[1]\r\nX=\r\nY=   \r\n");
  EXPECT_EQ(ReadBoth("1", "X", "640"), "");
  EXPECT_EQ(ReadBoth("1", "Y", "480"), "");
  EXPECT_EQ(ReadBoth("1", "事件", "0"), "0");
}

TEST_F(ProfileTest, LongValuesAreCutTo10239BytesWithoutSplittingACharacter) {
  struct Case {
    std::string value;
    std::string expected;
  } cases[] = {
      {std::string(10239, 'a'), std::string(10239, 'a')},
      {std::string(10240, 'a'), std::string(10239, 'a')},
      {"   " + std::string(10239, 'a') + "   ", std::string(10239, 'a')},
      {std::string(10237, 'a') + "测", std::string(10237, 'a') + "测"},
      {std::string(10238, 'a') + "测", std::string(10238, 'a')},
      // A lead byte without a trail byte after it is a character of its own.
      {std::string(10238, 'a') + "\x81!", std::string(10238, 'a') + "\x81"},
  };
  for (const Case& c : cases) {
    files.Put(kTask, "[1]\r\nX=" + c.value + "\r\n");
    EXPECT_EQ(ReadBoth("1", "X"), c.expected) << c.value.size();
  }
}

TEST_F(ProfileTest, ArgumentsThatAreEmptyAfterLeadingControlsGiveEmptyWithoutTouchingTheFile) {
  files.Put(kTask, "[s]\r\nk=v\r\n");
  EXPECT_EQ(profile.Read(" \t" + kTask, "\x01 s", "\x20k"), "v");  // leading bytes 0x01-0x20 are skipped
  int stamps = files.Calls(MemoryFiles::Op::Stamp);
  const std::string blank = " \t\r\n\x01\x1f";
  for (auto [path, section, key] : {std::tuple(blank, "s"s, "k"s), std::tuple(kTask, blank, "k"s),
                                    std::tuple(kTask, "s"s, blank), std::tuple(""s, "s"s, "k"s)}) {
    EXPECT_EQ(profile.Read(path, section, key, "default"), "");
  }
  EXPECT_EQ(files.Calls(MemoryFiles::Op::Stamp), stamps);
}

// Windows behaviour (reference IDs) where our callers could meet it in a hand-edited file.
TEST_F(ProfileTest, ReadsAsWindowsDoes) {
  const std::string f1 = "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";
  std::string f1cr = f1;
  for (std::size_t at; (at = f1cr.find("\r\n")) != std::string::npos;) f1cr.replace(at, 2, "\r");
  const std::string fd = "[SectionName]\r\nTestKey=TestValue\r\n[SectionName2]\r\nTestKey2=TestValue2\r\n";
  auto inSection = [](const std::string& line) { return "[SectionName]\r\n" + line + "\r\n"; };
  struct Case {
    const char* id;
    std::optional<std::string> file;
    std::string section, key, fallback, expected;
  } cases[] = {
      {"R-01", f1, "section1", "name1", "default", "val1"},
      {"R-02", f1, "section1", "NaMe1", "default", "val1"},
      {"R-03", f1, "section1", "name2", "default", "val2"},
      {"R-04", f1, "notasection", "name1", "default", "default"},
      {"R-05", f1, "section1", "notakey", "default", "default"},
      {"R-13", std::nullopt, "section1", "name1", "default", "default"},
      {"R-17", f1, "section1", "name4", "default", "a"},
      {"R-19", f1, "section2", "DoesntExist", "", ""},
      {"R-80", f1cr, "section1", "name2", "default", "val2"},
      {"R-80", f1cr, "section2", "name1", "default", "default"},
      {"R-81", "[Test]\nProfileInt=123\n"s, "Test", "ProfileInt", "0", "123"},
      {"R-90", f1, "section1", "name3", "dflt", "dflt"},
      {"R-30", "[SectionName]\r\nTestKey=TestValue\r\nTestKey=TestValue2"s, "SectionName", "TestKey", "d", "TestValue"},
      {"R-31", "[SectionName]\r\n[SectionName]\r\nTestKey=TestValue"s, "SectionName", "TestKey", "d", "d"},
      {"R-33", fd, "SECTIONNAME", "TestKey", "d", "TestValue"},
      {"R-34", fd, "SectionName", "testkey", "d", "TestValue"},
      {"R-35", inSection("TestKey=\t\v TestValue \t\v"), "SectionName", "TestKey", "d", "TestValue"},
      {"R-36", inSection("\t\v TestKey \t\v=TestValue"), "SectionName", "TestKey", "d", "TestValue"},
      {"R-37", " \t\v\r\n[SectionName]\r\nTestKey=TestValue\r\n"s, "SectionName", "TestKey", "d", "TestValue"},
      {"R-38", "[\t x \v]\r\nTestKey=TestValue\r\n"s, "x", "TestKey", "d", "TestValue"},
      {"R-39", fd, " SectionName ", "TestKey", "d", "TestValue"},
      {"R-41", fd, "SectionName", "TestKey\t", "d", "d"},
      {"R-42", fd, "SectionName", "NonExistingKey", "   default   ", "   default"},
      {"R-43", fd, "SectionName", "NonExistingKey", "\tdefault\t", "\tdefault\t"},
      {"R-50", inSection(";key=TestValue"), "SectionName", ";key", "d", "d"},
      {"R-50", inSection(";key=TestValue"), "SectionName", "key", "d", "d"},
      {"R-51", inSection(" \t;TestKey=TestValue"), "SectionName", "TestKey", "d", "d"},
      {"R-52", inSection("TestKey=;nocomment"), "SectionName", "TestKey", "d", ";nocomment"},
      {"R-53", "[SectionName]TestKey=TestValue\r\n"s, "SectionName", "TestKey", "d", "d"},
      {"R-58", "[SectionName   \r\nTestKey=TestValue\r\n"s, "SectionName", "TestKey", "d", "TestValue"},
      {"R-59", "SectionName]\r\nTestKey=TestValue\r\n"s, "SectionName", "TestKey", "d", "d"},
      {"R-60", "[[sec]\r\nTestKey=TestValue\r\n"s, "[sec", "TestKey", "d", "TestValue"},
      {"R-61", "[sec]whoops]\r\nTestKey=TestValue\r\n"s, "sec]whoops", "TestKey", "d", "d"},
      {"R-61", "[sec]whoops]\r\nTestKey=TestValue\r\n"s, "sec", "TestKey", "d", "TestValue"},
      {"R-70", inSection("TestKey=  \"   TestValue   \"  "), "SectionName", "TestKey", "d", "   TestValue   "},
      {"R-71", inSection("TestKey=  '   TestValue   '  "), "SectionName", "TestKey", "d", "   TestValue   "},
      {"R-72", inSection("TestKey=  \"   TestValue   '  "), "SectionName", "TestKey", "d", "\"   TestValue   '"},
      {"R-73", inSection("TestKey=  '\"   TestValue   \"'  "), "SectionName", "TestKey", "d", "\"   TestValue   \""},
      {"R-74", inSection("TestKey=  '\"   TestValue   '\"  "), "SectionName", "TestKey", "d", "'\"   TestValue   '\""},
      {"R-75", inSection("\"TestKey\"=TestValue"), "SectionName", "\"TestKey\"", "d", "TestValue"},
      {"R-75", inSection("\"TestKey\"=TestValue"), "SectionName", "TestKey", "", ""},
      {"R-76", "[\"SectionName\"]\r\nTestKey=TestValue\r\n"s, "SectionName", "TestKey", "", ""},
      {"R-91", f1 + "[s]\r\nname2=\r\n", "s", "name2", "dflt", ""},
  };
  for (const Case& c : cases) {
    if (c.file) files.Put(kTask, *c.file); else files.Delete(kTask);
    EXPECT_EQ(ReadBoth(c.section, c.key, c.fallback), c.expected) << c.id;
  }
}

TEST_F(ProfileTest, WritesAsWindowsDoes) {
  struct Write {
    std::string section, key, value;
  };
  struct Case {
    const char* id;
    std::optional<std::string> before;
    std::vector<Write> writes;
    std::string after;
  } cases[] = {
      {"W-01", std::nullopt, {{"App", "key", ""}}, "[App]\r\nkey=\r\n"},
      {"W-03", ""s,
       {{"App1", "key1", "string1"}, {"App1", "key2", "string2"}, {"App1", "key3", "string3"},
        {"App2", "key4", "string4"}, {"App3", "key5", "string5"}},
       "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
      {"W-04", "Data \x00 before \x00 first \x00 section"s, {{"section1", "key1", "string1"}},
       "Data \x00 before \x00 first \x00 section\r\n[section1]\r\nkey1=string1\r\n"s},
      {"W-11", "[SectionName]\r\nb=value\r\na=value\r\n"s,
       {{"SectionName", "z", ""}, {"SectionName", "b", ""}, {"SectionName", "y", ""}, {"SectionName", "a", ""}},
       "[SectionName]\r\nb=\r\na=\r\nz=\r\ny=\r\n"},
      {"W-12", "[SectionName]\r\nTestKey=TestValue"s, {{"SectionName", "TESTKEY", "TestValue2"}},
       "[SectionName]\r\nTestKey=TestValue2\r\n"},
      {"W-13", "[SectionName]\r\nTestKey=TestValue"s, {{"SECTIONNAME", "TestKey", "TESTVALUE"}},
       "[SectionName]\r\nTestKey=TESTVALUE\r\n"},
      {"W-15", std::nullopt, {{"S", "a", " value "}, {"S", "b", "\tvalue\t"}, {"S", "c", "\nvalue\r"}},
       "[S]\r\na= value \r\nb=\tvalue\t\r\nc=\nvalue\r\r\n"},
      {"W-16", std::nullopt, {{" sec ", " key ", "v"}}, "[sec]\r\nkey=v\r\n"},
      {"W-17", std::nullopt, {{"\tsec\t", "\tkey\t", "v"}}, "[\tsec\t]\r\n\tkey\t=v\r\n"},
      {"W-20", std::nullopt, {{"S", "TestKey", ";nocomment"}}, "[S]\r\nTestKey=;nocomment\r\n"},
      {"W-21", ""s, {{"S", "z", ""}, {"S", ";y", ""}, {"S", "a", ""}, {"S", ";b", ""}, {"S", ";c", ""}},
       "[S]\r\nz=\r\na=\r\n;c=\r\n;b=\r\n;y=\r\n"},
      {"W-22", ";comment0\r\n[S]\r\n;comment1\r\nb=value\r\n;comment2\r\na=value\r\n"s,
       {{"S", "z", ""}, {"S", ";x", ""}, {"S", "y", ""}, {"S", "a", ""}, {"S", "b", ""}},
       ";comment0\r\n[S]\r\n;comment1\r\nb=\r\n;comment2\r\na=\r\nz=\r\ny=\r\n;x=\r\n"},
      {"W-23", std::nullopt, {{"S", ";key", "v"}, {"S", ";key", "v"}}, "[S]\r\n;key=v\r\n;key=v\r\n"},
      {"W-24", std::nullopt, {{"[sec", "k", "v"}}, "[[sec]\r\nk=v\r\n"},
      {"W-26", std::nullopt, {{"sec]\r\n[sec2", "k", "v"}}, "[sec]\r\n[sec2]\r\nk=v\r\n"},
      // Not covered by the reference: new keys go before a section's trailing blank lines, new
      // sections after everything, a duplicated section is written in its first copy, a value
      // replaced in place keeps what stands before its "=", and only the lines written get CR LF.
      {"blank lines", "[a]\r\nx=1\r\n\r\n[b]\r\n\r\n"s, {{"a", "y", "2"}, {"c", "z", "3"}},
       "[a]\r\nx=1\r\ny=2\r\n\r\n[b]\r\n\r\n[c]\r\nz=3\r\n"},
      {"duplicate section", "[s]\r\na=1\r\n[S]\r\nb=2\r\n"s, {{"s", "b", "3"}}, "[s]\r\na=1\r\nb=3\r\n[S]\r\nb=2\r\n"},
      {"in place", "[s]\r\n  X = 120 ; c\r\nY=1\r\n"s, {{"s", "x", "5"}}, "[s]\r\n  X =5\r\nY=1\r\n"},
      {"LF only", "[s]\nA=1\nB=2\n"s, {{"s", "A", "9"}, {"s", "C", "3"}}, "[s]\nA=9\r\nB=2\nC=3\r\n"},
      {"CR only", "[s]\ra=1\r"s, {{"s", "b", "2"}}, "[s]\ra=1\rb=2\r\n"},
      {"no ]", "[s\r\na=1"s, {{"s", "b", "2"}}, "[s\r\na=1\r\nb=2\r\n"},
      {"header at end", "[s]"s, {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
      {"only a comment", "[s]\r\n;c\r\n"s, {{"s", "k", "v"}}, "[s]\r\nk=v\r\n;c\r\n"},
      {"entry without =", "[s]\r\nk\r\n"s, {{"s", "k", "v"}}, "[s]\r\nk\r\nk=v\r\n"},
      {"before first section", "k=v\r\n[s]\r\n"s, {{"s", "k", "w"}}, "k=v\r\n[s]\r\nk=w\r\n"},
      {"value with a section", std::nullopt, {{"a", "k", "1\r\n[b]\r\nX=2"}, {"b", "Y", "3"}, {"a", "k", "4"}},
       "[a]\r\nk=4\r\n[b]\r\nX=2\r\nY=3\r\n"},
  };
  for (const Case& c : cases) {
    files.Delete(kTask);
    if (c.before) files.Put(kTask, *c.before);
    for (const Write& w : c.writes) EXPECT_TRUE(profile.Write(kTask, w.section, w.key, w.value)) << c.id;
    EXPECT_EQ(files.Get(kTask), c.after) << c.id;
    // The index kept up to date by the writes reads the file as a fresh read of it does.
    NamesBoth();
    for (const Write& w : c.writes) ReadBoth(w.section, w.key, "default");
  }
}

TEST_F(ProfileTest, SectionNamesListsEverySectionInFileOrder) {
  struct Case {
    const char* id;
    std::optional<std::string> file;
    std::vector<std::string> names;
  } cases[] = {
      {"S-03", "[ section1 ]\r\n[section2]\r\n[section3]\r\n\x00"s, {"section1", "section2", "section3"}},
      {"S-06", std::nullopt, {}},
      {"S-07", "[SectionName]\r\n[SectionName2]\r\n[SectionName]\r\n"s, {"SectionName", "SectionName2", "SectionName"}},
      {"empty", ""s, {}},
      {"no sections", "k=v\r\n;[c]\r\n x]\r\n"s, {}},
      {"empty names", "[]\r\n[ \t ]\r\n[a]"s, {"", "", "a"}},
  };
  for (const Case& c : cases) {
    if (c.file) files.Put(kTask, *c.file); else files.Delete(kTask);
    EXPECT_EQ(NamesBoth(), c.names) << c.id;
  }
  files.Put(kTask, "[a]\r\n");
  files.SetUnreadable(kTask);
  EXPECT_TRUE(profile.SectionNames(kTask).empty());
}

// The names fill a 204800-byte buffer: each with its zero byte, then one more zero byte. The first
// name that does not fit is cut so that the buffer ends in two zero bytes.
TEST_F(ProfileTest, SectionNamesPast204800BytesAreCutAsTheBufferIsFilled) {
  const std::string name99(99, 'n');
  struct Case {
    const char* what;
    std::vector<std::string> tail;  // after 2047 names of 99 bytes, which use 204700 bytes
    std::vector<std::string> expectedTail;
  } cases[] = {
      {"exact fit", {std::string(98, 'm')}, {std::string(98, 'm')}},
      {"one byte over", {name99}, {std::string(98, 'n')}},
      {"past an exact fit", {std::string(98, 'm'), "x"}, {std::string(98, 'm')}},
      {"cut to nothing", {std::string(97, 'm'), "abc", "d"}, {std::string(97, 'm')}},
      {"cut inside a character", {std::string(97, 'm') + "测"}, {std::string(97, 'm')}},
      {"cut after a character", {std::string(96, 'm') + "测", "z"}, {std::string(96, 'm') + "测"}},
  };
  for (const Case& c : cases) {
    std::string file;
    for (int i = 0; i < 2047; ++i) file += "[" + name99 + "]\r\n";
    for (const std::string& name : c.tail) file += "[" + name + "]\r\nk=v\r\n";
    files.Put(kTask, file);
    std::vector<std::string> names = NamesBoth();
    ASSERT_EQ(names.size(), 2047 + c.expectedTail.size()) << c.what;
    EXPECT_EQ(names[2046], name99) << c.what;
    EXPECT_EQ(std::vector<std::string>(names.begin() + 2047, names.end()), c.expectedTail) << c.what;
  }
}

// GBK trail bytes can be letters, brackets and backslashes; they never act as such.
TEST_F(ProfileTest, DoubleByteCharactersAreMatchedWhole) {
  struct Case {
    const char* id;
    std::string file, section, key, expected;
  } cases[] = {
      {"D-01", "[\xC8\xCE\xCE\xF1]\r\n\xD6\xB5=\xB2\xE2\xCA\xD4\r\n", "\xC8\xCE\xCE\xF1", "\xD6\xB5", "\xB2\xE2\xCA\xD4"},
      {"D-02", "[\x81\x5D]\r\nk=v\r\n", "\x81\x5D", "k", "v"},
      {"D-03", "[s]\r\n\x81\x41=one\r\n", "s", "\x81\x61", "d"},
      {"D-03", "[s]\r\n\x81\x41=one\r\n", "s", "\x81\x41", "one"},
      {"D-04", "[\x81\x5B]\r\nk=v\r\n", "\x81\x5B", "k", "v"},
      {"trail backslash", "[\x81\x5C]\r\nk=v\r\n", "\x81\x5C", "k", "v"},
      {"letters around", "[Ab\xC8\xCE]\r\nKey\x81\x41=v\r\n", "aB\xC8\xCE", "kEY\x81\x41", "v"},
      {"trail ] closes nothing", "[a\x81]\r\nk=v\r\n", "a\x81]", "k", "v"},
      {"trail ] closes nothing", "[a\x81]\r\nk=v\r\n", "a\x81", "k", "d"},
      {"lead before line end", "[s]\r\nk=v\x81\r\nk2=w\r\n", "s", "k2", "w"},
      {"lead before line end", "[s]\r\nk=v\x81\r\nk2=w\r\n", "s", "k", "v\x81"},
  };
  for (const Case& c : cases) {
    files.Put(kTask, c.file);
    EXPECT_EQ(ReadBoth(c.section, c.key, "d"), c.expected) << c.id;
  }
  files.Put(kTask, "[\x81\x5D]\r\nk=v\r\n");
  EXPECT_EQ(NamesBoth(), std::vector<std::string>{"\x81\x5D"});
  ASSERT_TRUE(profile.Write(kTask, "\x81\x5D", "k2", "w"));
  EXPECT_EQ(files.Get(kTask), "[\x81\x5D]\r\nk=v\r\nk2=w\r\n");
  // Full-width letters are different characters, not case variants.
  files.Put(kTask, "[\xA3\xC1]\r\nk=v\r\n");
  EXPECT_EQ(ReadBoth("\xA3\xE1", "k", "d"), "d");
}

TEST_F(ProfileTest, AFailedReplaceLeavesTheOldFileAndItsReadings) {
  RecordExample(profile, kTask);
  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "25"));
  const std::string before = *files.Get(kTask);

  // A value replaced in place, a key added to the last section, a new section, a key added before
  // other sections.
  struct Case {
    const char* section;
    const char* key;
    const char* reading;
  } cases[] = {{"间隔时间", "值", "25"}, {"间隔时间", "备注", "none"}, {"4", "X", "none"}, {"1", "备注", "none"}};
  for (const Case& c : cases) {
    files.FailNext(MemoryFiles::Op::ReplaceAll);
    EXPECT_FALSE(profile.Write(kTask, c.section, c.key, "99"));
    EXPECT_EQ(files.Get(kTask), before);
    EXPECT_EQ(ReadBoth(c.section, c.key, "none"), c.reading);
  }
  EXPECT_EQ(ReadBoth("间隔时间", "值", "1"), "25");
  EXPECT_EQ(ReadBoth("1", "X"), "120");
  EXPECT_EQ(NamesBoth().size(), 5u);

  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "26"));
  EXPECT_EQ(files.Get(kTask), ExampleTaskBytes(0, 24) + "值=26\r\n");

  const std::string pending = "C:\\Temp\\1A2B.tmp";
  files.FailNext(MemoryFiles::Op::ReplaceAll);
  EXPECT_FALSE(profile.Write(pending, kDescriptionSection, kDescriptionKey, kDescriptionText));
  EXPECT_FALSE(files.Exists(pending));
  EXPECT_TRUE(profile.SectionNames(pending).empty());
  EXPECT_TRUE(profile.Write(pending, "1", "X", "1"));
  EXPECT_EQ(files.Get(pending), "[1]\r\nX=1\r\n");
}

TEST_F(ProfileTest, WritesThatCannotSucceedLeaveEverythingAlone) {
  EXPECT_FALSE(profile.Write("", "s", "k", "v"));
  EXPECT_FALSE(profile.Write(kTask, "  ", "k", "v"));
  EXPECT_FALSE(profile.Write(kTask, "s", " ", "v"));
  EXPECT_FALSE(files.Exists(kTask));

  // A file that is there but cannot be read is never replaced by one holding just the new key.
  files.Put(kTask, "[s]\r\nk=v\r\n");
  files.SetUnreadable(kTask);
  EXPECT_FALSE(profile.Write(kTask, "s", "k2", "w"));
  EXPECT_EQ(files.Get(kTask), "[s]\r\nk=v\r\n");
  files.SetUnreadable(kTask, false);
  files.FailNext(MemoryFiles::Op::Stamp);  // there, but its stamp cannot be had for the moment
  EXPECT_FALSE(profile.Write(kTask, "s", "k2", "w"));
  EXPECT_EQ(files.Get(kTask), "[s]\r\nk=v\r\n");
}

TEST_F(ProfileTest, AnUnchangedFileIsReadOnceAndAChangedOneAtTheNextRead) {
  files.Put(kTask, "[Test]\nProfileInt=123\n");
  EXPECT_EQ(profile.Read(kTask, "Test", "ProfileInt", "421"), "123");
  EXPECT_EQ(profile.Read(kTask, "Test", "ProfileInt", "421"), "123");
  EXPECT_EQ(profile.SectionNames(kTask).size(), 1u);
  EXPECT_EQ(files.Calls(MemoryFiles::Op::ReadAll), 1);

  files.Put(kTask, "[Test]\nProfileInt=124\n");  // edited by hand while cached
  EXPECT_EQ(profile.Read(kTask, "Test", "ProfileInt", "421"), "124");
  files.Delete(kTask);
  EXPECT_EQ(profile.Read(kTask, "Test", "ProfileInt", "421"), "421");
  EXPECT_TRUE(profile.SectionNames(kTask).empty());
}

TEST_F(ProfileTest, WritesKeepTheCacheAndApplyToAFileEditedByHand) {
  RecordExample(profile, kTask);
  EXPECT_EQ(files.Calls(MemoryFiles::Op::ReadAll), 0);  // every write built on the one before
  EXPECT_EQ(profile.Read(kTask, "3", "X"), "-5");
  EXPECT_EQ(files.Calls(MemoryFiles::Op::ReadAll), 0);

  files.Put(kTask, ExampleTaskBytes(0, 13));  // events 2 and 3 removed by hand
  ASSERT_TRUE(profile.Write(kTask, "间隔时间", "值", "25"));
  EXPECT_EQ(files.Get(kTask), ExampleTaskBytes(0, 13) + ExampleTaskBytes(23, 25));
  EXPECT_EQ(ReadBoth("3", "X", "none"), "none");
}

// Bytes no editor should leave behind still read without harm, and a write still adds its section
// after them without touching them.
TEST_F(ProfileTest, ArbitraryBytesAreReadAndAppendedToSafely) {
  std::string allBytes;
  for (int b = 0; b < 256; ++b) allBytes += static_cast<char>(b);
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> names;
    std::string section, key, expected;
  } cases[] = {
      {"NUL bytes", "[a\0b]\r\nk=v\0w\r\n\0\0\0"s, {"a"}, "a", "k", "v"},
      {"lead byte at the end", "[s]\r\nk=v\x81"s, {"s"}, "s", "k", "v\x81"},
      {"lead byte ending a header", "[s\x81"s, {"s\x81"}, "s\x81", "k", "d"},
      {"1 MB line", "[s]\r\nk=" + std::string(1 << 20, 'x'), {"s"}, "s", "k", std::string(10239, 'x')},
      {"1 MB header of lead bytes", "[" + std::string(1 << 20, '\x81'), {std::string(204798, '\x81')}, "s", "k", "d"},
      {"LF only", "[s]\nk=v\n[t]\nk=w\n"s, {"s", "t"}, "t", "k", "w"},
      {"CR only", "[s]\rk=v\r[t]\rk=w\r"s, {"s", "t"}, "t", "k", "w"},
      {"LF CR", "[s]\n\rk=v\n\r"s, {"s"}, "s", "k", "v"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n[t]\r\nk=w\r\n"s, {"t"}, "s", "k", "d"},
      {"no final line end", "[s]\r\nk=v"s, {"s"}, "s", "k", "v"},
      {"brackets only", "[[[[]]]]"s, {"[[["}, "[[[", "k", "d"},
      {"line ends only", "\r\n\r\r\n\n\n\r"s, {}, "s", "k", "d"},
      {"equals only", "[s]\r\n=\r\n==x\r\n"s, {"s"}, "s", "=", "d"},
      {"every byte value", allBytes, {}, "s", "k", "d"},
  };
  for (const Case& c : cases) {
    files.Put(kTask, c.file);
    EXPECT_EQ(NamesBoth(), c.names) << c.what;
    EXPECT_EQ(ReadBoth(c.section, c.key, "d"), c.expected) << c.what;
    ASSERT_TRUE(profile.Write(kTask, "zz9", "X", "5")) << c.what;
    bool ended = c.file.empty() || c.file.back() == '\r' || c.file.back() == '\n';
    EXPECT_EQ(files.Get(kTask), c.file + (ended ? "" : "\r\n") + "[zz9]\r\nX=5\r\n") << c.what;
    EXPECT_EQ(ReadBoth("zz9", "X"), "5") << c.what;
    NamesBoth();
  }
}

}  // namespace
