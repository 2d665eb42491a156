// The window list read from a real X server: windows made by another process are found by
// name and owner, with their ids, bounds, stacking order and visibility.
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "RunningChild.h"
#include "UCoreCGWindowList.h"
#include "XTestServer.h"

// The helper program's path comes from CoreG/tests/windows.cmake; without it there is nobody
// to own the windows and the tests skip.
#ifndef UCORECGWINDOW_HELPER
#define UCORECGWINDOW_HELPER ""
#endif

namespace {


// The helper program, running while the object lives; its windows go when it ends.
class WindowOwner {
 public:
  // It keeps its windows until its standard input ends, and goes with the object.
  explicit WindowOwner(const std::vector<std::string>& windows)
      : mProcess(UCORECGWINDOW_HELPER, windows, {}, moxicam::test::RunningChild::Input::Open) {
    // One id per window, then "ready".
    for (size_t i = 0; i < windows.size(); ++i) {
      std::optional<std::string> line = mProcess.nextLine();
      if (!line) return;
      mIDs.push_back(CGWindowID(std::strtoul(line->c_str(), nullptr, 10)));
    }
    std::optional<std::string> last = mProcess.nextLine();
    mReady = last && *last == "ready";
  }

  bool ready() const { return mReady; }
  pid_t pid() const { return mProcess.pid(); }
  CGWindowID id(size_t index) const { return index < mIDs.size() ? mIDs[index] : kCGNullWindowID; }

 private:
  moxicam::test::RunningChild mProcess;
  std::vector<CGWindowID> mIDs;
  bool mReady = false;
};

RefPtr<const __CFString> text(const char* value) {
  return adopt(CFStringCreateWithCString(nullptr, value, kCFStringEncodingUTF8));
}

std::string helperName() {
  std::string path = UCORECGWINDOW_HELPER;
  return path.substr(path.find_last_of('/') + 1);
}

struct Found {
  CFIndex visited = 0;
  std::vector<UInt64> ids;
  std::vector<CGRect> bounds;
  std::vector<bool> ownedByHelper;
  std::vector<SInt64> pids;
};

Found find(const char* name, CGWindowListOption options) {
  Found found;
  auto owner = text(helperName().c_str());
  found.visited = UCoreCGWindowList_FindWindowNameWithOptions(
      text(name).get(), options, [&](CFIndex, CFDictionaryRef window) {
        found.ids.push_back(UCoreCGWindowInfo_GetWindowID(window));
        found.bounds.push_back(UCoreCGWindowInfo_GetWindowBounds(window));
        found.ownedByHelper.push_back(UCoreCGWindowInfo_HasWindowOwnerName(window, owner.get()));
        found.pids.push_back(int64_ForKey(window, kCGWindowOwnerPID, 0));
        return true;
      });
  return found;
}

// The ids of the list, front-most first.
std::vector<UInt64> listedIDs(CGWindowListOption options, CGWindowID relative) {
  std::vector<UInt64> ids;
  auto list = adopt(CGWindowListCopyWindowInfo(options, relative));
  for (CFIndex i = 0; list && i < CFArrayGetCount(list.get()); ++i) {
    ids.push_back(
        UCoreCGWindowInfo_GetWindowID(static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(list.get(), i))));
  }
  return ids;
}

// Each test has an X server of its own, so that no other test's windows join the list.
class UCoreCGWindowServer : public testing::Test {
 protected:
  void SetUp() override {
    if (!*UCORECGWINDOW_HELPER)
      GTEST_SKIP() << "the window helper program is not built (CoreG/tests/windows.cmake)";
    if (!mServer.isRunning()) GTEST_SKIP() << mServer.problem();
    // The helper with no windows only opens the display and leaves when its input closes.
    moxicam::test::ChildResult probe =
        moxicam::test::runChild(UCORECGWINDOW_HELPER, {}, {}, std::chrono::seconds(20));
    if (probe.exitCode != 0) {
      GTEST_SKIP() << "no X display can be opened: " << probe.err;
    }
  }

  moxicam::test::XTestServer mServer;
};

TEST_F(UCoreCGWindowServer, FindsAnotherProcesssWindowsByNameAndOwner) {
  WindowOwner owner({"Moxicam Test:30100.NSWindow@40,50,320x200", "Moxicam Test:30100.NSWindow@400,60,64x48",
                     "Unrelated@10,10,30x30"});
  ASSERT_TRUE(owner.ready());

  Found found = find("Moxicam Test:30100.NSWindow", kCGWindowListOptionOnScreenOnly);
  ASSERT_EQ(found.visited, 2);
  // Mapped later means in front, and the list starts at the front.
  EXPECT_EQ(found.ids, (std::vector<UInt64>{owner.id(1), owner.id(0)}));
  EXPECT_TRUE(CGRectEqualToRect(found.bounds[0], CGRectMake(400, 60, 64, 48)));
  EXPECT_TRUE(CGRectEqualToRect(found.bounds[1], CGRectMake(40, 50, 320, 200)));
  EXPECT_EQ(found.ownedByHelper, (std::vector<bool>{true, true}));
  EXPECT_EQ(found.pids, (std::vector<SInt64>{owner.pid(), owner.pid()}));

  EXPECT_EQ(find("moxicam test:30100.NSWindow", kCGWindowListOptionAll).visited, 0)
      << "names are case-sensitive";
}

