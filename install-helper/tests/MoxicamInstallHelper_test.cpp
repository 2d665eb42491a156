// The install helper as a program: an application bundle in a temporary folder ships it and a
// payload, and every install location lies under the temporary system root.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFPropertyList.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "InstallActions.h"
#include "InstallLocations.h"
#include "TemporaryRoot.h"

namespace fs = std::filesystem;
using moxicam::test::ChildResult;

namespace {

// One NSLog record: the process that wrote it and its text (continuation lines included).
struct LogRecord {
  int pid;
  std::string text;
};

std::vector<LogRecord> recordsOf(const std::string& log) {
  static const std::regex prefix(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S+\[(\d+):[0-9a-f]+\] (.*)$)");
  std::vector<LogRecord> records;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_match(line, match, prefix)) {
      records.push_back({std::stoi(match[1]), match[2]});
    } else if (!records.empty()) {
      records.back().text += "\n" + line;
    }
  }
  return records;
}

// The texts of each process, in the order the processes began to log.
std::vector<std::vector<std::string>> textsByProcess(const std::string& log) {
  std::vector<int> pids;
  std::map<int, std::vector<std::string>> texts;
  for (const LogRecord& record : recordsOf(log)) {
    if (!texts.count(record.pid)) pids.push_back(record.pid);
    texts[record.pid].push_back(record.text);
  }
  std::vector<std::vector<std::string>> result;
  for (int pid : pids) result.push_back(texts[pid]);
  return result;
}

// Expects the texts to begin with the expected ones, in order, each compared as a prefix.
void expectTexts(const std::vector<std::string>& texts, const std::vector<std::string>& expected,
                 const std::string& log) {
  ASSERT_EQ(texts.size(), expected.size()) << log;
  for (size_t index = 0; index < expected.size(); ++index) {
    EXPECT_EQ(texts[index].compare(0, expected[index].size(), expected[index]), 0)
        << "line " << index << ": " << texts[index] << "\nexpected: " << expected[index];
  }
}

// Every path below a folder with its mode, for telling that nothing was touched.
std::map<std::string, std::string> snapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    struct stat info;
    lstat(entry.path().c_str(), &info);
    entries[entry.path()] = std::to_string(info.st_mode) + ":" + std::to_string(info.st_size);
  }
  return entries;
}

class MoxicamInstallHelper : public testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "installing hands files to root";
    mApp = mRoot.path() + "/Moxicam.app";
    mHelper = mApp + "/Contents/Helpers/MoxicamInstallHelper";
    fs::create_directories(mApp + "/Contents/Helpers");
    fs::copy_file(INSTALL_HELPER_PATH, mHelper);
    fs::permissions(mHelper, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    mPayload = mApp + "/Contents/PlugIns/Test.driver";
    writePayloadFile("Contents/Info.plist", "<plist/>", 0600);
    writePayloadFile("Contents/MacOS/Test", "code", 0700);
    writePayloadFile("Contents/Resources/Sound.wav", "RIFF", 0640);
    fs::create_directories(mRoot.path() + "/outside/Evil.driver");
  }

  void writePayloadFile(const std::string& relative, const std::string& contents, int mode) {
    const std::string path =
        mRoot.writeFile("Moxicam.app/Contents/PlugIns/Test.driver/" + relative, contents);
    chmod(path.c_str(), mode_t(mode));
  }

  ChildResult run(const std::vector<std::string>& arguments, const char* authorization = "granted") {
    return moxicam::test::runChild(mHelper, arguments, {{"MOXICAM_AUTHORIZATION", authorization}});
  }
  // The unprivileged start, as the application makes it.
  ChildResult start(const std::string& command, const std::string& location, const std::string& payload,
                    const char* authorization = "granted") {
    return run({mHelper, command, location, payload}, authorization);
  }
  ChildResult startPrivileged(const std::string& command, const std::string& location,
                              const std::string& payload) {
    return run({mHelper, "--self-repair", command, location, payload});
  }

  std::vector<std::string> privilegedTexts(const std::string& command, const std::string& location,
                                           const std::string& destination) {
    return {"MoxicamInstallHelper started BUILD ",
            "MoxicamInstallHelper (argc > ARGUMENT_COUNT)",
            "MoxicamInstallHelper argv0:" + mHelper + " ",
            "MoxicamInstallHelper argv1:" + mHelper + " ",
            "MoxicamInstallHelper argv2:--self-repair ",
            "MoxicamInstallHelper command:" + command + " ",
            "MoxicamInstallHelper location:" + location + " ",
            "MoxicamInstallHelper payload:" + mPayload + " ",
            "MoxicamInstallHelper destination:" + destination + " ",
            "MoxicamInstallHelper executing " + command};
  }

  moxicam::test::TemporaryRoot mRoot;
  std::string mApp;
  std::string mHelper;
  std::string mPayload;
};

