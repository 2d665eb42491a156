// The window owners that get cameras and the images of their windows, over a window list of
// the test's making.
#include "../UGrabberAppWindow.h"

#include <gtest/gtest.h>

#include "FakeWindowList.h"

namespace {

using moxicam::test::FakeWindow;
using moxicam::test::FakeWindowList;

std::vector<std::string> owners(const UGrabberAppWindow& grabber) {
  std::vector<std::string> names;
  std::string name;
  for (size_t i = 0; i < grabber.GetNumberOfUniqueWindowOwners(); ++i) {
    grabber.GetWindowOwnerAtIndex(i, name);
    names.push_back(name);
  }
  return names;
}

TEST(UGrabberAppWindow, OwnersOfSharedWindowsGetCamerasTheSystemsOwnDoNot) {
  FakeWindowList list;
  list.set({
      {1, "Dock"},
      {2, "com.apple.finder"},
      {3, "Sketch Pad"},
      {4, "Control Strip"},
      {5, "Private", kCGWindowSharingNone},
      {6, "Private", kCGWindowSharingNone},
      {7, "Mixed", kCGWindowSharingNone},
      {8, "Mixed", kCGWindowSharingReadOnly},
      {9, "Sketch Pad"},
      {10, "Background", kCGWindowSharingReadWrite, false},
      {11, "SoftwareUpdateNotificationManag"},
      // The table keeps the cut name only: the whole name is not excluded.
      {12, "SoftwareUpdateNotificationManager"},
      {13, "com.apple.dock.extra"},
      {14, ""},
  });
  UGrabberAppWindow grabber;
  EXPECT_EQ(owners(grabber),
            (std::vector<std::string>{"Sketch Pad", "Mixed", "Background", "SoftwareUpdateNotificationManager"}));
  EXPECT_EQ(UGrabberAppWindow::sExcludedSetCount, 24u);
}

TEST(UGrabberAppWindow, TheListOnlyGrows) {
  FakeWindowList list;
  list.set({{1, "Editor"}, {2, "Viewer"}});
  UGrabberAppWindow grabber;
  list.set({{3, "Player"}, {4, "Viewer"}});
  grabber.UpdateWindowOwnerList();
  EXPECT_EQ(owners(grabber), (std::vector<std::string>{"Editor", "Viewer", "Player"}));
}

TEST(UGrabberAppWindow, AnIndexPastTheEndNamesNobody) {
  FakeWindowList list;
  list.set({{1, "Editor"}});
  UGrabberAppWindow grabber;
  std::string name = "stale";
  EXPECT_EQ(grabber.GetWindowOwnerAtIndex(1, name), nullptr);
  EXPECT_EQ(name, "");
  EXPECT_STREQ(grabber.GetWindowOwnerAtIndex(0, name), "Editor");
  EXPECT_EQ(grabber.CopyWindowOwnerImage(1), nullptr);
}

TEST(UGrabberAppWindow, TheImageShowsTheFirstNineOnScreenWindowsOfTheOwner) {
  FakeWindowList list;
  std::vector<FakeWindow> windows;
  for (CGWindowID id = 100; id < 112; ++id) {
    windows.push_back({id, "Busy"});
    if (id == 101) windows.push_back({500, "Other"});
    if (id == 102) windows.push_back({501, "Busy", kCGWindowSharingReadOnly, false});
  }
  list.set(windows);
  UGrabberAppWindow grabber;
  ASSERT_STREQ(owners(grabber).front().c_str(), "Busy");
  auto image = adopt(grabber.CopyWindowOwnerImage(0));
  ASSERT_TRUE(image);
  ASSERT_EQ(list.imageRequests().size(), 1u);
  EXPECT_EQ(list.imageRequests()[0], (std::vector<CGWindowID>{100, 101, 102, 103, 104, 105, 106, 107, 108}));
}

TEST(UGrabberAppWindow, AnOwnerWithoutOnScreenWindowsHasNoImage) {
  FakeWindowList list;
  list.set({{1, "Background", kCGWindowSharingReadOnly, false}});
  UGrabberAppWindow grabber;
  ASSERT_EQ(grabber.GetNumberOfUniqueWindowOwners(), 1u);
  EXPECT_EQ(grabber.CopyWindowOwnerImage(0), nullptr);
  list.set({});
  EXPECT_EQ(grabber.CopyWindowOwnerImage(0), nullptr);
  EXPECT_TRUE(list.imageRequests().empty());
}

}  // namespace
