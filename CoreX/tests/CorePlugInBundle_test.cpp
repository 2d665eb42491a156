#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "CaptureOutput.h"
#include "ChildProcess.h"
#include "TemporaryRoot.h"
#include "shared_vdig_bundle.h"

const char* g_CoreMachDebug_LogPrefix = "CorePlugInBundleTest";
const char* g_CoreMachDebug_LogFileName = "CorePlugInBundleTest.log";

namespace fs = std::filesystem;

namespace {

constexpr SInt32 kUserComponents = CFBaseDLL::kLocation_UserQuickTimeComponents;

// Runs inside a copy of this program placed in a fake application bundle, whose built-in
// plug-ins folder holds the component.
class PlugInLinkInApplication : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!getenv("MOXICAM_IN_FAKE_APPLICATION")) GTEST_SKIP() << "runs inside the fake application only";
    mComponents = mRoot.home() + "/Library/QuickTime";
    fs::create_directories(mComponents);
    mLink = mComponents + "/Moxicam.VDIG.component";
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    mSource = fs::path(self).parent_path().parent_path().string() + "/PlugIns/Moxicam.VDIG.component";
    ASSERT_TRUE(fs::is_directory(mSource));
  }
  std::string linkTarget() const {
    char target[PATH_MAX] = {};
    return readlink(mLink.c_str(), target, sizeof target - 1) > 0 ? std::string(target) : std::string();
  }

  moxicam::test::TemporaryRoot mRoot;
  std::string mComponents;
  std::string mLink;
  std::string mSource;
};

TEST_F(PlugInLinkInApplication, InstallThenRemove) {
  EXPECT_FALSE(shared_vdig_bundle.IsInstalled(kUserComponents));
  ASSERT_TRUE(shared_vdig_bundle.InstallOrRemoveSymbolicLink(true, kUserComponents));
  EXPECT_EQ(linkTarget(), mSource);
  EXPECT_TRUE(shared_vdig_bundle.IsInstalled(kUserComponents));
  // Installed already: nothing to do, and that is success.
  EXPECT_TRUE(shared_vdig_bundle.InstallOrRemoveSymbolicLink(true, kUserComponents));
  ASSERT_TRUE(shared_vdig_bundle.InstallOrRemoveSymbolicLink(false, kUserComponents));
  struct stat info;
  EXPECT_NE(lstat(mLink.c_str(), &info), 0);
  EXPECT_FALSE(shared_vdig_bundle.InstallOrRemoveSymbolicLink(false, kUserComponents));
}

TEST_F(PlugInLinkInApplication, BaseClassInstallOverAnExistingLinkFails) {
  CorePlugInBundle plain(CFSTR("Moxicam.VDIG.component"), "Moxicam.VDIG");
  ASSERT_TRUE(plain.InstallOrRemoveSymbolicLink(true, kUserComponents));
  EXPECT_FALSE(plain.InstallOrRemoveSymbolicLink(true, kUserComponents));
  EXPECT_EQ(linkTarget(), mSource);
}

TEST_F(PlugInLinkInApplication, DanglingLinkIsReplacedAndRemoved) {
  ASSERT_EQ(symlink((mRoot.path() + "/gone").c_str(), mLink.c_str()), 0);
  EXPECT_FALSE(shared_vdig_bundle.IsInstalled(kUserComponents));
  ASSERT_TRUE(shared_vdig_bundle.InstallOrRemoveSymbolicLink(true, kUserComponents));
  EXPECT_EQ(linkTarget(), mSource);
  ASSERT_EQ(unlink(mLink.c_str()), 0);
  ASSERT_EQ(symlink((mRoot.path() + "/gone").c_str(), mLink.c_str()), 0);
  EXPECT_TRUE(shared_vdig_bundle.InstallOrRemoveSymbolicLink(false, kUserComponents));
  struct stat info;
  EXPECT_NE(lstat(mLink.c_str(), &info), 0);
}

TEST_F(PlugInLinkInApplication, RemovalLeavesARealItemAlone) {
  fs::create_directories(mLink);
  EXPECT_FALSE(shared_vdig_bundle.InstallOrRemoveSymbolicLink(false, kUserComponents));
  EXPECT_TRUE(fs::is_directory(mLink));
  CorePlugInBundle plain(CFSTR("Moxicam.VDIG.component"), "Moxicam.VDIG");
  EXPECT_FALSE(plain.InstallOrRemoveSymbolicLink(true, kUserComponents));
}

TEST_F(PlugInLinkInApplication, InstallOverAnItemThatCannotBeWrittenIsTriedAndFails) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes everything";
  mRoot.writeFile("home/Library/QuickTime/Moxicam.VDIG.component", "kept");
  ASSERT_EQ(chmod(mLink.c_str(), 0444), 0);
  CorePlugInBundle plain(CFSTR("Moxicam.VDIG.component"), "Moxicam.VDIG");
  std::string reports = moxicam::test::captureStandardError(
      [&] { EXPECT_FALSE(plain.InstallOrRemoveSymbolicLink(true, kUserComponents)); });
  EXPECT_NE(reports.find(" code : result == 0 in "), std::string::npos) << reports;
  EXPECT_NE(reports.find("(MakeSymbolicLinkFromTo)"), std::string::npos) << reports;
  EXPECT_EQ(moxicam::test::readFile(mLink), "kept");
}

TEST_F(PlugInLinkInApplication, LocationsOutsideTheTableFindNothing) {
  CorePlugInBundle plain(CFSTR("Moxicam.VDIG.component"), "Moxicam.VDIG");
  EXPECT_FALSE(plain.InstallOrRemoveSymbolicLink(true, 11));
  EXPECT_FALSE(plain.InstallOrRemoveSymbolicLink(true, -1));
  EXPECT_FALSE(plain.InstallOrRemoveSymbolicLink(false, 11));
}

TEST(PlugInLink, MissingComponentIsNotLinked) {
  moxicam::test::TemporaryRoot root;
  fs::create_directories(root.home() + "/Library/QuickTime");
  CorePlugInBundle plain(CFSTR("Moxicam.VDIG.component"), "NoSuchBundle");
  EXPECT_FALSE(plain.InstallOrRemoveSymbolicLink(true, kUserComponents));
  EXPECT_TRUE(fs::is_empty(root.home() + "/Library/QuickTime"));
}

TEST(PlugInLink, FromAFakeApplicationBundle) {
  if (getenv("MOXICAM_IN_FAKE_APPLICATION")) GTEST_SKIP() << "already inside";
  moxicam::test::TemporaryRoot root;
  const std::string contents = root.path() + "/Moxicam.app/Contents";
  fs::create_directories(contents + "/MacOS");
  fs::create_directories(contents + "/PlugIns/Moxicam.VDIG.component/Contents");
  fs::copy_file("/proc/self/exe", contents + "/MacOS/Moxicam");
  fs::permissions(contents + "/MacOS/Moxicam", fs::perms::owner_all);
  auto result = moxicam::test::runChild(contents + "/MacOS/Moxicam", {"--gtest_filter=PlugInLinkInApplication.*"},
                                        {{"MOXICAM_IN_FAKE_APPLICATION", "1"}});
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  // Run as root, the test of an item that cannot be written has nothing to test.
  EXPECT_TRUE(result.out.find("[  PASSED  ] 6 tests") != std::string::npos ||
              (result.out.find("[  PASSED  ] 5 tests") != std::string::npos &&
               result.out.find("[  SKIPPED ] 1 test") != std::string::npos))
      << result.out;
}

}  // namespace
