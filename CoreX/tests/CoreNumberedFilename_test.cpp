#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <Carbon/Folders.h>

#include "CoreNumberedFilename.h"
#include "CoreUserFolder.h"
#include "TemporaryRoot.h"

const char* g_CoreMachDebug_LogPrefix = "CoreNumberedFilenameTest";
const char* g_CoreMachDebug_LogFileName = "CoreNumberedFilenameTest.log";

namespace {

class NumberedNames : public ::testing::Test {
 protected:
  void SetUp() override {
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(mRoot.path().c_str(), resolved), nullptr);
    mFolder = resolved;
    ASSERT_TRUE(mNames.Construct(mFolder.c_str()));
  }
  std::string candidate(int n) const {
    char name[64];
    snprintf(name, sizeof name, "/Moxicam_%03d.mov", n);
    return mFolder + name;
  }
  void take(int n) const { mRoot.writeFile(candidate(n).substr(mFolder.size() + 1), "taken"); }

  moxicam::test::TemporaryRoot mRoot;
  std::string mFolder;
  CoreNumberedFilename mNames;
};

TEST_F(NumberedNames, TakesTheFirstFreeNumber) {
  take(0);
  take(1);
  take(3);
  char path[CoreNumberedFilename::kPathSize];
  int number = -1;
  ASSERT_TRUE(mNames.FindFirstAvailableNamedPathNumber(path, "Moxicam_%03d", "mov", number));
  EXPECT_EQ(number, 2);
  EXPECT_EQ(std::string(path), candidate(2));
  // The answer is claimed: the next search goes on past it.
  ASSERT_TRUE(mNames.FindFirstAvailableNumber("Moxicam_%03d", "mov", number));
  EXPECT_EQ(number, 4);
}

TEST_F(NumberedNames, AGapAtOneIsFound) {
  take(0);
  take(2);
  int number = -1;
  ASSERT_TRUE(mNames.FindFirstAvailableNumber("Moxicam_%03d", "mov", number));
  EXPECT_EQ(number, 1);
}

TEST_F(NumberedNames, DanglingLinkCountsAsTaken) {
  ASSERT_EQ(symlink((mFolder + "/nowhere").c_str(), candidate(0).c_str()), 0);
  int number = -1;
  ASSERT_TRUE(mNames.FindFirstAvailableNumber("Moxicam_%03d", "mov", number));
  EXPECT_EQ(number, 1);
}

TEST_F(NumberedNames, AllThousandTaken) {
  for (int n = 0; n < 1000; ++n) take(n);
  char path[CoreNumberedFilename::kPathSize];
  EXPECT_FALSE(mNames.FindFirstAvailableNamedPath(path, "Moxicam_%03d", "mov"));
  EXPECT_EQ(path[0], '\0');
}

TEST_F(NumberedNames, UnwritableFolderIsNotTakenAsFree) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
  ASSERT_EQ(chmod(mFolder.c_str(), 0555), 0);
  int number = -1;
  EXPECT_FALSE(mNames.FindFirstAvailableNumber("Moxicam_%03d", "mov", number));
  chmod(mFolder.c_str(), 0755);
}

TEST_F(NumberedNames, CandidatesThatDoNotFitAreNotAvailable) {
  std::string longName(1100, 'n');
  int number = -1;
  EXPECT_FALSE(mNames.FindFirstAvailableNumber((longName + "%d").c_str(), "mov", number));
}

TEST(NumberedNamesConstruction, UnconstructedOrMissingFolder) {
  CoreNumberedFilename names;
  char path[CoreNumberedFilename::kPathSize];
  EXPECT_FALSE(names.FindFirstAvailableNamedPath(path, "x%d", "mov"));
  EXPECT_FALSE(names.Construct("/nonexistent/folder"));
  moxicam::test::TemporaryRoot root;
  EXPECT_FALSE(CoreNumberedFilename(4).IsConstructed());  // ~/Movies is not made
  mkdir((root.home() + "/Movies").c_str(), 0755);
  CoreNumberedFilename movies(4);
  ASSERT_TRUE(movies.IsConstructed());
  char resolved[PATH_MAX];
  ASSERT_NE(realpath((root.home() + "/Movies").c_str(), resolved), nullptr);
  EXPECT_STREQ(movies.GetUnixPath(), resolved);
}

TEST(CoreUserFolder, SubFolderIsMadeOnFirstUseAndFoundAfterwards) {
  moxicam::test::TemporaryRoot root;
  CoreUserFolder folder("Moxicam", kApplicationSupportFolderType, kUserDomain);
  CoreUnixPath path;
  ASSERT_TRUE(folder.GetUnixPath(path));
  char resolved[PATH_MAX];
  ASSERT_NE(realpath((root.home() + "/Library/Application Support/Moxicam").c_str(), resolved), nullptr);
  EXPECT_EQ(path.Path(), resolved);
  FSRef first;
  FSRef second;
  ASSERT_TRUE(folder.GetFileRef(first));
  ASSERT_TRUE(CoreUserFolder("Moxicam", kApplicationSupportFolderType, kUserDomain).GetFileRef(second));
  EXPECT_EQ(FSCompareFSRefs(&first, &second), noErr);

  root.writeFile("home/Library/Preferences/plainfile", "not a folder");
  FSRef none;
  EXPECT_FALSE(CoreUserFolder::FSRefOfFoundFolder(none, kPreferencesFolderType, kUserDomain, "plainfile"));
}

}  // namespace
