#include <CoreFoundation/CFURL.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>

#include <CoreFoundation/CFError.h>
#include <objc/RefPtr.h>

#include "TemporaryRoot.h"

namespace {

using URL = RefPtr<const __CFURL>;

std::string utf8(CFStringRef string) {
  if (!string) return "<null>";
  char buffer[1024] = {};
  if (!CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8)) return "<unconvertible>";
  return buffer;
}

std::string take(CFStringRef string) {
  std::string text = utf8(string);
  if (string) CFRelease(string);
  return text;
}

CFStringRef text(const std::string& value) {
  return CFStringCreateWithCString(nullptr, value.c_str(), kCFStringEncodingUTF8);
}

URL filePath(const std::string& path, bool isDirectory) {
  CFStringRef string = text(path);
  URL url = adopt(CFURLCreateWithFileSystemPath(nullptr, string, kCFURLPOSIXPathStyle, isDirectory));
  CFRelease(string);
  return url;
}

URL fromString(const std::string& value, CFURLRef base = nullptr) {
  CFStringRef string = text(value);
  URL url = adopt(CFURLCreateWithString(nullptr, string, base));
  CFRelease(string);
  return url;
}

std::string representation(CFURLRef url, bool resolve) {
  UInt8 buffer[1024];
  return CFURLGetFileSystemRepresentation(url, resolve, buffer, sizeof buffer) ? reinterpret_cast<char*>(buffer)
                                                                               : "<false>";
}

TEST(CFURL, FilePathsBecomeEscapedFileURLsAndComeBack) {
  struct Row {
    std::string path;
    bool isDirectory;
    std::string url, fileSystemPath, lastComponent, extension;
  };
  const Row table[] = {
      {"/", true, "file:///", "/", "/", "<null>"},
      {"/tmp/a b/", true, "file:///tmp/a%20b/", "/tmp/a b", "a b", "<null>"},
      {"/tmp/a b", true, "file:///tmp/a%20b/", "/tmp/a b", "a b", "<null>"},
      {"/Library/Moxicam.plugin", false, "file:///Library/Moxicam.plugin", "/Library/Moxicam.plugin",
       "Moxicam.plugin", "plugin"},
      {"/x/100%?#[é]", false, "file:///x/100%25%3F%23%5B%C3%A9%5D", "/x/100%?#[é]", "100%?#[é]", "<null>"},
      {"/home/.hidden", false, "file:///home/.hidden", "/home/.hidden", ".hidden", "<null>"},
      {"/a/b.tar.gz", false, "file:///a/b.tar.gz", "/a/b.tar.gz", "b.tar.gz", "gz"},
  };
  for (const Row& row : table) {
    URL url = filePath(row.path, row.isDirectory);
    ASSERT_TRUE(url) << row.path;
    EXPECT_EQ(utf8(CFURLGetString(url.get())), row.url) << row.path;
    EXPECT_EQ(take(CFURLCopyFileSystemPath(url.get(), kCFURLPOSIXPathStyle)), row.fileSystemPath) << row.path;
    EXPECT_EQ(representation(url.get(), true), row.fileSystemPath) << row.path;
    EXPECT_EQ(take(CFURLCopyLastPathComponent(url.get())), row.lastComponent) << row.path;
    EXPECT_EQ(take(CFURLCopyPathExtension(url.get())), row.extension) << row.path;
    EXPECT_EQ(CFURLHasDirectoryPath(url.get()), row.isDirectory) << row.path;
    EXPECT_EQ(take(CFURLCopyScheme(url.get())), "file") << row.path;
    EXPECT_EQ(CFURLCopyHostName(url.get()), nullptr) << row.path;
  }
}

TEST(CFURL, RelativePathsAreRelativeToTheCurrentFolder) {
  moxicam::test::TemporaryRoot root;
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(root.path().c_str()), 0);
  URL url = filePath("sub dir/file.txt", false);
  ASSERT_EQ(chdir(previous), 0);
  ASSERT_TRUE(url);
  EXPECT_EQ(utf8(CFURLGetString(url.get())), "sub%20dir/file.txt");
  ASSERT_TRUE(CFURLGetBaseURL(url.get()));
  EXPECT_EQ(take(CFURLCopyFileSystemPath(url.get(), kCFURLPOSIXPathStyle)), "sub dir/file.txt");
  EXPECT_EQ(representation(url.get(), false), "sub dir/file.txt");
  char resolved[4096];
  ASSERT_TRUE(realpath(root.path().c_str(), resolved));
  EXPECT_EQ(representation(url.get(), true), std::string(resolved) + "/sub dir/file.txt");
  URL absolute = adopt(CFURLCopyAbsoluteURL(url.get()));
  EXPECT_EQ(CFURLGetBaseURL(absolute.get()), nullptr);
  EXPECT_EQ(take(CFURLCopyFileSystemPath(absolute.get(), kCFURLPOSIXPathStyle)),
            std::string(resolved) + "/sub dir/file.txt");
  // "a:b" must not read back as a URL of scheme "a".
  URL colon = filePath("a:b", false);
  EXPECT_EQ(take(CFURLCopyScheme(colon.get())), "file");
  EXPECT_EQ(take(CFURLCopyLastPathComponent(colon.get())), "a:b");
}