const std::vector<std::string> kUnprivilegedTexts = {
    "MoxicamInstallHelper started BUILD ", "MoxicamInstallHelper (argc == ARGUMENT_COUNT)",
    "MoxicamInstallHelper executing self-repair", "MoxicamInstallHelper called AEWP",
    "MoxicamInstallHelper exiting"};

TEST_F(MoxicamInstallHelper, InstallsAndDeletesInEveryLocation) {
  struct Outcome {
    ChildResult install;
    std::map<std::string, std::string> installedFiles;
    std::vector<std::string> wrongOwnersOrModes;
    ChildResult remove;
    bool removed = false;
    bool folderKept = false;
  };
  const gid_t admins = getgrnam(InstallActions::administratorsGroup())->gr_gid;
  std::vector<Outcome> outcomes(std::size(kInstallLocations));
  std::vector<std::thread> runs;
  for (size_t index = 0; index < std::size(kInstallLocations); ++index) {
    runs.emplace_back([&, index] {
      Outcome& outcome = outcomes[index];
      const std::string destination = mRoot.root() + kInstallLocations[index].folder + "/Test.driver";
      outcome.install = start("install", kInstallLocations[index].name, mPayload);
      std::error_code error;
      for (const auto& entry : fs::recursive_directory_iterator(destination, error)) {
        struct stat info;
        lstat(entry.path().c_str(), &info);
        if (entry.is_regular_file())
          outcome.installedFiles[entry.path().string().substr(destination.size())] =
              moxicam::test::readFile(entry.path());
        if ((info.st_mode & 07777) != 0755 || info.st_uid != 0 || info.st_gid != admins) {
          outcome.wrongOwnersOrModes.push_back(entry.path());
        }
      }
      outcome.remove = start("delete", kInstallLocations[index].name, mPayload);
      outcome.removed = !fs::exists(destination);
      outcome.folderKept = fs::is_directory(mRoot.root() + kInstallLocations[index].folder);
    });
  }
  for (std::thread& run : runs) run.join();

  const std::map<std::string, std::string> payloadFiles = {{"/Contents/Info.plist", "<plist/>"},
                                                           {"/Contents/MacOS/Test", "code"},
                                                           {"/Contents/Resources/Sound.wav", "RIFF"}};
  for (size_t index = 0; index < std::size(kInstallLocations); ++index) {
    SCOPED_TRACE(kInstallLocations[index].name);
    const Outcome& outcome = outcomes[index];
    const std::string destination = mRoot.root() + kInstallLocations[index].folder + "/Test.driver";
    EXPECT_EQ(outcome.install.exitCode, 0) << outcome.install.err;
    EXPECT_EQ(outcome.installedFiles, payloadFiles);
    EXPECT_TRUE(outcome.wrongOwnersOrModes.empty()) << outcome.wrongOwnersOrModes.front();

    std::vector<std::vector<std::string>> processes = textsByProcess(outcome.install.err);
    ASSERT_EQ(processes.size(), 2u) << outcome.install.err;
    expectTexts(processes[0], kUnprivilegedTexts, outcome.install.err);
    std::vector<std::string> expected =
        privilegedTexts("install", kInstallLocations[index].name, destination);
    expected.push_back("MoxicamInstallHelper executing /usr/bin/cp with arguments (");
    expected.push_back("MoxicamInstallHelper executing /usr/bin/chmod with arguments (");
    expected.push_back("MoxicamInstallHelper executing /usr/bin/chown with arguments (");
    expected.push_back("MoxicamInstallHelper completed install: ?");
    expected.push_back("MoxicamInstallHelper exiting");
    expectTexts(processes[1], expected, outcome.install.err);

    EXPECT_EQ(outcome.remove.exitCode, 0) << outcome.remove.err;
    EXPECT_TRUE(outcome.removed);
    EXPECT_TRUE(outcome.folderKept);
    EXPECT_NE(outcome.remove.out.find("Test.driver"), std::string::npos) << "rm -v's report is passed on";
    processes = textsByProcess(outcome.remove.err);
    ASSERT_EQ(processes.size(), 2u) << outcome.remove.err;
    expected = privilegedTexts("delete", kInstallLocations[index].name, destination);
    expected.push_back("MoxicamInstallHelper executing /usr/bin/rm with arguments (");
    expected.push_back("MoxicamInstallHelper completed delete: ?");
    expected.push_back("MoxicamInstallHelper exiting");
    expectTexts(processes[1], expected, outcome.remove.err);
  }
}

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
      {mHelper, hal, mRoot.path() + "/outside/Evil.driver", "is not inside the application bundle"},
      {mHelper, hal, plugIns + "/../../../outside/Evil.driver", "is not inside the application bundle"},
      {"/bin/sh", hal, mPayload, "is not this helper"},
      {INSTALL_HELPER_PATH, hal, mPayload, "is not this helper"},
  };
  const std::map<std::string, std::string> before = snapshot(mRoot.path());
  for (const Case& c : cases) {
    for (const char* command : {"install", "delete"}) {
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

TEST_F(MoxicamInstallHelper, AFailingCopyIsAFailureAndStopsTheStepsAfterIt) {
  // A file where the payload's folder must go: the copy cannot replace it.
  const std::string blocker = mRoot.writeFile("root/Library/Audio/Plug-Ins/HAL/Test.driver", "keep");
  chmod(blocker.c_str(), 0600);
  ChildResult result = start("install", "Library.Audio.PlugIns.HAL", mPayload);
  EXPECT_EQ(result.exitCode, InstallActions::kFailed) << result.err;
  std::vector<std::vector<std::string>> processes = textsByProcess(result.err);
  ASSERT_EQ(processes.size(), 2u) << result.err;
  expectTexts(
      processes[0],
      {"MoxicamInstallHelper started BUILD ", "MoxicamInstallHelper (argc == ARGUMENT_COUNT)",
       "MoxicamInstallHelper executing self-repair", "MoxicamInstallHelper called AEWP",
       "MoxicamInstallHelper the privileged copy ended with status 1", "MoxicamInstallHelper exiting"},
      result.err);
  std::vector<std::string> expected = privilegedTexts("install", "Library.Audio.PlugIns.HAL", blocker);
  expected.push_back("MoxicamInstallHelper executing /usr/bin/cp with arguments (");
  expected.push_back("MoxicamInstallHelper failed install: /usr/bin/cp exited with status 1");
  expected.push_back("MoxicamInstallHelper exiting");
  expectTexts(processes[1], expected, result.err);
  struct stat info;
  ASSERT_EQ(stat(blocker.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u) << "chmod ran after the failed copy";
  EXPECT_EQ(moxicam::test::readFile(blocker), "keep");
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

TEST_F(MoxicamInstallHelper, CarriesItsInformationPropertyList) {
  const std::string plist = mRoot.path() + "/info.plist";
  ChildResult dump = moxicam::test::runChild(
      "/usr/bin/objcopy", {"-O", "binary", "--only-section=__info_plist", INSTALL_HELPER_PATH, plist});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  std::string bytes = moxicam::test::readFile(plist);
  while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
  auto info = static_cast<CFDictionaryRef>(
      CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr));
  CFRelease(data);
  ASSERT_NE(info, nullptr) << bytes;
  const std::pair<CFStringRef, CFStringRef> expected[] = {
      {CFSTR("CFBundleDevelopmentRegion"), CFSTR("English")},
      {CFSTR("CFBundleIdentifier"), CFSTR("com.quillfen.MoxicamInstallHelper")},
      {CFSTR("CFBundleInfoDictionaryVersion"), CFSTR("6.0")},
      {CFSTR("CFBundleName"), CFSTR("MoxicamInstallHelper")},
      {CFSTR("CFBundleDisplayName"), CFSTR("Moxicam PlugIn Install Helper")},
      {CFSTR("CFBundleVersion"), CFSTR("1.0")},
  };
  EXPECT_EQ(CFDictionaryGetCount(info), CFIndex(std::size(expected)));
  for (const auto& [key, value] : expected) {
    CFTypeRef found = CFDictionaryGetValue(info, key);
    EXPECT_TRUE(found && CFEqual(found, value));
  }
  CFRelease(info);
}

}  // namespace
