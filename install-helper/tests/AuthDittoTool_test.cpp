#include "AuthDittoTool.h"

#include <gtest/gtest.h>

#include <string>

#include "InstallLocations.h"
#include "TemporaryRoot.h"

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : "(null)"; }
NSString* ns(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

TEST(AuthDittoTool, EachLocationNameHasItsFolderUnderTheSystemRoot) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  for (const InstallLocation& c : kInstallLocations) {
    EXPECT_EQ(text(AuthDittoTool::locationPathWithLocationName(ns(c.name))), root.root() + c.folder)
        << c.name;
    EXPECT_EQ(text(AuthDittoTool::destinationWithLocationName_sourcePath(ns(c.name),
                                                                         NSSTR("/app/PlugIns/P.bundle"))),
              root.root() + c.folder + "/P.bundle")
        << c.name;
    EXPECT_EQ(AuthDittoTool::destinationRequiresCoreAudioRestart(ns(c.name)),
              std::string(c.name) == "Library.Audio.PlugIns.HAL")
        << c.name;
  }
}

TEST(AuthDittoTool, NamesOutsideTheTableHaveNoFolder) {
  objc::AutoreleasePool pool;
  for (const char* name :
       {"library.quicktime", "Library.QuickTime ", "Library.Audio.Plugins.HAL", "QuickTime", ""}) {
    EXPECT_EQ(AuthDittoTool::locationPathWithLocationName(ns(name)), nullptr) << name;
    EXPECT_EQ(AuthDittoTool::destinationWithLocationName_sourcePath(ns(name), NSSTR("/app/P.bundle")),
              nullptr)
        << name;
    EXPECT_FALSE(AuthDittoTool::destinationRequiresCoreAudioRestart(ns(name))) << name;
  }
  EXPECT_EQ(AuthDittoTool::locationPathWithLocationName(nullptr), nullptr);
  EXPECT_FALSE(AuthDittoTool::destinationRequiresCoreAudioRestart(nullptr));
}

TEST(AuthDittoTool, DestinationTakesThePayloadsLastComponentOnlyWhenItIsAFileName) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string hal = root.root() + "/Library/Audio/Plug-Ins/HAL";
  struct Case {
    const char* payload;
    std::string destination;
  };
  const Case cases[] = {
      {"/app/Contents/PlugIns/Moxicam.driver", hal + "/Moxicam.driver"},
      {"/app/Contents/PlugIns/Moxicam.driver/", hal + "/Moxicam.driver"},
      {"Moxicam.driver", hal + "/Moxicam.driver"},
      {"", "(null)"},
      {".", "(null)"},
      {"/app/.", "(null)"},
      {"/app/..", "(null)"},
      {"/", "(null)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text(AuthDittoTool::destinationWithLocationName_sourcePath(NSSTR("Library.Audio.PlugIns.HAL"),
                                                                         ns(c.payload))),
              c.destination)
        << c.payload;
  }
  EXPECT_EQ(
      AuthDittoTool::destinationWithLocationName_sourcePath(NSSTR("Library.Audio.PlugIns.HAL"), nullptr),
      nullptr);
}

TEST(AuthDittoTool, LibraryFoldersOfTheThreeDomains) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  EXPECT_EQ(text(AuthDittoTool::usersLibraryFolderWithSubDirectoryPathName(NSSTR("QuickTime"))),
            root.home() + "/Library/QuickTime");
  EXPECT_EQ(text(AuthDittoTool::slashLibraryFolderWithSubDirectoryPathName(NSSTR("QuickTime"))),
            root.root() + "/Library/QuickTime");
  EXPECT_EQ(text(AuthDittoTool::systemLibraryFolderWithSubDirectoryPathName(NSSTR("QuickTime"))),
            root.root() + "/System/Library/QuickTime");
  EXPECT_EQ(text(AuthDittoTool::pathForDirectory_searchDomain(NSLibraryDirectory, NSNetworkDomainMask)),
            "(null)");
  EXPECT_EQ(text(AuthDittoTool::libraryFolderInDomain_folderPath(NSNetworkDomainMask, NSSTR("QuickTime"))),
            "(null)");
}

// The test program is its own payload bundle: a program outside an .app is the bundle of its
// folder, whose resources are the folder itself.
TEST(AuthDittoTool, PayloadsAreFoundEachInTheirOwnFolderOfThePayloadBundle) {
  objc::AutoreleasePool pool;
  EXPECT_EQ(AuthDittoTool::payloadBundle(), NSBundle::mainBundle());
  const std::string folder = text(NSBundle::mainBundle()->bundlePath());
  NSString* program = NSStringPathExtensions::lastPathComponent(ns(std::string(program_invocation_name)));
  EXPECT_EQ(text(AuthDittoTool::mainBundlePayloadPathForResourceName(program)), folder + "/" + text(program));
  EXPECT_EQ(AuthDittoTool::mainBundlePayloadPathForPlugInName(program), nullptr);
  EXPECT_EQ(AuthDittoTool::mainBundlePayloadPathForHelperName(program), nullptr);
  EXPECT_EQ(AuthDittoTool::mainBundlePayloadPathForResourceName(NSSTR("NoSuchPayload")), nullptr);
}

TEST(AuthDittoTool, BundleValidPathThatExistsOrNil) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string file = root.writeFile("payload", "x");
  EXPECT_EQ(text(AuthDittoTool::bundleValidPathThatExistsOrNil(ns(file))), file);
  EXPECT_EQ(AuthDittoTool::bundleValidPathThatExistsOrNil(ns(root.path() + "/missing")), nullptr);
  EXPECT_EQ(AuthDittoTool::bundleValidPathThatExistsOrNil(nullptr), nullptr);
}

}  // namespace
