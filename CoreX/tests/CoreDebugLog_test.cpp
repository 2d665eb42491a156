// The developer log's file sink and the VERIFY reporters, in this process.
#include <CoreFoundation/CFError.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "CoreMachDebug.h"
#include "TemporaryRoot.h"

const char* g_CoreMachDebug_LogPrefix = "CoreDebugLogTest";
const char* g_CoreMachDebug_LogFileName = "CoreDebugLogTest.log";

namespace {

using moxicam::test::readFile;

class CoreDebugLog : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(logsFolder());
    ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_File);
    // Each test has its own HOME: find its Logs folder.
    ASSERT_TRUE(ZidaZoraDurodAriClassInitialize());
  }
  void TearDown() override { g_CoreMachDebug_LogFileName = "CoreDebugLogTest.log"; }

  std::string logsFolder() const { return mRoot.home() + "/Library/Logs"; }
  std::string logFile() const { return readFile(logsFolder() + "/CoreDebugLogTest.log"); }

  moxicam::test::TemporaryRoot mRoot;
};

TEST_F(CoreDebugLog, LinesReachTheFileExactlyAsFormatted) {
  const std::string longText(1500, 'x');
  const struct {
    const char* name;
    void (*write)(const std::string&);
    std::string expected;
  } cases[] = {
      {"plain", [](const std::string&) { ZidaZoraDurodAri("frame %d of %s\n", 3, "30"); }, "frame 3 of 30\n"},
      {"no newline added", [](const std::string&) { ZidaZoraDurodAri("%s", "open"); }, "open"},
      {"percent kept", [](const std::string&) { ZidaZoraDurodAri("%s", "100% %d %s"); }, "100% %d %s"},
      {"string as it stands", [](const std::string&) { ZidaZoraDurodAriString("50% off\n"); }, "50% off\n"},
      {"cut to 1023 bytes", [](const std::string& text) { ZidaZoraDurodAri("%s", text.c_str()); },
       std::string(1023, 'x')},
      {"VERIFY", [](const std::string&) { _CoreMachDebugVerifyBody("Draw", "/src/UI/View.mm", 42, " code : bitmap"); },
       "VERIFY FAILED:  code : bitmap in /src/UI/View.mm:42 (Draw)\n"},
      {"VERIFY_CFERROR without error",
       [](const std::string&) { _CoreMachDebugVerifyCFErrorBody(nullptr, "Load", "/src/Feed.cpp", 7, " code : error"); },
       "VERIFY_CFERROR FAILED: ()  code : error in /src/Feed.cpp:7 (Load)\n"},
      {"VERIFY_OSERR with CoreServices",
       [](const std::string&) { _CoreMachDebugVerifyOSerrBody(-43, "Open", "/src/File.cpp", 9, " code : err"); },
       "VERIFY_OSERR FAILED: OSErr:-43 (fnfErr/File not found)  code : err in /src/File.cpp:9 (Open)\n"},
  };
  std::string expected;
  for (const auto& entry : cases) {
    entry.write(longText);
    expected += entry.expected;
    EXPECT_EQ(logFile(), expected) << entry.name;
  }
}

TEST_F(CoreDebugLog, CFErrorReportCarriesTheDescription) {
  CFErrorRef error = CFErrorCreate(nullptr, kCFErrorDomainPOSIX, 2, nullptr);
  CFStringRef description = CFErrorCopyDescription(error);
  const std::string text = CFStringDebugCStringPtr(description, kCFStringEncodingUTF8);
  ASSERT_FALSE(text.empty());
  const int line = __LINE__ + 1;
  VERIFY_CFERROR(error);
  EXPECT_EQ(logFile(), "VERIFY_CFERROR FAILED: (" + text + ")  code : error in " + __FILE__ + ":" +
                           std::to_string(line) + " (TestBody)\n");
  CFRelease(description);
  CFRelease(error);
}

