#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <string>

#include "CaptureOutput.h"
#include "LFSRef.h"
#include "LFileFork.h"
#include "TemporaryRoot.h"
#include "XFileName.h"

const char* g_CoreMachDebug_LogPrefix = "LFSRefTest";
const char* g_CoreMachDebug_LogFileName = "LFSRefTest.log";

namespace {

class LFSRefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(mRoot.path().c_str(), resolved), nullptr);
    mFolder = std::string(resolved) + "/files";
    ASSERT_EQ(mkdir(mFolder.c_str(), 0755), 0);
  }
  std::string pathOf(const char* name) const { return mFolder + "/" + name; }
  std::string write(const char* name, const std::string& contents) const {
    return mRoot.writeFile(std::string("files/") + name, contents);
  }

  moxicam::test::TemporaryRoot mRoot;
  std::string mFolder;
};

TEST_F(LFSRefTest, MissingFileIsLatentUntilCreated) {
  LFSRef file(pathOf("new.txt").c_str());
  EXPECT_EQ(file.State(), UInt32(LFSRef::State_ExistsWithLatentPath));
  EXPECT_FALSE(file.FileExists());
  LFSRef earlier(file);
  std::string path;
  ASSERT_TRUE(file.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("new.txt"));

  ASSERT_TRUE(file.CreateFile());
  EXPECT_EQ(file.State(), UInt32(LFSRef::State_Exists));
  EXPECT_TRUE(file.FileExists());
  EXPECT_FALSE(file.IsFolder());
  EXPECT_TRUE(earlier.Normalize());
  EXPECT_EQ(earlier.State(), UInt32(LFSRef::State_Exists));
  EXPECT_TRUE(earlier == file);
  EXPECT_FALSE(file.CreateFile());
}

TEST_F(LFSRefTest, NameBelowAFolderIsLatentWhenGiven) {
  FSRef folder;
  ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(mFolder.c_str()), &folder, nullptr), noErr);
  struct {
    const char* label;
    std::function<bool(LFSRef&)> construct;
    UInt32 state;
  } cases[] = {
      {"C string", [&](LFSRef& ref) { return ref.Construct(&folder, "a.txt"); }, LFSRef::State_ExistsWithLatentPath},
      {"empty C string", [&](LFSRef& ref) { return ref.Construct(&folder, ""); }, LFSRef::State_ExistsWithLatentPath},
      {"null C string", [&](LFSRef& ref) { return ref.Construct(&folder, static_cast<const char*>(nullptr)); },
       LFSRef::State_Exists},
      {"std::string", [&](LFSRef& ref) { return ref.Construct(&folder, std::string("a.txt")); },
       LFSRef::State_ExistsWithLatentPath},
      {"empty std::string", [&](LFSRef& ref) { return ref.Construct(&folder, std::string()); },
       LFSRef::State_Exists},
  };
  for (const auto& c : cases) {
    LFSRef ref;
    EXPECT_TRUE(c.construct(ref)) << c.label;
    EXPECT_EQ(ref.State(), c.state) << c.label;
  }

  LFSRef none;
  std::string reports = moxicam::test::captureStandardError(
      [&] { EXPECT_FALSE(none.Construct(static_cast<const FSRef*>(nullptr))); });
  EXPECT_NE(reports.find(" code : theFileRef in "), std::string::npos) << reports;
  EXPECT_FALSE(none.IsValid());
}

TEST_F(LFSRefTest, PathAsTextLastsUntilTheNextCall) {
  LFSRef first(pathOf("one.txt").c_str());
  LFSRef second(pathOf("two.txt").c_str());
  const char* text = first.GetUnixPath();
  EXPECT_EQ(std::string(text), pathOf("one.txt"));
  EXPECT_EQ(std::string(second.GetUnixPath()), pathOf("two.txt"));
  EXPECT_STREQ(LFSRef().GetUnixPath(), "");
}

TEST_F(LFSRefTest, ExistingFolderPathNamesTheFolderOnceNormalized) {
  LFSRef folder(mFolder.c_str());
  EXPECT_EQ(folder.State(), UInt32(LFSRef::State_ExistsWithLatentPath));
  EXPECT_TRUE(folder.IsFolder());
  ASSERT_TRUE(folder.Normalize());
  EXPECT_EQ(folder.State(), UInt32(LFSRef::State_Exists));
  LFSRef withSlash((mFolder + "/").c_str());
  EXPECT_EQ(withSlash.State(), UInt32(LFSRef::State_Exists));
  EXPECT_TRUE(withSlash == folder);
}

