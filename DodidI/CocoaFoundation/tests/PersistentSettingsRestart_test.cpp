// Settings survive a restart: the probe application is run again and again with one HOME.
#include <ChildProcess.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

#include <string>

const char* g_CoreMachDebug_LogPrefix = "PersistentSettingsRestartTest";
const char* g_CoreMachDebug_LogFileName = "PersistentSettingsRestartTest.log";

namespace {

using moxicam::test::ChildResult;
using moxicam::test::runChild;

struct Restart : ::testing::Test {
  ChildResult run(const std::vector<std::string>& arguments) {
    ChildResult result = runChild(SETTINGS_PROBE, arguments, {{"HOME", root.home()}});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_FALSE(result.timedOut);
    return result;
  }
  // The first line: what the probe had after launching.
  static std::string restored(const ChildResult& result) {
    return result.out.substr(0, result.out.find('\n'));
  }
  static std::string defaultsPath(const ChildResult& result) {
    size_t start = result.out.find("defaults=");
    if (start == std::string::npos) return {};
    start += 9;
    return result.out.substr(start, result.out.find('\n', start) - start);
  }

  moxicam::test::TemporaryRoot root;
};

TEST_F(Restart, SettingsSavedAtTerminationAreRestoredAtTheNextLaunch) {
  EXPECT_EQ(restored(run({"show"})), "level=0.5 title=(nil) left=(nil) count=(nil)");
  ChildResult saving = run({"set", "0.75", "Key; one = <main> & \"more\""});
  EXPECT_EQ(restored(run({"show"})), "level=0.75 title=Key; one = <main> & \"more\" left=7 count=3");

  // The preferences file is a property list that another reader accepts, holding one XML keyed
  // archive per controller under its class name.
  std::string path = defaultsPath(saving);
  ASSERT_FALSE(path.empty());
  const char* check =
      "import plistlib, sys\n"
      "prefs = plistlib.load(open(sys.argv[1], 'rb'))\n"
      "for key in ('ProbeChannel', 'ProbeLate'):\n"
      "    data = prefs[key]\n"
      "    assert data.startswith(b'<?xml'), key\n"
      "    archive = plistlib.loads(data)\n"
      "    assert archive['$archiver'] == 'NSKeyedArchiver', key\n"
      "    assert 'UPersistentObjectsController' in archive['$top'], key\n"
      "print(sorted(prefs))\n";
  ChildResult python = runChild("/usr/bin/python3", {"-c", check, path});
  EXPECT_EQ(python.exitCode, 0) << python.err;
  EXPECT_EQ(python.out, "['ProbeChannel', 'ProbeLate']\n");
}

TEST_F(Restart, AClearedSettingStaysCleared) {
  run({"set", "0.25", "Studio"});
  EXPECT_EQ(restored(run({"clear"})), "level=0.25 title=Studio left=7 count=3");
  EXPECT_EQ(restored(run({"show"})), "level=0.25 title=(nil) left=7 count=3");
}

}  // namespace
