#include <Foundation/Foundation.h>

#include <gtest/gtest.h>

#include "CaptureOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <regex>
#include <set>
#include <sstream>

#include "ChildProcess.h"

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(NSLog, LinesFromManyThreadsKeepTheirFormatAndNeverTear) {
  constexpr int kThreads = 8, kLines = 300;
  moxicam::test::ChildResult result =
      moxicam::test::runChild(LOG_PROBE_PATH, {std::to_string(kThreads), std::to_string(kLines)});
  ASSERT_FALSE(result.timedOut);
  ASSERT_EQ(result.exitCode, 0) << result.err;

  const std::regex line(
      R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} FoundationLogPr[^\[]*\[(\d+):[0-9a-f]+\] )"
      R"(thread (\d+) line (\d+) padding-padding-padding-padding 100% done)");
  std::set<std::pair<int, int>> seen;
  std::vector<int> nextLine(kThreads, 0);
  for (const std::string& text : linesOf(result.err)) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(text, match, line)) << "torn or malformed: " << text;
    const int thread = std::stoi(match[2]), number = std::stoi(match[3]);
    ASSERT_LT(thread, kThreads);
    EXPECT_EQ(number, nextLine[size_t(thread)]) << "lines of one thread out of order";
    nextLine[size_t(thread)] = number + 1;
    seen.emplace(thread, number);
  }
  EXPECT_EQ(seen.size(), size_t(kThreads * kLines));
}

using moxicam::test::captureStandardError;

TEST(NSLog, EndsEveryMessageWithExactlyOneNewlineAndKeepsPercentSignsOfArguments) {
  std::string text = captureStandardError([] {
    NSLog(NSSTR("%@"), NSSTR("50% of %d"));
    NSLog(NSSTR("already ended\n"));
    NSLog(nullptr);
  });
  std::vector<std::string> lines = linesOf(text);
  ASSERT_EQ(lines.size(), 2u) << text;
  EXPECT_TRUE(lines[0].ends_with("] 50% of %d")) << lines[0];
  EXPECT_TRUE(lines[1].ends_with("] already ended")) << lines[1];
  EXPECT_FALSE(text.find("\n\n") != std::string::npos) << text;
}

}  // namespace
