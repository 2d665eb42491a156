// The system version, framework function queries and the run-time system calls.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "ChildProcess.h"
#include "CoreMachDebug.h"
#include "CoreSystem.h"
#include "SystemFramework.h"
#include "TemporaryRoot.h"

const char* g_CoreMachDebug_LogPrefix = "CoreSystemTest";
const char* g_CoreMachDebug_LogFileName = "CoreSystemTest.log";

namespace {

using moxicam::test::readFile;

bool mapped(const std::string& part) { return readFile("/proc/self/maps").find(part) != std::string::npos; }

TEST(CoreSystem, ComparesTheVersionAsOneNumber) {
  // The version is read once per process; the environment sets it before the first question.
  setenv("MOXICAM_SYSTEM_VERSION", "10.9.0", 1);
  EXPECT_EQ(CoreSystem::GetSystemName(), 0x1090);
  EXPECT_FALSE(CoreSystem::IsEarlierThanRevision(0x1090));
  EXPECT_TRUE(CoreSystem::IsEarlierThanRevision(0x1091));
  EXPECT_FALSE(CoreSystem::IsEarlierThanRevision(0x1085));
  setenv("MOXICAM_SYSTEM_VERSION", "10.6.8", 1);
  EXPECT_EQ(CoreSystem::GetSystemName(), 0x1090);
}

TEST(CoreSystem, FrameworkFunctionQueryLoadsAndUnloads) {
  EXPECT_TRUE(CoreSystem::SystemFrameworkHasFunction(CFSTR("CoreXTestFramework.framework"),
                                                     CFSTR("CoreXTestFrameworkFunction")));
  EXPECT_FALSE(mapped("CoreXTestFramework"));
  EXPECT_FALSE(CoreSystem::SystemFrameworkHasFunction(CFSTR("CoreXTestFramework.framework"), CFSTR("NoSuchFunction")));
  EXPECT_FALSE(mapped("CoreXTestFramework"));
  EXPECT_FALSE(CoreSystem::SystemFrameworkHasFunction(CFSTR("Missing.framework"), CFSTR("CoreXTestFrameworkFunction")));
  EXPECT_FALSE(mapped("Missing.framework"));
}

TEST(SystemFramework, NullPathIsReportedAndLeavesTheWorkingFolder) {
  moxicam::test::TemporaryRoot root;
  std::filesystem::create_directories(root.home() + "/Library/Logs");
  ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_File);
  ASSERT_TRUE(ZidaZoraDurodAriClassInitialize());
  const std::filesystem::path before = std::filesystem::current_path();
  EXPECT_EQ(SystemFramework::chdir(nullptr), -1);
  EXPECT_EQ(std::filesystem::current_path(), before);
  const std::string log = readFile(root.home() + "/Library/Logs/CoreSystemTest.log");
  EXPECT_NE(log.find("VERIFY FAILED:  code : in_utf8_path_string in "), std::string::npos) << log;
  EXPECT_NE(log.find("(chdir)\n"), std::string::npos) << log;
}

TEST(SystemFramework, CallsFailWithENOSYSWhenTheFrameworkIsMissing) {
  // A root without System.framework.
  moxicam::test::TemporaryRoot root;
  std::filesystem::remove(root.root() + "/System/Library/Frameworks");
  std::filesystem::create_directories(root.root() + "/System/Library/Frameworks");
  const std::filesystem::path before = std::filesystem::current_path();
  errno = 0;
  EXPECT_EQ(SystemFramework::chdir("/"), -1);
  EXPECT_EQ(errno, ENOSYS);
  EXPECT_EQ(std::filesystem::current_path(), before);
  errno = 0;
  char page[64];
  EXPECT_EQ(SystemFramework::mprotect(page, sizeof page, PROT_READ), -1);
  EXPECT_EQ(errno, ENOSYS);
  char buffer[1025];
  EXPECT_EQ(SystemFramework::getcwd(buffer, sizeof buffer), nullptr);
}

}  // namespace
