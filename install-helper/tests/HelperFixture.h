#pragma once
// The install helper as a program: an application bundle in a temporary folder ships it and a
// payload, and every install location lies under the temporary system root. The helper's log
// is read back per process, in order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TemporaryRoot.h"

namespace installhelpertest {

namespace fs = std::filesystem;
using moxicam::test::ChildResult;

// One NSLog record: the process that wrote it and its text (continuation lines included).
struct LogRecord {
  int pid;
  std::string text;
};

inline std::vector<LogRecord> recordsOf(const std::string& log) {
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
inline std::vector<std::vector<std::string>> textsByProcess(const std::string& log) {
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
inline void expectTexts(const std::vector<std::string>& texts, const std::vector<std::string>& expected,
                        const std::string& log) {
  ASSERT_EQ(texts.size(), expected.size()) << log;
  for (size_t index = 0; index < expected.size(); ++index) {
    EXPECT_EQ(texts[index].compare(0, expected[index].size(), expected[index]), 0)
        << "line " << index << ": " << texts[index] << "\nexpected: " << expected[index];
  }
}

// Every path below a folder with its mode, for telling that nothing was touched.
inline std::map<std::string, std::string> snapshot(const std::string& folder) {
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
    // In the root's Applications folder, from where the helper finds the root's frameworks
    // through its run paths, as an installed application's helper does.
    mApp = mRoot.root() + "/Applications/Moxicam.app";
    mHelper = mApp + "/Contents/Helpers/MoxicamInstallHelper";
    fs::create_directories(mApp + "/Contents/Helpers");
    fs::copy_file(INSTALL_HELPER_PATH, mHelper);
    fs::permissions(mHelper, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    mPayload = mApp + "/Contents/PlugIns/Test.driver";
    writePayloadFile("Contents/Info.plist", "<plist/>", 0600);
    writePayloadFile("Contents/MacOS/Test", "code", 0700);
    writePayloadFile("Contents/Resources/Sound.wav", "RIFF", 0640);
    mOutside = mRoot.root() + "/Applications/outside/Evil.driver";
    fs::create_directories(mOutside);
  }

  void writePayloadFile(const std::string& relative, const std::string& contents, int mode) {
    const std::string path =
        mRoot.writeFile("root/Applications/Moxicam.app/Contents/PlugIns/Test.driver/" + relative, contents);
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
  std::string mOutside;  // a payload beside the application, not in it
};

inline const std::vector<std::string> kUnprivilegedTexts = {
    "MoxicamInstallHelper started BUILD ", "MoxicamInstallHelper (argc == ARGUMENT_COUNT)",
    "MoxicamInstallHelper executing self-repair", "MoxicamInstallHelper called AEWP",
    "MoxicamInstallHelper exiting"};

}  // namespace installhelpertest
