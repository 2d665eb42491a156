// The file manager's standard folders and existence test, the path methods of strings, and
// which bundle a class comes from.
#include <Foundation/Foundation.h>
#include <gtest/gtest.h>

#include <string>

#include "TemporaryRoot.h"

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : "(null)"; }

class LocalClass : public NSObject {
  OBJC_CLASS_DECL(LocalClass, NSObject)
};
OBJC_CLASS_DEFINE(LocalClass)

TEST(NSPathUtilities, LastPathComponent) {
  objc::AutoreleasePool pool;
  const std::pair<const char*, const char*> cases[] = {
      {"/Library/Audio/Foo.driver", "Foo.driver"},
      {"/a/b/", "b"},
      {"/x/..", ".."},
      {"/x/.", "."},
      {"name", "name"},
      {"/", "/"},
      {"//", "/"},
      {"", ""},
      {"a//b//", "b"},
  };
  for (const auto& [path, last] : cases) {
    EXPECT_EQ(text(NSStringPathExtensions::lastPathComponent(NSString::stringWithUTF8String(path))), last)
        << path;
  }
  EXPECT_EQ(NSStringPathExtensions::lastPathComponent(nullptr), nullptr);
}

TEST(NSPathUtilities, StringByAppendingPathComponent) {
  objc::AutoreleasePool pool;
  struct Case {
    const char* path;
    const char* component;
    const char* joined;
  };
  const Case cases[] = {
      {"a", "b", "a/b"}, {"a/", "b", "a/b"}, {"a", "/b/", "a/b"},      {"", "b", "b"},
      {"/", "b", "/b"},  {"a", "", "a"},     {"/x//y", "z", "/x/y/z"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text(NSStringPathExtensions::stringByAppendingPathComponent(
                  NSString::stringWithUTF8String(c.path), NSString::stringWithUTF8String(c.component))),
              c.joined)
        << c.path << " + " << c.component;
  }
}

TEST(NSFileManager, LibraryFoldersOfTheDomainsLieUnderHomeAndTheSystemRoot) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  NSFileManager* manager = NSFileManager::defaultManager();
  EXPECT_EQ(manager, NSFileManager::defaultManager());
  struct Case {
    NSSearchPathDomainMask domains;
    std::vector<std::string> folders;
  };
  const Case cases[] = {
      {NSUserDomainMask, {root.home() + "/Library"}},
      {NSLocalDomainMask, {root.root() + "/Library"}},
      {NSSystemDomainMask, {root.root() + "/System/Library"}},
      {NSNetworkDomainMask, {}},
      {NSAllDomainsMask,
       {root.home() + "/Library", root.root() + "/Library", root.root() + "/System/Library"}},
  };
  for (const Case& c : cases) {
    NSArray* urls = manager->URLsForDirectory_inDomains(NSLibraryDirectory, c.domains);
    ASSERT_EQ(urls->count(), c.folders.size()) << c.domains;
    for (NSUInteger index = 0; index < urls->count(); ++index) {
      EXPECT_EQ(text(static_cast<NSURL*>(urls->objectAtIndex(index))->path()), c.folders[index]) << c.domains;
    }
  }
  EXPECT_EQ(manager->URLsForDirectory_inDomains(NSLibraryDirectory + 1, NSAllDomainsMask)->count(), 0u);
}

TEST(NSFileManager, FileExistsAtPath) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string file = root.writeFile("folder/file", "x");
  NSFileManager* manager = NSFileManager::defaultManager();
  EXPECT_TRUE(manager->fileExistsAtPath(NSString::stringWithUTF8String(file.c_str())));
  EXPECT_TRUE(manager->fileExistsAtPath(NSString::stringWithUTF8String((root.path() + "/folder").c_str())));
  EXPECT_FALSE(manager->fileExistsAtPath(NSString::stringWithUTF8String((root.path() + "/missing").c_str())));
  EXPECT_FALSE(manager->fileExistsAtPath(nullptr));
}

TEST(NSBundle, BundleForClassIsWhereTheClassIsDefined) {
  objc::AutoreleasePool pool;
  EXPECT_EQ(NSBundle::bundleForClass(LocalClass::class_()), NSBundle::mainBundle());
  NSBundle* foundation = NSBundle::bundleForClass(NSBundle::class_());
  ASSERT_NE(foundation, nullptr);
  EXPECT_TRUE(text(foundation->bundlePath()).ends_with("/System/Library/Frameworks/Foundation.framework"))
      << text(foundation->bundlePath());
  EXPECT_EQ(NSBundle::bundleForClass(nullptr), nullptr);
  EXPECT_EQ(text(NSBundle::mainBundle()->builtInPlugInsPath()),
            text(NSBundle::mainBundle()->bundlePath()) + "/PlugIns");
}

TEST(NSAssertionHandler, RaisesAnInternalInconsistency) {
  objc::AutoreleasePool pool;
  try {
    NSAssertionHandler::currentHandler()->handleFailureInFunction_file_lineNumber_description(
        NSSTR("+[Tool method]"), NSSTR("ToolSource"), 44, NSSTR("Failed to get %@."), NSSTR("class bundle"));
  } catch (const NSException::Raised& raised) {
    EXPECT_TRUE(raised.exception()->name()->isEqualToString(NSInternalInconsistencyException));
    EXPECT_EQ(text(raised.exception()->reason()), "Failed to get class bundle.");
  }
}

}  // namespace
