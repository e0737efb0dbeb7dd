#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/help_text.h"
#include "app/home_page.h"

namespace {

std::vector<std::string> SplitAtCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

TEST(HelpText, HasThirtyTwoCrLfLinesAndNoBreakAfterTheLast) {
  const std::string& text = HelpText();
  ASSERT_GE(text.size(), 2u);
  EXPECT_NE(text.substr(text.size() - 2), "\r\n");
  const auto lines = SplitAtCrLf(text);
  ASSERT_EQ(lines.size(), 32u);
  for (const auto& line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
  }
}

TEST(HelpText, EmptyLinesSitBetweenTheParagraphs) {
  const std::set<int> empty = {6, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29};
  const auto lines = SplitAtCrLf(HelpText());
  ASSERT_EQ(lines.size(), 32u);
  for (int n = 1; n <= 32; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(lines[n - 1].empty(), empty.count(n) == 1);
  }
}

TEST(HelpText, RulesAndIndentsAreExact) {
  const auto lines = SplitAtCrLf(HelpText());
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[0], std::string(46, '-'));
  EXPECT_EQ(lines[2], std::string(46, '-'));
  EXPECT_EQ(lines[1], std::string(13, ' ') + "Zelvorn鼠标助手 V3.0");
  ASSERT_GT(lines[4].size(), 4u);
  EXPECT_EQ(lines[4].substr(0, 4), "    ");
  EXPECT_NE(lines[4][4], ' ');
}

TEST(HelpText, EndsWithTheHomePage) {
  const auto lines = SplitAtCrLf(HelpText());
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[30], "作者：Zelvorn网");
  EXPECT_EQ(lines[31], std::string("网站：") + kHomePageAddress);
}

}  // namespace
