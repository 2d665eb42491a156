// What the helper refuses or leaves alone: authorizations it does not get, too few arguments,
// requests outside its table and commands it does not know.
#include "HelperFixture.h"
#include "InstallActions.h"

using namespace installhelpertest;

namespace {

TEST_F(MoxicamInstallHelper, ACancelledOrDeniedAuthorizationEndsWithItsStatusAndCopiesNothing) {
  const std::map<std::string, std::string> before = snapshot(mRoot.path());
  // The authorization status is the exit status, cut to its low byte.
  const std::pair<const char*, int> cases[] = {{"cancelled", -60006 & 0xff}, {"denied", -60005 & 0xff}};
  for (const auto& [answer, status] : cases) {
    ChildResult result = start("install", "Library.Audio.PlugIns.HAL", mPayload, answer);
    EXPECT_EQ(result.exitCode, status) << answer;
    std::vector<std::vector<std::string>> processes = textsByProcess(result.err);
    ASSERT_EQ(processes.size(), 1u) << result.err;
    expectTexts(processes[0],
                {"MoxicamInstallHelper started BUILD ", "MoxicamInstallHelper (argc == ARGUMENT_COUNT)",
                 "MoxicamInstallHelper executing self-repair"},
                result.err);
  }
  EXPECT_EQ(snapshot(mRoot.path()), before);
}

TEST_F(MoxicamInstallHelper, TooFewArgumentsAreReportedBeforeTheHelperExits) {
  const std::vector<std::string> cases[] = {
      {}, {mHelper}, {mHelper, "install"}, {mHelper, "install", "Library.QuickTime"}};
  for (const std::vector<std::string>& arguments : cases) {
    ChildResult result = run(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::vector<std::string>> processes = textsByProcess(result.err);
    ASSERT_EQ(processes.size(), 1u) << result.err;
    expectTexts(
        processes[0],
        {"MoxicamInstallHelper started BUILD ", "MoxicamInstallHelper (argc > ARGUMENT_COUNT)",
         "REQUIREMENT - SRC>>argc > 5 in main:133 (AuthDittoToolCocoaMain)", "MoxicamInstallHelper exiting"},
        result.err);
  }
}

TEST_F(MoxicamInstallHelper, RefusesWhatIsNotInItsTableAndTouchesNothing) {
  const std::string plugIns = mApp + "/Contents/PlugIns";
  const std::string hal = "Library.Audio.PlugIns.HAL";
  // The destination of "/x/.." would be the HAL folder's parent, which a removal would wipe.
  fs::create_directories(mRoot.root() + "/Library/Audio/Plug-Ins/HAL");
  struct Case {
    std::string tool;
    std::string location;
    std::string payload;
    const char* refusal;
  };
  const Case cases[] = {
      {mHelper, "Library.Audio.Plugins.HAL", mPayload,
       "no install location is named Library.Audio.Plugins.HAL"},
      {mHelper, "", mPayload, "no install location is named"},
      {mHelper, hal, "", "does not end in a file name"},
      {mHelper, hal, ".", "does not end in a file name"},
      {mHelper, hal, "..", "does not end in a file name"},
      {mHelper, hal, plugIns + "/..", "does not end in a file name"},
      {mHelper, hal, "/", "does not end in a file name"},
      {mHelper, hal, plugIns + "/Missing.driver", "does not exist"},
      {mHelper, hal, mOutside, "is not inside the application bundle"},
      {mHelper, hal, plugIns + "/../../../outside/Evil.driver", "is not inside the application bundle"},
      {"/bin/sh", hal, mPayload, "is not this helper"},
      {INSTALL_HELPER_PATH, hal, mPayload, "is not this helper"},
  };
  const std::map<std::string, std::string> before = snapshot(mRoot.path());
  // The checks do not depend on the command; a removal is where a bad name would do most harm.
  for (const Case& c : cases) {
    for (const char* command : {"install", "delete"}) {
      if (std::string(command) == "delete" && c.payload != plugIns + "/..") continue;
      for (bool privileged : {false, true}) {
        SCOPED_TRACE(std::string(command) + (privileged ? " privileged " : " ") + c.tool + " " + c.location +
                     " " + c.payload);
        ChildResult result = privileged ? run({c.tool, "--self-repair", command, c.location, c.payload})
                                        : run({c.tool, command, c.location, c.payload});
        EXPECT_EQ(result.exitCode, InstallActions::kRefused) << result.err;
        std::vector<std::vector<std::string>> processes = textsByProcess(result.err);
        ASSERT_EQ(processes.size(), 1u) << result.err;
        ASSERT_GE(processes[0].size(), 2u);
        const std::string& refusal = processes[0][processes[0].size() - 2];
        EXPECT_EQ(refusal.rfind("MoxicamInstallHelper refused: ", 0), 0u) << refusal;
        EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
        EXPECT_EQ(processes[0].back(), "MoxicamInstallHelper exiting");
      }
    }
  }
  EXPECT_EQ(snapshot(mRoot.path()), before);
}

TEST_F(MoxicamInstallHelper, OtherCommandsAndAbsentDestinationsRunNoTool) {
  const std::map<std::string, std::string> before = snapshot(mRoot.path());
  struct Case {
    const char* command;
    std::vector<std::string> lastTexts;
  };
  const Case cases[] = {
      {"copy", {"MoxicamInstallHelper exiting"}},
      {"Install", {"MoxicamInstallHelper exiting"}},
      {"delete",
       {"MoxicamInstallHelper executing delete", "MoxicamInstallHelper completed delete: ?",
        "MoxicamInstallHelper exiting"}},
  };
  for (const Case& c : cases) {
    ChildResult result = startPrivileged(c.command, "Library.QuickTime", mPayload);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> expected =
        privilegedTexts(c.command, "Library.QuickTime", mRoot.root() + "/Library/QuickTime/Test.driver");
    expected.pop_back();  // "executing <command>"
    expected.insert(expected.end(), c.lastTexts.begin(), c.lastTexts.end());
    std::vector<std::vector<std::string>> processes = textsByProcess(result.err);
    ASSERT_EQ(processes.size(), 1u) << result.err;
    expectTexts(processes[0], expected, result.err);
  }
  EXPECT_EQ(snapshot(mRoot.path()), before);
}

}  // namespace
