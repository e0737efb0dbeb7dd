#include <gtest/gtest.h>

#include "app/browser_command.h"
#include "app/run_directory.h"

namespace {

struct RunDirectoryCase {
  const char* modulePath;
  const char* expected;
};

TEST(RunDirectory, CutsAtTheLastRealBackslash) {
  const RunDirectoryCase cases[] = {
      {"D:\\Tools\\Mouse\\x.exe", "D:\\Tools\\Mouse"},
      {"D:\\x.exe", "D:"},
      {"x.exe", ""},
      {"", ""},
      // 乗 is 81 5C: its trail byte must not count as a separator.
      {"D:\\工具乗\\x.exe", "D:\\工具乗"},
      {"D:\\乗", "D:"},
      {"D:\\a\\乗x.exe", "D:\\a"},
      // A lead byte at the very end takes nothing with it.
      {"D:\\a\\\x81", "D:\\a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.modulePath);
    EXPECT_EQ(RunDirectoryFromModulePath(c.modulePath), c.expected);
  }
}

TEST(BrowserCommand, CutsAtThePlaceholder) {
  const char* address = "https://www.zelvorn.example/";
  EXPECT_EQ(BrowserCommandLine("\"C:\\B\\b.exe\" -osint -url \"%1\"", address),
            std::string("\"C:\\B\\b.exe\" -osint -url  ") + address);
  EXPECT_EQ(BrowserCommandLine("C:\\B\\b.exe %1", address), std::string("C:\\B\\b.exe  ") + address);
  EXPECT_EQ(BrowserCommandLine("C:\\B\\b.exe", address), std::string("C:\\B\\b.exe ") + address);
}

}  // namespace
