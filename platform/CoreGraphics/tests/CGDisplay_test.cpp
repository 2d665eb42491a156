// The display list over RandR monitors of a private X server.
// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <CoreGraphics/CGDisplay.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

#include <string>
#include <vector>

#include "XTestServer.h"

namespace {

using moxicam::test::XServerTest;

std::vector<CGDirectDisplayID> activeDisplays(uint32_t max) {
  std::vector<CGDirectDisplayID> ids(max);
  uint32_t count = 0;
  EXPECT_EQ(CGGetActiveDisplayList(max, ids.data(), &count), kCGErrorSuccess);
  ids.resize(count);
  return ids;
}

class CGDisplayOnServer : public XServerTest {
 protected:
  CGDisplayOnServer() : XServerTest(1280, 1024) {}
  void TearDown() override {
    if (mDisplay) {
      for (Atom name : mMonitors) XRRDeleteMonitor(mDisplay, DefaultRootWindow(mDisplay), name);
    }
    XServerTest::TearDown();
  }

  CGDirectDisplayID addMonitor(const std::string& name, int x, int y, int width, int height, bool primary = false) {
    XRRMonitorInfo* monitor = XRRAllocateMonitor(mDisplay, 0);
    monitor->name = XInternAtom(mDisplay, name.c_str(), False);
    monitor->primary = primary;
    monitor->x = x;
    monitor->y = y;
    monitor->width = width;
    monitor->height = height;
    monitor->mwidth = width / 4;
    monitor->mheight = height / 4;
    XRRSetMonitor(mDisplay, DefaultRootWindow(mDisplay), monitor);
    XSync(mDisplay, False);
    mMonitors.push_back(monitor->name);
    CGDirectDisplayID id = CGDirectDisplayID(monitor->name);
    XFree(monitor);
    return id;
  }

  std::vector<Atom> mMonitors;
};

TEST_F(CGDisplayOnServer, TheScreenIsTheMainDisplay) {
  std::vector<CGDirectDisplayID> ids = activeDisplays(8);
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_NE(ids[0], kCGNullDirectDisplay);
  EXPECT_EQ(CGMainDisplayID(), ids[0]);
  EXPECT_TRUE(CGRectEqualToRect(CGDisplayBounds(ids[0]), CGRectMake(0, 0, 1280, 1024)));
  EXPECT_EQ(CGDisplayPixelsWide(ids[0]), 1280u);
  EXPECT_EQ(CGDisplayPixelsHigh(ids[0]), 1024u);
}

TEST_F(CGDisplayOnServer, EachMonitorIsADisplayThePrimaryFirst) {
  CGDirectDisplayID left = addMonitor("GRABBER-LEFT", 0, 0, 640, 1024);
  CGDirectDisplayID right = addMonitor("GRABBER-RIGHT", 640, 0, 640, 512, true);
  std::vector<CGDirectDisplayID> ids = activeDisplays(8);
  ASSERT_EQ(ids.size(), 3u);  // the screen's own monitor stays
  EXPECT_EQ(ids[0], right);
  EXPECT_EQ(CGMainDisplayID(), right);
  EXPECT_NE(std::find(ids.begin(), ids.end(), left), ids.end());
  EXPECT_TRUE(CGRectEqualToRect(CGDisplayBounds(right), CGRectMake(640, 0, 640, 512)));
  EXPECT_EQ(CGDisplayPixelsHigh(left), 1024u);
}

TEST_F(CGDisplayOnServer, TheListIsCutAtTheCallersMaximum) {
  for (int i = 0; i < 8; ++i) addMonitor("GRABBER-" + std::to_string(i), i * 160, 0, 160, 1024);
  uint32_t count = 0;
  ASSERT_EQ(CGGetActiveDisplayList(0, nullptr, &count), kCGErrorSuccess);
  EXPECT_EQ(count, 9u);
  EXPECT_EQ(activeDisplays(6).size(), 6u);
}

TEST_F(CGDisplayOnServer, UnknownDisplaysHaveNoBounds) {
  EXPECT_TRUE(CGRectEqualToRect(CGDisplayBounds(0x7FFFFF01), CGRectZero));
  EXPECT_EQ(CGDisplayPixelsWide(kCGNullDirectDisplay), 0u);
  EXPECT_EQ(CGGetActiveDisplayList(6, nullptr, nullptr), kCGErrorIllegalArgument);
}

TEST(CGDisplayWithoutServer, ThereAreNoDisplays) {
  const char* previous = std::getenv("DISPLAY");
  std::string saved = previous ? previous : "";
  unsetenv("DISPLAY");
  CGDirectDisplayID ids[6];
  uint32_t count = 7;
  EXPECT_EQ(CGGetActiveDisplayList(6, ids, &count), kCGErrorInvalidConnection);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(CGMainDisplayID(), kCGNullDirectDisplay);
  if (previous) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
