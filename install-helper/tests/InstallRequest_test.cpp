#include "InstallRequest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TemporaryRoot.h"

namespace fs = std::filesystem;

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : "(null)"; }
NSString* ns(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

TEST(InstallRequest, TheApplicationBundleIsTheNearestAppAroundTheTool) {
  const std::pair<const char*, const char*> cases[] = {
      {"/Applications/Moxicam.app/Contents/Helpers/MoxicamInstallHelper", "/Applications/Moxicam.app"},
      {"/A/Outer.app/Contents/PlugIns/Inner.app/Contents/MacOS/tool",
       "/A/Outer.app/Contents/PlugIns/Inner.app"},
      {"/build/Products/MoxicamInstallHelper", "/build/Products"},
      {"/build/.app/tool", "/build/.app"},
  };
  for (const auto& [tool, bundle] : cases)
    EXPECT_EQ(InstallRequest::applicationBundleOfTool(tool), bundle) << tool;
}

TEST(InstallRequest, OnlyTheHelperItselfRunsPrivileged) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string self = InstallRequest::selfPath();
  ASSERT_FALSE(self.empty());
  fs::create_symlink(self, root.path() + "/link");
  EXPECT_EQ(InstallRequest::refusalOfToolPath(self.c_str(), self), nullptr);
  EXPECT_EQ(InstallRequest::refusalOfToolPath((root.path() + "/link").c_str(), self), nullptr);
  for (const char* other : {"/bin/sh", "/nonexistent/tool", "", static_cast<const char*>(nullptr)}) {
    NSString* refusal = InstallRequest::refusalOfToolPath(other, self);
    EXPECT_NE(text(refusal).find("is not this helper"), std::string::npos) << (other ? other : "null");
  }
  EXPECT_NE(InstallRequest::refusalOfToolPath(self.c_str(), ""), nullptr);
}

TEST(InstallRequest, RefusesWhatIsNotInItsTable) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string app = root.path() + "/Moxicam.app";
  const std::string plugIns = app + "/Contents/PlugIns";
  fs::create_directories(plugIns + "/Good.driver/Contents");
  fs::create_directories(root.path() + "/outside/Evil.driver");
  fs::create_symlink(root.path() + "/outside/Evil.driver", plugIns + "/Link.driver");
  const std::string hal = root.root() + "/Library/Audio/Plug-Ins/HAL";

  struct Case {
    const char* location;
    std::string payload;
    std::string expected;  // the destination, or a piece of the refusal
  };
  const Case cases[] = {
      {"Library.Audio.PlugIns.HAL", plugIns + "/Good.driver", hal + "/Good.driver"},
      {"Library.Audio.PlugIns.HAL", plugIns + "/Good.driver/", hal + "/Good.driver"},
      {"System.Library.KEXT", plugIns + "/Good.driver",
       root.root() + "/System/Library/Extensions/Good.driver"},
      {"Library.Audio.Plugins.HAL", plugIns + "/Good.driver", "no install location is named"},
      {"(NULL)", plugIns + "/Good.driver", "no install location is named"},
      {"Library.Audio.PlugIns.HAL", "", "does not end in a file name"},
      {"Library.Audio.PlugIns.HAL", ".", "does not end in a file name"},
      {"Library.Audio.PlugIns.HAL", "..", "does not end in a file name"},
      {"Library.Audio.PlugIns.HAL", "/", "does not end in a file name"},
      {"Library.Audio.PlugIns.HAL", plugIns + "/..", "does not end in a file name"},
      {"Library.Audio.PlugIns.HAL", plugIns + "/Missing.driver", "does not exist"},
      {"Library.Audio.PlugIns.HAL", root.path() + "/outside/Evil.driver",
       "is not inside the application bundle"},
      {"Library.Audio.PlugIns.HAL", plugIns + "/../../../outside/Evil.driver",
       "is not inside the application bundle"},
      {"Library.Audio.PlugIns.HAL", plugIns + "/Link.driver", "is not inside the application bundle"},
      {"Library.Audio.PlugIns.HAL", app, "is not inside the application bundle"},
  };
  for (const Case& c : cases) {
    NSString* refusal = nullptr;
    NSString* destination = InstallRequest::destination(ns(c.location), ns(c.payload), app, &refusal);
    const std::string answer = destination ? text(destination) : text(refusal);
    EXPECT_NE(answer.find(c.expected), std::string::npos) << c.location << " " << c.payload << ": " << answer;
    EXPECT_TRUE(!destination != !refusal) << c.payload;
  }
  EXPECT_EQ(text(InstallRequest::resolvedPayload(ns(plugIns + "/../PlugIns/Good.driver"))),
            plugIns + "/Good.driver");
}

}  // namespace