TEST(CFURL, EditsOfThePath) {
  struct Row {
    const char* name;
    URL url;
    std::string expected;
  };
  URL folder = filePath("/Users/me/Library", true);
  URL file = filePath("/Users/me/notes.txt", false);
  URL root = filePath("/", true);
  auto appending = [](const URL& url, const char* component, bool isDirectory) {
    CFStringRef string = text(component);
    URL result = adopt(CFURLCreateCopyAppendingPathComponent(nullptr, url.get(), string, isDirectory));
    CFRelease(string);
    return result;
  };
  auto withExtension = [](const URL& url, const char* extension) {
    CFStringRef string = text(extension);
    URL result = adopt(CFURLCreateCopyAppendingPathExtension(nullptr, url.get(), string));
    CFRelease(string);
    return result;
  };
  const Row table[] = {
      {"append file", appending(folder, "Logs file.log", false), "file:///Users/me/Library/Logs%20file.log"},
      {"append folder", appending(file, "sub", true), "file:///Users/me/notes.txt/sub/"},
      {"append to root", appending(root, "tmp", true), "file:///tmp/"},
      {"append with colon", appending(folder, "a:b", false), "file:///Users/me/Library/a:b"},
      {"delete last of folder", adopt(CFURLCreateCopyDeletingLastPathComponent(nullptr, folder.get())),
       "file:///Users/me/"},
      {"delete last of file", adopt(CFURLCreateCopyDeletingLastPathComponent(nullptr, file.get())),
       "file:///Users/me/"},
      {"delete last of root", adopt(CFURLCreateCopyDeletingLastPathComponent(nullptr, root.get())), "file:///"},
      {"add extension", withExtension(file, "bak"), "file:///Users/me/notes.txt.bak"},
      {"add extension to folder", withExtension(folder, "plugin"), "file:///Users/me/Library.plugin/"},
      {"delete extension", adopt(CFURLCreateCopyDeletingPathExtension(nullptr, file.get())), "file:///Users/me/notes"},
      {"delete missing extension", adopt(CFURLCreateCopyDeletingPathExtension(nullptr, folder.get())),
       "file:///Users/me/Library/"},
  };
  for (const Row& row : table) {
    ASSERT_TRUE(row.url) << row.name;
    EXPECT_EQ(utf8(CFURLGetString(row.url.get())), row.expected) << row.name;
  }
}

TEST(CFURL, StringsResolveAgainstTheirBase) {
  URL base = fromString("http://user@example.com:8080/a/b/c?q=1#top");
  ASSERT_TRUE(base);
  EXPECT_EQ(take(CFURLCopyHostName(base.get())), "example.com");
  EXPECT_EQ(take(CFURLCopyPath(base.get())), "/a/b/c");
  struct Row {
    const char* reference;
    const char* absolute;
  };
  const Row table[] = {
      {"g", "http://user@example.com:8080/a/b/g"},
      {"../g", "http://user@example.com:8080/a/g"},
      {"../../../g", "http://user@example.com:8080/g"},
      {"./g/", "http://user@example.com:8080/a/b/g/"},
      {"/g", "http://user@example.com:8080/g"},
      {"?y", "http://user@example.com:8080/a/b/c?y"},
      {"#s", "http://user@example.com:8080/a/b/c?q=1#s"},
      {"//other/x", "http://other/x"},
      {"ftp://h/p", "ftp://h/p"},
  };
  for (const Row& row : table) {
    URL url = fromString(row.reference, base.get());
    ASSERT_TRUE(url) << row.reference;
    URL absolute = adopt(CFURLCopyAbsoluteURL(url.get()));
    EXPECT_EQ(utf8(CFURLGetString(absolute.get())), row.absolute) << row.reference;
  }
  URL relative = fromString("../g", base.get());
  EXPECT_EQ(take(CFURLCopyScheme(relative.get())), "http");
  EXPECT_EQ(take(CFURLCopyHostName(relative.get())), "example.com");
  EXPECT_EQ(representation(relative.get(), true), "<false>");  // not a file URL
  // An absolute string keeps no base.
  URL absolute = fromString("file:///x", base.get());
  EXPECT_EQ(CFURLGetBaseURL(absolute.get()), nullptr);
}

