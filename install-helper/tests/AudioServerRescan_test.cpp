// After a change in the HAL plug-ins folder the helper tells the audio server to look again.
#include <Foundation/Foundation.h>
#include <signal.h>

#include "HelperFixture.h"
#include "PollUntil.h"

using namespace installhelpertest;

namespace {

TEST_F(MoxicamInstallHelper, TellsTheAudioServerToRescanAfterChangingItsPlugIns) {
  objc::AutoreleasePool pool;
  // A stand-in audio server that notes each rescan it is asked for.
  const std::string rescans = mRoot.path() + "/rescans";
  const std::string script =
      mRoot.writeFile("bin/moxicam-audiod", "#!/bin/sh\ntrap 'echo rescan >> \"" + rescans +
                                                "\"' HUP\nwhile :; do sleep 0.05; done\n");
  chmod(script.c_str(), 0755);
  NSTask* server = NSTask::launchedTaskWithLaunchPath_arguments(
      NSString::stringWithUTF8String(script.c_str()), NSArray::array());
  const std::string pidFile = mRoot.writeFile("root/private/var/run/moxicam/CoreAudio/moxicam-audiod.pid",
                                              std::to_string(server->processIdentifier()) + "\n");
  const std::string asked =
      "MoxicamInstallHelper asked the audio server (pid " + std::to_string(server->processIdentifier()) + ")";

  ChildResult result = start("install", "Library.QuickTime", mPayload);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("asked the audio server"), std::string::npos) << result.err;

  result = start("install", "Library.Audio.PlugIns.HAL", mPayload);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find(asked), std::string::npos) << result.err;
  EXPECT_TRUE(moxicam::test::pollUntil([&] { return moxicam::test::readFile(rescans) == "rescan\n"; }));

  result = start("delete", "Library.Audio.PlugIns.HAL", mPayload);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(
      moxicam::test::pollUntil([&] { return moxicam::test::readFile(rescans) == "rescan\nrescan\n"; }));
  kill(server->processIdentifier(), SIGTERM);
  server->waitUntilExit();
}

// A pid file that names another program is not the audio server's: that program is not
// signalled. Had it been sent SIGHUP before the SIGTERM that ends it, the lower signal would
// have ended it first.
TEST_F(MoxicamInstallHelper, LeavesAProgramThatIsNotTheAudioServerAlone) {
  objc::AutoreleasePool pool;
  NSTask* other = NSTask::launchedTaskWithLaunchPath_arguments(NSSTR("/bin/sleep"),
                                                               NSArray::arrayWithObject(NSSTR("60")));
  mRoot.writeFile("root/private/var/run/moxicam/CoreAudio/moxicam-audiod.pid",
                  std::to_string(other->processIdentifier()) + "\n");
  ChildResult result = start("install", "Library.Audio.PlugIns.HAL", mPayload);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("asked the audio server"), std::string::npos) << result.err;
  kill(other->processIdentifier(), SIGTERM);
  other->waitUntilExit();
  EXPECT_EQ(other->terminationReason(), NSTaskTerminationReasonUncaughtSignal);
  EXPECT_EQ(other->terminationStatus(), SIGTERM);
}

}  // namespace
