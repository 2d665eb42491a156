// Window images and sharing states on a private X server.
#include <gtest/gtest.h>

#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindowBackingStore.h>
#include <CoreGraphics/CGWindowImage.h>
#include <CoreGraphics/CGWindowSharing.h>
#include <objc/RefPtr.h>

#include <vector>

#include "XTestServer.h"

namespace {

using moxicam::test::openSolidWindow;
using moxicam::test::XServerTest;

// The pixel at (x, y) of a window image as 0xAARRGGBB.
uint32_t argbAt(CGImageRef image, size_t x, size_t y) {
  auto data = adopt(CGDataProviderCopyData(CGImageGetDataProvider(image)));
  const UInt8* bytes = CFDataGetBytePtr(data.get()) + y * CGImageGetBytesPerRow(image) + x * 4;
  return uint32_t(bytes[3]) << 24 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[1]) << 8 | bytes[0];
}

RefPtr<const __CFArray> windowArray(const std::vector<Window>& windows) {
  std::vector<const void*> values;
  for (Window window : windows) values.push_back(reinterpret_cast<const void*>(uintptr_t(window)));
  return adopt(CFArrayCreate(nullptr, values.data(), CFIndex(values.size()), nullptr));
}

class CGWindowImageOnServer : public XServerTest {
 protected:
  CGWindowImageOnServer() : XServerTest(640, 480) {}
};

TEST_F(CGWindowImageOnServer, WindowsAreCompositedOverTheRectangleThatHoldsThem) {
  Window back = openSolidWindow(mDisplay, 100, 100, 100, 80, 0xFF0000);
  Window front = openSolidWindow(mDisplay, 150, 140, 100, 80, 0x00FF00);
  Window apart = openSolidWindow(mDisplay, 400, 300, 10, 10, 0x0000FF);

  auto image = adopt(CGWindowListCreateImageFromArray(CGRectNull, windowArray({front, back}).get(),
                                                      kCGWindowImageDefault));
  ASSERT_TRUE(image);
  EXPECT_EQ(CGImageGetWidth(image.get()), 150u);
  EXPECT_EQ(CGImageGetHeight(image.get()), 120u);
  EXPECT_EQ(argbAt(image.get(), 10, 10), 0xFFFF0000u);    // back alone
  EXPECT_EQ(argbAt(image.get(), 75, 60), 0xFF00FF00u);    // front over back
  EXPECT_EQ(argbAt(image.get(), 140, 110), 0xFF00FF00u);  // front alone
  EXPECT_EQ(argbAt(image.get(), 140, 10), 0x00000000u);   // neither: transparent

  // A covered window is read from its own storage, not from the screen.
  auto covered = adopt(CGWindowListCreateImageFromArray(CGRectNull, windowArray({back}).get(),
                                                        kCGWindowImageDefault));
  ASSERT_TRUE(covered);
  EXPECT_EQ(argbAt(covered.get(), 75, 60), 0xFFFF0000u);

  // A given rectangle cuts the picture.
  auto cut = adopt(CGWindowListCreateImageFromArray(CGRectMake(395, 295, 20, 20), windowArray({apart}).get(),
                                                    kCGWindowImageDefault));
  ASSERT_TRUE(cut);
  EXPECT_EQ(CGImageGetWidth(cut.get()), 20u);
  EXPECT_EQ(argbAt(cut.get(), 0, 0), 0x00000000u);
  EXPECT_EQ(argbAt(cut.get(), 10, 10), 0xFF0000FFu);
}

TEST_F(CGWindowImageOnServer, CoveredWindowsStayReadableWhenTheServerRestartsUnderTheSameName) {
  for (int round = 0; round < 2; ++round) {
    if (round == 1) {
      XCloseDisplay(mDisplay);
      mDisplay = nullptr;
      if (!mServer.restart()) GTEST_SKIP() << mServer.problem();
      mDisplay = XOpenDisplay(nullptr);
      ASSERT_NE(mDisplay, nullptr);
    }
    Window back = openSolidWindow(mDisplay, 100, 100, 100, 80, 0xFF0000);
    openSolidWindow(mDisplay, 150, 140, 100, 80, 0x00FF00);
    auto covered = adopt(CGWindowListCreateImageFromArray(CGRectNull, windowArray({back}).get(),
                                                          kCGWindowImageDefault));
    ASSERT_TRUE(covered) << "server " << round;
    EXPECT_EQ(argbAt(covered.get(), 75, 60), 0xFFFF0000u) << "server " << round;
  }
}