TEST(CFURL, InvalidTextGivesNoURL) {
  for (const char* bad : {"http://a b/", "http://x/%zz", "http://x/%4", "a#b#c", "http://x/\xC3\xA9", "<tag>"}) {
    EXPECT_FALSE(fromString(bad)) << bad;
  }
  EXPECT_FALSE(filePath("", false));
  EXPECT_EQ(CFURLCreateWithString(nullptr, nullptr, nullptr), nullptr);
}

TEST(CFURL, FileSystemRepresentationChecksItsBuffer) {
  URL url = filePath("/tmp/abc", false);
  UInt8 exact[9], tooSmall[8];
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(url.get(), true, exact, sizeof exact));
  EXPECT_STREQ(reinterpret_cast<char*>(exact), "/tmp/abc");
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url.get(), true, tooSmall, sizeof tooSmall));
  // An escaped NUL cannot become a path.
  URL withNul = fromString("file:///tmp/a%00b");
  ASSERT_TRUE(withNul);
  EXPECT_EQ(representation(withNul.get(), true), "<false>");

  const char bytes[] = "/tmp/\xff raw";  // not UTF-8, as file names may be
  URL raw = adopt(CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(bytes),
                                                          sizeof bytes - 1, false));
  EXPECT_EQ(utf8(CFURLGetString(raw.get())), "file:///tmp/%FF%20raw");
  EXPECT_EQ(representation(raw.get(), true), bytes);
}

TEST(CFURL, ReachabilityTellsWhyNot) {
  moxicam::test::TemporaryRoot root;
  std::string present = root.writeFile("present.txt", "x");
  EXPECT_TRUE(CFURLResourceIsReachable(filePath(present, false).get(), nullptr));
  CFErrorRef error = nullptr;
  EXPECT_FALSE(CFURLResourceIsReachable(filePath(root.path() + "/absent", false).get(), &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(CFErrorGetCode(error), 260);
  EXPECT_EQ(utf8(CFErrorGetDomain(error)), "NSCocoaErrorDomain");
  RefPtr<const __CFDictionary> info = adopt(CFErrorCopyUserInfo(error));
  EXPECT_EQ(utf8(static_cast<CFStringRef>(CFDictionaryGetValue(info.get(), kCFErrorFilePathKey))),
            root.path() + "/absent");
  CFRelease(error);
  EXPECT_FALSE(CFURLResourceIsReachable(fromString("http://example.com/").get(), &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(CFErrorGetCode(error), 262);
  CFRelease(error);
}

TEST(CFURL, PercentEscapesBothWays) {
  EXPECT_EQ(take(CFURLCreateStringByAddingPercentEscapes(nullptr, CFSTR("a b/é?&"), nullptr, CFSTR("&"),
                                                         kCFStringEncodingUTF8)),
            "a%20b/%C3%A9?%26");
  EXPECT_EQ(take(CFURLCreateStringByAddingPercentEscapes(nullptr, CFSTR("a b"), CFSTR(" "), nullptr,
                                                         kCFStringEncodingUTF8)),
            "a b");
  EXPECT_EQ(take(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("a%20b%2F%C3%A9"), CFSTR(""))), "a b/é");
  EXPECT_EQ(take(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("a%20b%2F"), CFSTR("/"))), "a b%2F");
  EXPECT_EQ(take(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("a%20b"), nullptr)), "a%20b");
  EXPECT_EQ(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("bad%ZZ"), CFSTR("")), nullptr);
  EXPECT_EQ(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("%FF"), CFSTR("")), nullptr);
}

TEST(CFURL, EqualityAndDescription) {
  URL a = filePath("/x y", false), b = fromString("file:///x%20y");
  EXPECT_TRUE(CFEqual(a.get(), b.get()));
  EXPECT_EQ(CFHash(a.get()), CFHash(b.get()));
  EXPECT_FALSE(CFEqual(a.get(), filePath("/x y", true).get()));
  EXPECT_EQ(take(CFCopyDescription(a.get())), "file:///x%20y");
  URL base = fromString("http://h/d/");
  EXPECT_EQ(take(CFCopyDescription(fromString("f", base.get()).get())), "f -- http://h/d/");
}

}  // namespace