TEST_F(CoreDebugLog, MacrosEvaluateOnceAndReportOnlyFailures) {
  int evaluations = 0;
  EXPECT_TRUE(VERIFY(++evaluations == 1));
  EXPECT_TRUE(VERIFY_OSERR(evaluations - 1));
  EXPECT_EQ(logFile(), "");
  bool fOk;
  const int line = __LINE__ + 1;
  EXPECT_FALSE(VERIFY(fOk = (++evaluations > 5)));
  EXPECT_FALSE(fOk);
  EXPECT_EQ(evaluations, 2);
  EXPECT_EQ(logFile(), "VERIFY FAILED:  code : fOk = (++evaluations > 5) in " + std::string(__FILE__) + ":" +
                           std::to_string(line) + " (TestBody)\n");
}

// A program that names no log file writes CoreConsole.log.
class CoreConsoleLog : public CoreDebugLog {
 protected:
  void SetUp() override {
    g_CoreMachDebug_LogFileName = "";
    CoreDebugLog::SetUp();
  }
};

TEST_F(CoreConsoleLog, EmptyFileNameWritesCoreConsoleLog) {
  ZidaZoraDurodAri("%s", "console\n");
  EXPECT_EQ(readFile(logsFolder() + "/CoreConsole.log"), "console\n");
}

TEST_F(CoreDebugLog, SetUpThatFailedIsTriedAgainAndNeverCountsAsDone) {
  std::filesystem::remove_all(logsFolder());
  EXPECT_FALSE(ZidaZoraDurodAriClassInitialize());
  ZidaZoraDurodAri("%s", "lost\n");
  EXPECT_FALSE(std::filesystem::exists(logsFolder()));
  std::filesystem::create_directories(logsFolder());
  ASSERT_TRUE(ZidaZoraDurodAriClassInitialize());
  ZidaZoraDurodAri("%s", "kept\n");
  EXPECT_EQ(logFile(), "kept\n");
}

TEST_F(CoreDebugLog, ThreadsWritingAtOnceLoseAndTearNoLine) {
  constexpr int kThreads = 8;
  constexpr int kLines = 250;
  std::vector<std::thread> threads;
  for (int thread = 0; thread < kThreads; ++thread) {
    threads.emplace_back([thread] {
      for (int line = 0; line < kLines; ++line) ZidaZoraDurodAri("thread %d line %d %s\n", thread, line, "padding");
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::istringstream lines(logFile());
  std::vector<int> next(kThreads, 0);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    int thread = -1, number = -1;
    char padding[16] = {};
    ASSERT_EQ(sscanf(line.c_str(), "thread %d line %d %15s", &thread, &number, padding), 3) << line;
    ASSERT_EQ(std::string(padding), "padding") << line;
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
    EXPECT_EQ(number, next[size_t(thread)]++) << line;
  }
  EXPECT_EQ(count, kThreads * kLines);
}

TEST(CFStringDebugCStringPtr, GivesTheTextAndKeepsOneBufferPerThread) {
  EXPECT_EQ(CFStringDebugCStringPtr(nullptr, kCFStringEncodingUTF8), nullptr);
  CFStringRef accented = CFStringCreateWithCString(nullptr, "caf\xC3\xA9", kCFStringEncodingUTF8);
  const char* text = CFStringDebugCStringPtr(accented, kCFStringEncodingUTF8);
  EXPECT_STREQ(text, "caf\xC3\xA9");
  CFStringRef other = CFStringCreateWithCString(nullptr, "\xC3\xBC" "ber", kCFStringEncodingUTF8);
  std::string fromOtherThread;
  std::thread([&] { fromOtherThread = CFStringDebugCStringPtr(other, kCFStringEncodingUTF8); }).join();
  EXPECT_EQ(fromOtherThread, "\xC3\xBC" "ber");
  EXPECT_STREQ(text, "caf\xC3\xA9");
  CFRelease(other);
  CFRelease(accented);
}

}  // namespace