TEST_F(CGWindowImageOnServer, WindowsThatCannotBeReadGiveNoImage) {
  Window hidden = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 50, 50, 0, 0, 0xFFFFFF);
  XSync(mDisplay, False);
  EXPECT_EQ(CGWindowListCreateImageFromArray(CGRectNull, windowArray({hidden}).get(), kCGWindowImageDefault),
            nullptr);
  EXPECT_EQ(CGWindowListCreateImageFromArray(CGRectNull, windowArray({0x7FFFFFF}).get(), kCGWindowImageDefault),
            nullptr);
  EXPECT_EQ(CGWindowListCreateImageFromArray(CGRectNull, windowArray({}).get(), kCGWindowImageDefault), nullptr);
  EXPECT_EQ(CGWindowListCreateImageFromArray(CGRectNull, nullptr, kCGWindowImageDefault), nullptr);
}

TEST_F(CGWindowImageOnServer, AWindowOffScreenIsReadFromThePixelsItsOwnerKeeps) {
  Window kept = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 30, 40, 6, 4, 0, 0, 0);
  Pixmap pixels = XCreatePixmap(mDisplay, kept, 6, 4, unsigned(DefaultDepth(mDisplay, DefaultScreen(mDisplay))));
  GC gc = XCreateGC(mDisplay, pixels, 0, nullptr);
  XSetForeground(mDisplay, gc, 0x2468AC);
  XFillRectangle(mDisplay, pixels, gc, 0, 0, 6, 4);
  XFreeGC(mDisplay, gc);
  Atom property = XInternAtom(mDisplay, kCGWindowBackingStoreX11Property, False);
  unsigned long value = pixels;
  XChangeProperty(mDisplay, kept, property, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&value),
                  1);
  XSync(mDisplay, False);
  auto image = adopt(CGWindowListCreateImageFromArray(CGRectNull, windowArray({kept}).get(), kCGWindowImageDefault));
  ASSERT_TRUE(image);
  EXPECT_EQ(CGImageGetWidth(image.get()), 6u);
  EXPECT_EQ(CGImageGetHeight(image.get()), 4u);
  EXPECT_EQ(argbAt(image.get(), 5, 3), 0xFF2468ACu);

  // A property that names no pixmap (here the window itself, then nothing) gives no image.
  for (unsigned long named : {static_cast<unsigned long>(kept), 0x7FFFFFFul}) {
    XChangeProperty(mDisplay, kept, property, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&named), 1);
    XSync(mDisplay, False);
    EXPECT_EQ(CGWindowListCreateImageFromArray(CGRectNull, windowArray({kept}).get(), kCGWindowImageDefault),
              nullptr)
        << named;
  }
  XFreePixmap(mDisplay, pixels);
}

TEST_F(CGWindowImageOnServer, OneWindowByItsListEntry) {
  Window window = openSolidWindow(mDisplay, 10, 20, 30, 40, 0x123456);
  auto image = adopt(CGWindowListCreateImage(CGRectNull, kCGWindowListOptionIncludingWindow, CGWindowID(window),
                                             kCGWindowImageDefault));
  ASSERT_TRUE(image);
  EXPECT_EQ(CGImageGetWidth(image.get()), 30u);
  EXPECT_EQ(argbAt(image.get(), 15, 20), 0xFF123456u);
}

SInt64 sharingStateOf(Window window) {
  auto list = adopt(CGWindowListCopyWindowInfo(kCGWindowListOptionIncludingWindow, CGWindowID(window)));
  if (!list || CFArrayGetCount(list.get()) != 1) return -1;
  auto entry = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(list.get(), 0));
  SInt64 state = -1;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(entry, kCGWindowSharingState)), kCFNumberSInt64Type,
                   &state);
  return state;
}

TEST_F(CGWindowImageOnServer, WindowsAreSharedUnlessMarked) {
  Window shared = openSolidWindow(mDisplay, 0, 0, 10, 10, 0);
  Window marked = openSolidWindow(mDisplay, 20, 0, 10, 10, 0);
  EXPECT_EQ(sharingStateOf(marked), kCGWindowSharingReadOnly);
  ASSERT_TRUE(CGWindowSetX11SharingState(mDisplay, marked, kCGWindowSharingNone));
  XSync(mDisplay, False);
  EXPECT_EQ(sharingStateOf(marked), kCGWindowSharingNone);
  EXPECT_EQ(sharingStateOf(shared), kCGWindowSharingReadOnly);
  EXPECT_FALSE(CGWindowSetX11SharingState(mDisplay, marked, CGWindowSharingType(7)));
  EXPECT_FALSE(CGWindowSetX11SharingState(nullptr, marked, kCGWindowSharingNone));
}

}  // namespace
