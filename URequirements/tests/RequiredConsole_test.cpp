// What reaches standard error from the requirement console of a program that exits right
// after posting.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "ChildProcess.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) result.push_back(line);
  return result;
}

// NSLog's line: date, time, program[pid:thread], then the message.
const std::regex kLogLine(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^ ]+\[\d+:[0-9a-f]+\] (.*)$)");

TEST(RequiredConsole, EveryMessageOfEightThreadsArrivesWholeAndInThreadOrder) {
  const auto result = moxicam::test::runChild(REQUIRED_CONSOLE_PROBE, {});
  ASSERT_FALSE(result.timedOut);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  int next[8] = {};
  int total = 0;
  const std::regex message(R"(^thread (\d) message (\d+) 100% of it$)");
  for (const std::string& line : lines(result.err)) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(line, parts, kLogLine)) << "torn line: " << line;
    const std::string text = parts[1];
    std::smatch numbers;
    ASSERT_TRUE(std::regex_match(text, numbers, message)) << text;
    const int thread = std::stoi(numbers[1]);
    EXPECT_EQ(std::stoi(numbers[2]), next[thread]) << "out of order: " << text;
    next[thread] = std::stoi(numbers[2]) + 1;
    ++total;
  }
  EXPECT_EQ(total, 8 * 200);
}

TEST(RequiredConsole, TheAudioPlugInBuildTellsEveryDroppedMessage) {
  const auto result = moxicam::test::runChild(REQUIRED_CONSOLE_PROBE_TELLS_DROPS, {"drops"});
  ASSERT_FALSE(result.timedOut);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::vector<std::string> told;
  for (const std::string& line : lines(result.err)) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(line, parts, kLogLine)) << line;
    const std::string text = parts[1];
    if (text.rfind("LOGGING:REQUIRED[", 0) == 0) told.push_back(std::regex_replace(text, std::regex(R"(:\d+\])"), ":N]"));
  }
  const std::vector<std::string> expected = {
      "LOGGING:REQUIRED[RequiredCoreLogTypeRefConstructor:N] Startup",
      "LOGGING:REQUIRED[__CFRequiredPrintf:N] pszFormat==NULL",
      "LOGGING:REQUIRED[__CFLogPrintf:N] format==NULL",
      "LOGGING:REQUIRED[__CFRequiredLogString:N] in_location==NULL || cstring==NULL",
      "LOGGING:REQUIRED[__CFRequiredLogPrintf:N] in_location==NULL || pszFormat==NULL",
      "LOGGING:REQUIRED[__CFLogError:N] location==NULL",
  };
  EXPECT_EQ(told, expected);
}

}  // namespace