TEST_F(LFSRefTest, FileDeleteLeavesALatentReferenceToTheSameName) {
  write("gone.txt", "data");
  LFSRef file(pathOf("gone.txt").c_str());
  ASSERT_TRUE(file.Normalize());
  ASSERT_TRUE(file.FileDelete());
  EXPECT_EQ(file.State(), UInt32(LFSRef::State_ExistsWithLatentPath));
  EXPECT_FALSE(file.FileExists());
  std::string path;
  ASSERT_TRUE(file.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("gone.txt"));
  EXPECT_TRUE(file.CreateFile());
  EXPECT_FALSE(LFSRef(mFolder.c_str()).FileDelete());
}

TEST_F(LFSRefTest, RenameFollowsTheItem) {
  write("before.txt", "data");
  LFSRef file(pathOf("before.txt").c_str());
  ASSERT_TRUE(file.RenameFile("after.txt"));
  EXPECT_EQ(file.State(), UInt32(LFSRef::State_Exists));
  std::string name;
  ASSERT_TRUE(file.GetJustName(name));
  EXPECT_EQ(name, "after.txt");
  struct stat info;
  EXPECT_NE(stat(pathOf("before.txt").c_str(), &info), 0);
  EXPECT_EQ(stat(pathOf("after.txt").c_str(), &info), 0);

  write("taken.txt", "other");
  EXPECT_FALSE(file.RenameFile("taken.txt"));
  EXPECT_TRUE(file.FileExists());
}

TEST_F(LFSRefTest, RenamedFolderKeepsReferencesInsideItCurrent) {
  write("box/inner.txt", "data");
  LFSRef inner(pathOf("box/inner.txt").c_str());
  ASSERT_TRUE(inner.Normalize());
  LFSRef box(pathOf("box").c_str());
  ASSERT_TRUE(box.RenameFile("crate"));
  std::string path;
  ASSERT_TRUE(inner.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("crate/inner.txt"));
}

TEST_F(LFSRefTest, ExtensionsAndNamesMakeLatentReferences) {
  write("clip.mov", "data");
  LFSRef clip(pathOf("clip.mov").c_str());
  ASSERT_TRUE(clip.ReplaceExtension("mp4"));
  std::string path;
  ASSERT_TRUE(clip.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("clip.mp4"));
  EXPECT_FALSE(clip.FileExists());

  LFSRef dotted(pathOf("clip.mov").c_str());
  ASSERT_TRUE(dotted.AddExtension(".bak"));
  ASSERT_TRUE(dotted.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("clip.mov.bak"));
  LFSRef glued(pathOf("clip.mov").c_str());
  ASSERT_TRUE(glued.AddExtension("bak"));
  ASSERT_TRUE(glued.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("clip.movbak"));

  LFSRef renamed(pathOf("clip.mov").c_str());
  ASSERT_TRUE(renamed.ReplaceJustName("other.mov"));
  ASSERT_TRUE(renamed.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("other.mov"));

  LFSRef parent;
  ASSERT_TRUE(LFSRef(pathOf("clip.mov").c_str()).GetParentFolder(parent));
  ASSERT_TRUE(parent.GetUnixPath(path));
  EXPECT_EQ(path, mFolder);
}

TEST_F(LFSRefTest, LatentPathOfSeveralComponentsIsWalked) {
  LFSRef deep(pathOf("sub/new.txt").c_str());
  EXPECT_FALSE(deep.CreateFile());
  ASSERT_EQ(mkdir(pathOf("sub").c_str(), 0755), 0);
  LFSRef again(mFolder.c_str());
  ASSERT_TRUE(again.Normalize());
  LFSRef twoLevels;
  ASSERT_TRUE(twoLevels.Construct(&again.Ref(), "sub/new.txt"));
  ASSERT_TRUE(twoLevels.CreateFile());
  std::string path;
  ASSERT_TRUE(twoLevels.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("sub/new.txt"));
}

