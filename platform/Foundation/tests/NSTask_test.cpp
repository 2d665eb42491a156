#include <Foundation/Foundation.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <functional>
#include <string>

#include "PollUntil.h"
#include "TemporaryRoot.h"

namespace {

NSArray* arrayOf(std::initializer_list<const char*> texts) {
  NSMutableArray* array = NSMutableArray::array();
  for (const char* text : texts) array->addObject(NSString::stringWithUTF8String(text));
  return array;
}

NSTask* shell(const char* script) {
  return NSTask::launchedTaskWithLaunchPath_arguments(NSSTR("/bin/sh"), arrayOf({"-c", script}));
}

TEST(NSTask, TellsHowTheTaskEnded) {
  objc::AutoreleasePool pool;
  struct Case {
    const char* script;
    NSTaskTerminationReason reason;
    int status;
  };
  const Case cases[] = {
      {"exit 0", NSTaskTerminationReasonExit, 0},
      {"exit 3", NSTaskTerminationReasonExit, 3},
      {"kill -KILL $$", NSTaskTerminationReasonUncaughtSignal, SIGKILL},
  };
  for (const Case& c : cases) {
    NSTask* task = shell(c.script);
    EXPECT_GT(task->processIdentifier(), 0);
    task->waitUntilExit();
    EXPECT_FALSE(task->isRunning()) << c.script;
    EXPECT_EQ(task->terminationReason(), c.reason) << c.script;
    EXPECT_EQ(task->terminationStatus(), c.status) << c.script;
  }
}

TEST(NSTask, HandsTheArgumentsOverAsTheyAre) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string out = root.path() + "/arguments";
  const std::string script = "printf '[%s]' \"$0\" \"$@\" > '" + out + "'";
  NSTask* task = NSTask::launchedTaskWithLaunchPath_arguments(
      NSSTR("/bin/sh"), arrayOf({"-c", script.c_str(), "first", "two words", "", "süß"}));
  task->waitUntilExit();
  EXPECT_EQ(task->terminationStatus(), 0);
  EXPECT_EQ(moxicam::test::readFile(out), "[first][two words][][süß]");
  EXPECT_TRUE(task->launchPath()->isEqualToString(NSSTR("/bin/sh")));
  EXPECT_EQ(task->arguments()->count(), 6u);
}

TEST(NSTask, RunsUntilItEnds) {
  objc::AutoreleasePool pool;
  NSTask* task = NSTask::launchedTaskWithLaunchPath_arguments(NSSTR("/bin/sleep"), arrayOf({"30"}));
  EXPECT_TRUE(task->isRunning());
  EXPECT_THROW(task->terminationStatus(), NSException::Raised);
  kill(task->processIdentifier(), SIGTERM);
  EXPECT_TRUE(moxicam::test::pollUntil([task] { return !task->isRunning(); }));
  EXPECT_EQ(task->terminationReason(), NSTaskTerminationReasonUncaughtSignal);
  EXPECT_EQ(task->terminationStatus(), SIGTERM);
}

TEST(NSTask, RefusesWhatCannotBeRun) {
  objc::AutoreleasePool pool;
  struct Case {
    const char* what;
    std::function<void()> launch;
  };
  const Case cases[] = {
      {"missing program",
       [] { NSTask::launchedTaskWithLaunchPath_arguments(NSSTR("/nonexistent/program"), NSArray::array()); }},
      {"no launch path", [] { NSTask::launchedTaskWithLaunchPath_arguments(nullptr, NSArray::array()); }},
      {"argument that is not a string",
       [] {
         NSTask::launchedTaskWithLaunchPath_arguments(NSSTR("/bin/true"),
                                                      NSArray::arrayWithObject(NSArray::array()));
       }},
      {"second launch", [] { shell("exit 0")->launch(); }},
  };
  for (const Case& c : cases) {
    try {
      c.launch();
      ADD_FAILURE() << c.what << " launched";
    } catch (const NSException::Raised& raised) {
      EXPECT_TRUE(raised.exception()->name()->isEqualToString(NSInvalidArgumentException)) << c.what;
    }
  }
}

}  // namespace