TEST_F(UCoreCGWindowServer, ReadsLegacyTitlesAndTellsUntitledWindows) {
  WindowOwner owner({"Caf\xC3\xA9 legacy@0,0,20x20+legacy", "untitled@30,0,20x20+untitled"});
  ASSERT_TRUE(owner.ready());

  Found legacy = find("Caf\xC3\xA9 legacy", kCGWindowListOptionOnScreenOnly);
  ASSERT_EQ(legacy.visited, 1);
  EXPECT_EQ(legacy.ids[0], owner.id(0));

  bool sawUntitled = false;
  UCoreCGWindowList_EnumWindowsWithOptions(kCGWindowListOptionAll, [&](CFIndex, CFDictionaryRef window) {
    if (UCoreCGWindowInfo_GetWindowID(window) != owner.id(1)) return true;
    sawUntitled = true;
    EXPECT_FALSE(CFDictionaryContainsKey(window, kCGWindowName));
    return false;
  });
  EXPECT_TRUE(sawUntitled);
}

TEST_F(UCoreCGWindowServer, OptionsSelectByVisibilityStackingAndDesktop) {
  WindowOwner owner({"back@0,0,10x10", "hidden@0,0,10x10+hidden", "middle@0,0,10x10",
                     "desk@0,0,10x10+desktop", "front@0,0,10x10"});
  ASSERT_TRUE(owner.ready());
  CGWindowID back = owner.id(0), hidden = owner.id(1), middle = owner.id(2), desk = owner.id(3),
             front = owner.id(4);

  auto ours = [&](std::vector<UInt64> ids) {
    std::vector<UInt64> kept;
    for (UInt64 id : ids) {
      if (id == back || id == hidden || id == middle || id == desk || id == front) kept.push_back(id);
    }
    return kept;
  };
  EXPECT_EQ(ours(listedIDs(kCGWindowListOptionOnScreenOnly, kCGNullWindowID)),
            (std::vector<UInt64>{front, desk, middle, back}));
  std::vector<UInt64> all = ours(listedIDs(kCGWindowListOptionAll, kCGNullWindowID));
  EXPECT_NE(std::find(all.begin(), all.end(), hidden), all.end()) << "windows not on screen are listed too";
  EXPECT_EQ(
      ours(listedIDs(kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements, kCGNullWindowID)),
      (std::vector<UInt64>{front, middle, back}));
  EXPECT_EQ(ours(listedIDs(kCGWindowListOptionOnScreenAboveWindow, middle)),
            (std::vector<UInt64>{front, desk}));
  EXPECT_EQ(
      ours(listedIDs(kCGWindowListOptionOnScreenBelowWindow | kCGWindowListOptionIncludingWindow, middle)),
      (std::vector<UInt64>{middle, back}));
  EXPECT_EQ(listedIDs(kCGWindowListOptionIncludingWindow, middle), (std::vector<UInt64>{middle}));
  EXPECT_EQ(listedIDs(kCGWindowListOptionOnScreenAboveWindow, 0xFFFFFFF0u), (std::vector<UInt64>{}));

  auto list = adopt(CGWindowListCopyWindowInfo(kCGWindowListOptionIncludingWindow, desk));
  ASSERT_EQ(CFArrayGetCount(list.get()), 1);
  auto window = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(list.get(), 0));
  EXPECT_LT(UCoreCGWindowInfo_GetWindowLevel(window), 0) << "desktop elements lie below ordinary windows";
  EXPECT_TRUE(boolean_ForKey(window, kCGWindowIsOnscreen));
}

TEST_F(UCoreCGWindowServer, WindowsGoWithTheirOwner) {
  CGWindowID id;
  {
    WindowOwner owner({"short-lived@0,0,10x10"});
    ASSERT_TRUE(owner.ready());
    id = owner.id(0);
    EXPECT_EQ(find("short-lived", kCGWindowListOptionOnScreenOnly).visited, 1);
  }
  EXPECT_EQ(listedIDs(kCGWindowListOptionIncludingWindow, id), (std::vector<UInt64>{}));
}

}  // namespace