TEST_F(LFSRefTest, TypeAndCreatorAreKeptWithTheFile) {
  LFSRef file(pathOf("typed").c_str());
  ASSERT_TRUE(file.CreateFile(FOUR_CHAR_CODE("MooV"), FOUR_CHAR_CODE("TVOD")));
  OSType type = 0;
  OSType creator = 0;
  ASSERT_TRUE(file.GetFileTypeCreator(type, creator));
  EXPECT_EQ(type, FOUR_CHAR_CODE("MooV"));
  EXPECT_EQ(creator, FOUR_CHAR_CODE("TVOD"));
  EXPECT_TRUE(file.SetFileTypeCreator(type, creator));
  write("typed", "contents");
  ASSERT_TRUE(file.RecreateFile(FOUR_CHAR_CODE("TEXT"), FOUR_CHAR_CODE("ttxt")));
  struct stat info;
  ASSERT_EQ(stat(pathOf("typed").c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 0);
  ASSERT_TRUE(file.GetFileTypeCreator(type, creator));
  EXPECT_EQ(type, FOUR_CHAR_CODE("TEXT"));
}

TEST_F(LFSRefTest, FlatDataRoundTrip) {
  LFSRef latent(pathOf("\xF0\x9F\x8E\xA5 clip.mov").c_str());
  LFSRef::Data data;
  ASSERT_TRUE(latent.GetData(data));
  EXPECT_EQ(data.mState, LFSRef::State_ExistsWithLatentPath);
  EXPECT_EQ(data.mLatentPath.length, 11);  // the camera is a surrogate pair
  LFSRef back;
  ASSERT_TRUE(back.Construct(data));
  std::string path;
  ASSERT_TRUE(back.GetUnixPath(path));
  EXPECT_EQ(path, pathOf("\xF0\x9F\x8E\xA5 clip.mov"));
  LFSRef::Data empty{};
  EXPECT_FALSE(back.Construct(empty));
}

TEST_F(LFSRefTest, DataForkReadsToItsEnd) {
  write("data.bin", "0123456789");
  LFSRef file(pathOf("data.bin").c_str());
  LFileFork fork;
  char buffer[32] = {};
  ByteCount count = 0;
  EXPECT_FALSE(fork.Read(buffer, 4, fsFromStart, 0, &count));
  ASSERT_TRUE(fork.OpenData(file, fsRdPerm));
  ASSERT_TRUE(fork.Read(buffer, 4, fsFromStart, 2, &count));
  EXPECT_EQ(std::string(buffer, count), "2345");
  ASSERT_TRUE(fork.Read(buffer, sizeof buffer, fsFromStart, 6, &count));
  EXPECT_EQ(std::string(buffer, count), "6789");
  EXPECT_TRUE(fork.Close());
  EXPECT_TRUE(fork.Close());
}

TEST_F(LFSRefTest, NewerThanComparesModificationTimes) {
  write("old", "a");
  write("new", "b");
  struct timespec times[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, pathOf("old").c_str(), times, 0), 0);
  times[0].tv_sec = times[1].tv_sec = 2000;
  ASSERT_EQ(utimensat(AT_FDCWD, pathOf("new").c_str(), times, 0), 0);
  XFileName older(pathOf("old").c_str());
  XFileName newer(pathOf("new").c_str());
  EXPECT_TRUE(newer.IsNewerThan(older));
  EXPECT_FALSE(older.IsNewerThan(newer));
  EXPECT_FALSE(older.IsNewerThan(older));
  times[0].tv_sec = times[1].tv_sec = 1000;
  ASSERT_EQ(utimensat(AT_FDCWD, pathOf("new").c_str(), times, 0), 0);
  EXPECT_FALSE(newer.IsNewerThan(older));
}

TEST_F(LFSRefTest, NameBelowAFolder) {
  write("child.txt", "x");
  FSRef folder;
  ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(mFolder.c_str()), &folder, nullptr), noErr);
  XFileName child;
  ASSERT_TRUE(FSRef_ConstructFromParentAndRelativeName(child, &folder, "child.txt"));
  EXPECT_TRUE(child.FileExists());
  EXPECT_FALSE(FSRef_ConstructFromParentAndRelativeName(child, &folder, "absent.txt"));
  EXPECT_FALSE(FSRef_ConstructFromParentAndRelativeName(child, nullptr, "child.txt"));

  std::string reports = moxicam::test::captureStandardError([] {
    XFileName copy(static_cast<const XFileName*>(nullptr));
    EXPECT_FALSE(copy.IsConstructed());
  });
  EXPECT_NE(reports.find(" code : copyOf in "), std::string::npos) << reports;
}

}  // namespace
