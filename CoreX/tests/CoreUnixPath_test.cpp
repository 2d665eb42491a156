#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "CoreUnixPath.h"
#include "LUnixPath.h"
#include "TemporaryRoot.h"

const char* g_CoreMachDebug_LogPrefix = "CoreUnixPathTest";
const char* g_CoreMachDebug_LogFileName = "CoreUnixPathTest.log";

namespace {

struct PathCase {
  const char* path;
  bool found;
  const char* answer;
};

TEST(CoreUnixPath, RootIsTheSlashAlone) {
  EXPECT_TRUE(CoreUnixPath::IsRootPath("/"));
  EXPECT_TRUE(CoreUnixPath::IsRootPath("//"));
  EXPECT_FALSE(CoreUnixPath::IsRootPath("a/"));
  EXPECT_FALSE(CoreUnixPath::IsRootPath(""));
  EXPECT_FALSE(CoreUnixPath::IsRootPath(nullptr));
  EXPECT_FALSE(CoreUnixPath::IsRootPath("/a"));
}

TEST(CoreUnixPath, ParentsOfPaths) {
  const PathCase cases[] = {
      {"/usr/lib", true, "/usr/"}, {"/usr/lib/", true, "/usr/"}, {"a/b/c", true, "a/b/"},
      {"/usr", false, ""},         {"/", false, ""},              {"name", false, ""},
      {"a/", false, ""},
  };
  for (const PathCase& c : cases) {
    std::string parent = "stale";
    EXPECT_EQ(CoreUnixPath::GetPathParent(c.path, parent), c.found) << c.path;
    EXPECT_EQ(parent, c.answer) << c.path;
    EXPECT_EQ(LUnixPath::GetPathParent(c.path, parent), c.found) << c.path;
  }
}

TEST(CoreUnixPath, NamesOfPaths) {
  const PathCase cases[] = {
      {"/usr/lib/", true, "lib"}, {"/usr/lib", true, "lib"}, {"a/b.mov", true, "b.mov"},
      {"bare", false, ""},        {"/top", false, ""},        {"/", false, ""},
  };
  for (const PathCase& c : cases) {
    std::string name = "stale";
    EXPECT_EQ(CoreUnixPath::GetPathJustName(c.path, name), c.found) << c.path;
    EXPECT_EQ(name, c.answer) << c.path;
  }
}

TEST(CoreUnixPath, ExtensionsOfPaths) {
  const PathCase cases[] = {
      {"movie.mov", true, "mov"}, {"/a/b/clip.tar.gz", true, "gz"}, {"a.b/c", true, "b/c"},
      {".profile", false, ""},    {"noext", false, ""},               {"/", false, ""},
  };
  for (const PathCase& c : cases) {
    std::string ext = "stale";
    EXPECT_EQ(CoreUnixPath::GetPathExtension(c.path, ext), c.found) << c.path;
    EXPECT_EQ(ext, c.answer) << c.path;
    EXPECT_EQ(LUnixPath::GetPathExtension(c.path, ext), c.found) << c.path;
    EXPECT_EQ(ext, c.answer) << c.path;
  }
  EXPECT_FALSE(CoreUnixPath::HasValidFileExtension(".profile"));
  EXPECT_FALSE(CoreUnixPath::HasValidFileExtension("a.b/c"));
  EXPECT_TRUE(CoreUnixPath::HasValidFileExtension("a/b.c"));
  EXPECT_TRUE(CoreUnixPath::HasPathExtension("clip.MOV", ".mov"));
  EXPECT_TRUE(CoreUnixPath::HasPathExtension("clip.MOV", "mov"));
  EXPECT_FALSE(CoreUnixPath::HasPathExtension("clip.MOV", "mo"));
  EXPECT_FALSE(CoreUnixPath("a.b/c").HasExtension("b/c"));
  EXPECT_TRUE(LUnixPath("clip.Mov").HasExtension("MOV"));
}

TEST(CoreUnixPath, ReplacingAndAddingExtensions) {
  struct {
    const char* path;
    const char* ext;
    const char* replaced;
  } cases[] = {
      {"movie.mov", "mp4", "movie.mp4"},
      {"movie", "mp4", "movie.mp4"},
      {"movie.mov", ".mp4", "movie.mp4"},
      {"/a/b.c/file", "txt", "/a/b.c/file.txt"},
  };
  for (const auto& c : cases) {
    std::string path = c.path;
    EXPECT_TRUE(CoreUnixPath::ReplacePathExtension(path, c.ext)) << c.path;
    EXPECT_EQ(path, c.replaced) << c.path;
  }
  std::string path = "name";
  EXPECT_TRUE(CoreUnixPath::AddPathExtension(path, ".txt"));
  EXPECT_EQ(path, "name.txt");
  path = "name";
  EXPECT_TRUE(CoreUnixPath::AddPathExtension(path, ""));
  EXPECT_EQ(path, "name.");
  path = "/";
  EXPECT_FALSE(CoreUnixPath::AddPathExtension(path, "txt"));
  EXPECT_FALSE(CoreUnixPath::ReplacePathExtension(path, "txt"));
  EXPECT_EQ(path, "/");
}

TEST(CoreUnixPath, TrailingSlashes) {
  std::string text;
  EXPECT_TRUE(CoreUnixPath::AddTrailingSlash(text));
  EXPECT_EQ(text, "/");
  text = "a/";
  EXPECT_FALSE(CoreUnixPath::AddTrailingSlash(text));
  EXPECT_EQ(text, "a/");
  text = "a//";
  EXPECT_TRUE(CoreUnixPath::RemoveTrailingSlash(text));
  EXPECT_EQ(text, "a/");
  text = "";
  EXPECT_FALSE(CoreUnixPath::RemoveTrailingSlash(text));
}

TEST(CoreUnixPath, Qualification) {
  struct {
    const char* path;
    bool full, partial, qualified, justName;
  } cases[] = {
      {"/a", true, false, true, false},
      {"a/b", false, true, true, false},
      {"a", false, false, false, true},
      {"", false, false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CoreUnixPath::IsFullyQualified(c.path), c.full) << c.path;
    EXPECT_EQ(CoreUnixPath::IsPartiallyQualified(c.path), c.partial) << c.path;
    EXPECT_EQ(CoreUnixPath::IsQualified(c.path), c.qualified) << c.path;
    EXPECT_EQ(CoreUnixPath::IsJustName(c.path), c.justName) << c.path;
  }
  EXPECT_FALSE(CoreUnixPath::IsQualified(nullptr));
}

std::vector<std::pair<std::string, std::string>> walk(const char* text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  LUnixPath path(text);
  std::string base;
  std::string name;
  for (bool more = path.GetFirstPair(base, name); more && pairs.size() < 20; more = path.GetNextPair(base, name)) {
    pairs.emplace_back(base, name);
  }
  return pairs;
}

TEST(CoreUnixPath, WalksComponentByComponent) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(walk("a/b/c"), (Pairs{{"a/", "b/c"}, {"a/b/", "c"}}));
  EXPECT_EQ(walk("/a/b"), (Pairs{{"/", "a/b"}, {"/a/", "b"}}));
  EXPECT_EQ(walk("x"), (Pairs{{"./", "x"}}));
  EXPECT_EQ(walk("a/b/"), (Pairs{{"a/", "b/"}, {"a/b/", ""}}));
  EXPECT_EQ(walk("/"), (Pairs{{"/", ""}}));
  EXPECT_TRUE(walk("").empty());
}

