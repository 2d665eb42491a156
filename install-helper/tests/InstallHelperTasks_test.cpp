#include "InstallHelperTasks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CaptureOutput.h"
#include "TemporaryRoot.h"

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : "(null)"; }

NSArray* shellArguments(const std::string& script) {
  return NSArray::arrayWithObjects({NSSTR("-c"), NSString::stringWithUTF8String(script.c_str())});
}

TEST(InstallHelperTasks, ArgString) {
  objc::AutoreleasePool pool;
  EXPECT_EQ(text(argString(nullptr)), "(NULL)");
  EXPECT_EQ(text(argString("Library.QuickTime")), "Library.QuickTime");
  EXPECT_EQ(text(argString("")), "");
}

// Steps run in order, each after the one before has ended, and the first failure ends the run:
// the steps after it are never launched.
TEST(InstallHelperTasks, StepsStopAtTheFirstFailure) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string marker = root.path() + "/ran";
  struct Case {
    const char* failingScript;
    const char* failure;
  };
  const Case cases[] = {
      {"exit 3", "/bin/sh exited with status 3"},
      {"kill -TERM $$", "/bin/sh was ended by signal 15"},
  };
  for (const Case& c : cases) {
    NSString* failure = nullptr;
    const std::string log = moxicam::test::captureStandardError([&] {
      failure = runInstallHelperSteps({
          {NSSTR("/bin/sh"), shellArguments("echo one >> '" + marker + "'")},
          {NSSTR("/bin/sh"), shellArguments(c.failingScript)},
          {NSSTR("/bin/sh"), shellArguments("echo three >> '" + marker + "'")},
      });
    });
    EXPECT_EQ(text(failure), c.failure);
    EXPECT_EQ(moxicam::test::readFile(marker), "one\n");
    EXPECT_NE(log.find(c.failingScript), std::string::npos) << log;
    EXPECT_EQ(log.find("three"), std::string::npos) << log;
    std::filesystem::remove(marker);
  }
}

TEST(InstallHelperTasks, AProgramThatCannotBeLaunchedIsAFailure) {
  objc::AutoreleasePool pool;
  NSString* failure = nullptr;
  const std::string log = moxicam::test::captureStandardError([&] {
    failure = runInstallHelperSteps({{NSSTR("/nonexistent/ditto"), NSArray::array()}});
  });
  EXPECT_EQ(text(failure), "/nonexistent/ditto could not be launched");
  EXPECT_NE(log.find("MoxicamInstallHelper executing /nonexistent/ditto with arguments"), std::string::npos)
      << log;
  EXPECT_NE(log.find("MoxicamInstallHelper cannot launch /nonexistent/ditto"), std::string::npos) << log;
  EXPECT_EQ(runInstallHelperSteps({}), nullptr);
}

}  // namespace
