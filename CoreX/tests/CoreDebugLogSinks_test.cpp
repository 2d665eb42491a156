// What the developer log of another process writes to each sink.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ChildProcess.h"
#include "CoreMachDebug.h"
#include "TemporaryRoot.h"

const char* g_CoreMachDebug_LogPrefix = "CoreDebugLogSinksTest";
const char* g_CoreMachDebug_LogFileName = "CoreDebugLogSinksTest.log";

namespace {

using moxicam::test::readFile;
using moxicam::test::runChild;

class CoreDebugLogSinks : public testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(mRoot.home() + "/Library/Logs"); }
  std::string logFile() const { return readFile(mRoot.home() + "/Library/Logs/LogProbe.log"); }

  moxicam::test::TemporaryRoot mRoot;
};

TEST_F(CoreDebugLogSinks, ConsoleAndFileWritesBehindTheIdentityThenToTheFile) {
  const auto result = runChild(LOG_PROBE, {"4", "text:first 100% done", "text:second\n"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "LogProbe:first 100% doneLogProbe:second\n");
  EXPECT_EQ(logFile(), "first 100% donesecond\n");
}

TEST_F(CoreDebugLogSinks, FileSinkValuesWriteTheFileOnly) {
  for (const char* sink : {"0", "3", "99"}) {
    std::filesystem::remove(mRoot.home() + "/Library/Logs/LogProbe.log");
    const auto result = runChild(LOG_PROBE, {sink, "text:only here\n", "verify"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "") << sink;
    EXPECT_EQ(logFile(), "only here\nVERIFY FAILED:  code : ready in /src/Probe.cpp:12 (Probe)\n") << sink;
  }
}

// The sink logs each line with a newline of its own, which ends the echoed line on standard
// error: a VERIFY line, which has its own newline too, ends in two.
TEST_F(CoreDebugLogSinks, AppleSystemLogEchoesEachLineWithTheSinksNewline) {
  const auto result = runChild(LOG_PROBE, {"1", "text:hello", "verify"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "hello\nVERIFY FAILED:  code : ready in /src/Probe.cpp:12 (Probe)\n\n");
  EXPECT_EQ(logFile(), "");
}

TEST_F(CoreDebugLogSinks, OSErrorWithoutCoreServicesShowsEmptyTexts) {
  // A system root without frameworks: CoreServices cannot be loaded.
  const std::string bareRoot = mRoot.path() + "/bare";
  std::filesystem::create_directories(bareRoot);
  const auto result = runChild(LOG_PROBE, {"0", "oserr:-43", "cferror"}, {{"MOXICAM_ROOT", bareRoot}});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(logFile(),
            "VERIFY_OSERR FAILED: OSErr:-43 (/)  code : err in /src/Probe.cpp:13 (Probe)\n"
            "VERIFY_CFERROR FAILED: ()  code : error in /src/Probe.cpp:14 (Probe)\n");
}

TEST_F(CoreDebugLogSinks, MissingLogsFolderIsReportedAndTheLineLost) {
  std::filesystem::remove_all(mRoot.home() + "/Library/Logs");
  const auto result = runChild(LOG_PROBE, {"0", "text:lost\n"});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_NE(result.err.find("LogProbe:VERIFY_OSERR FAILED: OSErr:"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(" code : FSFindFolder(domain, kLogsFolderType, kDontCreateFolder, &sUserLogsFolder) in "),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("(ZidaZoraDurodAriClassInitialize)\n"), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(mRoot.home() + "/Library/Logs"));
}

// syslog reaches /dev/log; where the machine has no logger there, the test listens itself.
TEST_F(CoreDebugLogSinks, SyslogGetsTheIdentityAndTheLineAtDebugLevel) {
  if (std::filesystem::exists("/dev/log")) GTEST_SKIP() << "/dev/log belongs to the machine's logger";
  const int listener = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  strcpy(address.sun_path, "/dev/log");
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(listener);
    GTEST_SKIP() << "cannot listen on /dev/log: " << strerror(errno);
  }
  timeval timeout{5, 0};
  setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  // Other programs running meanwhile log here too, and a full queue would hold the probe's
  // own line up: lines are taken while the probe runs, and the probe's kept among them.
  std::string datagram;
  std::thread reader([&] {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < giveUp) {
      std::string received(4096, '\0');
      const ssize_t size = recv(listener, received.data(), received.size(), 0);
      if (size <= 0) return;
      received.resize(size_t(size));
      if (received.find(": LogProbe:") != std::string::npos) {
        datagram = received;
        return;
      }
    }
  });
  const auto result = runChild(LOG_PROBE, {"2", "text:to syslog"});
  reader.join();
  close(listener);
  unlink("/dev/log");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ASSERT_FALSE(datagram.empty()) << "no line of the probe reached /dev/log";
  EXPECT_EQ(datagram.rfind("<15>", 0), 0u) << datagram;
  EXPECT_NE(datagram.find(": LogProbe:to syslog\n"), std::string::npos) << datagram;
  EXPECT_EQ(logFile(), "");
}

}  // namespace