TEST(CoreUnixPath, FileOperationsOnARealFolder) {
  moxicam::test::TemporaryRoot root;
  std::string file = root.writeFile("data/file.txt", "x");
  std::string link = root.path() + "/link";
  EXPECT_TRUE(CoreUnixPath::FileExists(file.c_str()));
  EXPECT_TRUE(CoreUnixPath::FileExistsReadWrite(file.c_str()));
  EXPECT_FALSE(CoreUnixPath::MakeSymbolicLinkFromTo((root.path() + "/missing").c_str(), link.c_str()));
  EXPECT_FALSE(CoreUnixPath::FileExists(link.c_str()));
  EXPECT_TRUE(CoreUnixPath::MakeSymbolicLinkFromTo((root.path() + "/data/").c_str(), (link + "/").c_str()));
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), root.path() + "/data");
  EXPECT_TRUE(CoreUnixPath::FileDelete(link.c_str()));
  EXPECT_TRUE(CoreUnixPath::FileDelete(file.c_str()));
  EXPECT_FALSE(CoreUnixPath::FileDelete(file.c_str()));
  EXPECT_TRUE(CoreUnixPath::FolderDelete((root.path() + "/data").c_str()));
}

TEST(CoreUnixPath, WorkingFolder) {
  moxicam::test::TemporaryRoot root;
  CoreUnixPath previous;
  ASSERT_TRUE(previous.getcwd());
  CoreUnixPath folder(root.path().c_str());
  EXPECT_TRUE(folder.chdir());
  CoreUnixPath now;
  ASSERT_TRUE(now.getcwd());
  char resolved[PATH_MAX];
  ASSERT_NE(realpath(root.path().c_str(), resolved), nullptr);
  EXPECT_EQ(now.Path(), resolved);
  EXPECT_TRUE(previous.chdir());
  EXPECT_FALSE(CoreUnixPath().chdir());
}

TEST(CoreUnixPath, FromStringsAndURLs) {
  CoreUnixPath fromString(CFSTR("/tmp/caf\u00e9"));
  EXPECT_EQ(fromString.Path(), "/tmp/caf\u00e9");
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/dir"), kCFURLPOSIXPathStyle, true);
  ASSERT_NE(url, nullptr);
  CoreUnixPath fromURL(url);
  CFRelease(url);
  EXPECT_EQ(fromURL.Path(), "/tmp/dir");
  EXPECT_FALSE(CoreUnixPath().Construct(static_cast<CFStringRef>(nullptr)));
}

}  // namespace
