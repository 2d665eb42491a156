// A copy of build/Products runs where it lies: every object finds the frameworks through run
// paths relative to itself, and a plug-in copied into the copy's DAL folder, as the install
// helper copies it, finds them from there.
#include <gtest/gtest.h>

#include <unistd.h>

#include <ChildProcess.h>
#include <ProgramOnPath.h>
#include <TemporaryRoot.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

bool isELF(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  char magic[4] = {};
  file.read(magic, sizeof magic);
  return file && magic[0] == 0x7f && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

// The RUNPATH and RPATH folders of a shared object or program.
std::vector<std::string> runPaths(const std::string& readelf, const fs::path& object) {
  const auto result = moxicam::test::runChild(readelf, {"-d", object.string()}, {}, 30s);
  std::vector<std::string> paths;
  for (const std::string& line : linesOf(result.out)) {
    const size_t open = line.find("path: [");
    if (open == std::string::npos) continue;
    std::istringstream list(line.substr(open + 7, line.rfind(']') - open - 7));
    for (std::string path; std::getline(list, path, ':');) paths.push_back(path);
  }
  return paths;
}

class CopiedProducts : public testing::Test {
 protected:
  void SetUp() override {
    mCopy = fs::path(mRoot.path()) / "Copied Products";
    copyProducts(moxicam::test::productsPath(), mCopy);
  }

  // Folders, files and links as they are; the sockets that servers run from the products
  // leave in their run-time folder are no product.
  static void copyProducts(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(from)) {
      const fs::path target = to / entry.path().lexically_relative(from);
      if (entry.is_symlink()) {
        fs::copy_symlink(entry.path(), target);
      } else if (entry.is_directory()) {
        fs::create_directory(target);
      } else if (entry.is_regular_file()) {
        fs::copy_file(entry.path(), target);
      }
    }
  }

  moxicam::test::TemporaryRoot mRoot;
  fs::path mCopy;
};

TEST_F(CopiedProducts, EveryObjectSearchesOnlyRelativeToItself) {
  const std::string readelf = moxicam::test::programOnPath("readelf");
  if (readelf.empty()) GTEST_SKIP() << "readelf is not installed";
  size_t objects = 0;
  for (const auto& entry : fs::recursive_directory_iterator(mCopy)) {
    if (!entry.is_regular_file() || entry.is_symlink() || !isELF(entry.path())) continue;
    ++objects;
    for (const std::string& path : runPaths(readelf, entry.path()))
      EXPECT_EQ(path.rfind("$ORIGIN", 0), 0u) << entry.path() << " searches " << path;
  }
  EXPECT_GT(objects, 10u);
}

TEST_F(CopiedProducts, TheCameraHostRunsWithAnInstalledPlugInAndLoadsOnlyTheCopy) {
  // Installed as the install helper does it: a copy in the local domain's DAL folder of the
  // root, which is the copy itself when MOXICAM_ROOT is not set.
  const fs::path dal = mCopy / "Library/CoreMediaIO/Plug-Ins/DAL";
  fs::create_directories(dal);
  fs::copy(mCopy / "MoxicamCMIO.plugin", dal / "MoxicamCMIO.plugin",
           fs::copy_options::recursive | fs::copy_options::copy_symlinks);

  const auto result = moxicam::test::runChild((mCopy / "usr/bin/camera-host").string(), {"list"},
                                              {{"MOXICAM_ROOT", ""}, {"LD_DEBUG", "libs"}}, 60s);
  ASSERT_EQ(result.exitCode, 0) << result.err.substr(result.err.size() > 4000 ? result.err.size() - 4000 : 0);
  EXPECT_NE(result.out.find("plugin 2 " + (dal / "MoxicamCMIO.plugin").string()), std::string::npos)
      << result.out;

  // What the loader started: every framework and library of the platform from the copy.
  const std::string original = fs::canonical(moxicam::test::productsPath()).string() + "/";
  std::vector<std::string> started;
  for (const std::string& line : linesOf(result.err)) {
    const size_t at = line.find("calling init: ");
    if (at != std::string::npos) started.push_back(line.substr(at + 14));
  }
  auto startedFromCopy = [&](const std::string& name) {
    for (const std::string& path : started)
      if (path.rfind(mCopy.string(), 0) == 0 && path.size() >= name.size() &&
          path.compare(path.size() - name.size(), name.size(), name) == 0)
        return true;
    return false;
  };
  for (const std::string& path : started) {
    std::error_code error;
    const std::string real = fs::weakly_canonical(path, error).string();
    EXPECT_NE(real.rfind(original, 0), 0u) << path << " is the build's, not the copy's";
  }
  EXPECT_TRUE(startedFromCopy("/CoreFoundation")) << testing::PrintToString(started);
  // IOKit only the plug-in links: found through the plug-in's own run paths.
  EXPECT_TRUE(startedFromCopy("/IOKit")) << testing::PrintToString(started);
  EXPECT_TRUE(startedFromCopy("/MoxicamCMIO")) << testing::PrintToString(started);
}

}  // namespace
