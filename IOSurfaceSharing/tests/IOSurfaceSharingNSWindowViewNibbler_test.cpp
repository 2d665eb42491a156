// The message window panel on a private X server: a window's nib holds the panel's view, which
// loads the panel's own nib (the one the application carries), finds its controller there, and
// shows what the controller decodes of a window image, in its fields and in its pixels.
// First: it brings GoogleTest in before Xlib, whose macros would break it.
#include "IOSurfaceSharingNSWindowViewNibbler.h"

#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGWindowImage.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSKeyValueBinding.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <GlobalSurface.h>
#include <RunLoopUntil.h>
#include <XTestServer.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : "(none)"; }

// The four bytes of the pixel at (x, y), counted from the top left.
std::array<uint8_t, 4> pixelAt(CGImageRef image, size_t x, size_t y) {
  auto data = adopt(CGDataProviderCopyData(CGImageGetDataProvider(image)));
  const uint8_t* bytes = CFDataGetBytePtr(data.get()) + y * CGImageGetBytesPerRow(image) + 4 * x;
  return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

// A grey pixel reads the same in any byte order: all four bytes bright for white; at least
// the three colour bytes dark for black, whatever the fourth holds.
bool isWhite(const std::array<uint8_t, 4>& pixel) {
  return *std::min_element(pixel.begin(), pixel.end()) >= 0xF0;
}
bool isBlack(const std::array<uint8_t, 4>& pixel) {
  return std::count_if(pixel.begin(), pixel.end(), [](uint8_t byte) { return byte <= 0x10; }) >= 3;
}

NSInteger checked(NSControl* box) {
  auto* button = NSDynamicCast<NSButton>(box);
  return button ? button->state() : -1;
}

class PanelOnXServer : public moxicam::test::XServerTest {
 protected:
  PanelOnXServer() : XServerTest(640, 480) {}

  void SetUp() override {
    XServerTest::SetUp();
    if (IsSkipped()) return;
    mSurface = adopt(moxicam::test::createGlobalSurface(8, 8));
    ASSERT_TRUE(mSurface);
  }

  // A window's nib that holds the panel's view, as the size of the panel's own nib.
  IOSurfaceSharingNSWindowViewNibbler* loadPanel() {
    NibBuilder nib;
    nib.object("IOSurfaceSharingNSWindowViewNibbler", "panel").setString("frame", "{{0, 0}, {320, 168}}");
    const std::string xml = nib.xml();
    RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(
        NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
    NSArray* objects = nullptr;
    if (!loaded || !loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects)) return nullptr;
    return NSDynamicCast<IOSurfaceSharingNSWindowViewNibbler>(objects->objectAtIndex(0));
  }

  // The panel's controls by the display value each is bound to.
  static std::map<std::string, NSControl*> boundControls(NSView* panel) {
    std::map<std::string, NSControl*> controls;
    for (NSObject* object : *panel->subviews()) {
      auto* control = NSDynamicCast<NSControl>(object);
      if (!control) continue;
      for (NSString* binding : {NSSTR("objectValue"), NSSTR("state"), NSSTR("image")}) {
        if (NSDictionary* info = control->infoForBinding(binding))
          controls[text(NSDynamicCast<NSString>(info->objectForKey(NSObservedKeyPathKey)))] = control;
      }
    }
    return controls;
  }

  objc::AutoreleasePool mPool;
  RefPtr<__IOSurface> mSurface;
};

TEST_F(PanelOnXServer, LoadsItsNibFindsItsControllerAndShowsTheMessage) {
  IOSurfaceSharingNSWindowViewNibbler* panel = loadPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->constructed(), 1u);
  ASSERT_NE(panel->nibblerSubView(), nullptr);
  EXPECT_EQ(panel->subviewCount(), 1u);
  IOSurfaceSharingNSWindowInfoController* controller = panel->windowInfoController();
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller, panel->valueForKey(NSSTR("windowInfoController")));
  EXPECT_NE(controller->lazyUpdateTimer(), nullptr) << "the controller woke from the nib";

  std::map<std::string, NSControl*> controls = boundControls(panel->nibblerSubView());
  for (const char* key :
       {"image", "imageRefHexValue", "windowDescription", "windowID", "imageSizePixels", "messageSizeof",
        "messageSequenceNumber", "messageSurfaceID", "messageChecksumHexValue", "messageChecksumVerify"})
    ASSERT_TRUE(controls.count(key)) << key << " is shown";
  auto* imageView = NSDynamicCast<NSImageView>(controls["image"]);
  ASSERT_NE(imageView, nullptr);
  EXPECT_EQ(imageView->image(), nullptr);
  EXPECT_EQ(text(controls["imageSizePixels"]->stringValue()), "CGSize(0,0)");

  RefPtr<NSWindow> window =
      adopt(static_cast<NSWindow*>(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
          NSMakeRect(100, 100, 320, 168), NSBorderlessWindowMask, NSBackingStoreBuffered, false)));
  window->setBackgroundColor(NSColor::blueColor());
  window->setContentView(panel);
  window->orderFront(nullptr);

  // A message whose surface time is all ones: the eight bytes at the end of its first row are
  // white, and everything above its two rows is black.
  tagIOSurfaceMessagePacket packet;
  ASSERT_TRUE(IOSurfaceMessagePacket_ConstructEmpty(&packet));
  ASSERT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&packet, mSurface.get(), ~uint64_t(0)));
  RefPtr<CGImage> message = adopt(IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(&packet));
  ASSERT_TRUE(message);
  controller->setWindowID(77);
  controller->setGlobalWindowName(CFSTR("com.quillfen.Moxicam.IOSurfaceSharing:30100.NSWindow"));
  controller->setGlobalWindowOwnerName(CFSTR("Moxicam"));
  controller->setWindowImage(message.get());
  EXPECT_EQ(text(controls["messageSequenceNumber"]->stringValue()), "0") << "not before the next update";
  controller->lazyUpdateTimer(nullptr);

  EXPECT_EQ(text(controls["messageSequenceNumber"]->stringValue()), "1");
  EXPECT_EQ(text(controls["messageSurfaceID"]->stringValue()),
            std::to_string(IOSurfaceGetID(mSurface.get())));
  EXPECT_EQ(text(controls["messageSizeof"]->stringValue()), "48");
  EXPECT_EQ(text(controls["imageSizePixels"]->stringValue()), "CGSize(24,4)");
  EXPECT_EQ(text(controls["windowID"]->stringValue()), "77");
  EXPECT_EQ(text(controls["windowDescription"]->stringValue()),
            "com.quillfen.Moxicam.IOSurfaceSharing:30100.NSWindow (Moxicam)");
  EXPECT_EQ(text(controls["messageChecksumHexValue"]->stringValue()),
            text(controller->messageChecksumHexValue()));
  EXPECT_EQ(text(controls["imageRefHexValue"]->stringValue()), text(controller->imageRefHexValue()));
  EXPECT_EQ(checked(controls["messageChecksumVerify"]), 1);
  EXPECT_EQ(imageView->image(), controller->image());
  ASSERT_NE(imageView->image(), nullptr);

  // What others see of the window: the image view shows the message four times its size, at
  // (8, 4) from the window's top left, its first row at the bottom.
  RefPtr<CGImage> seen;
  const bool shown = moxicam::test::runLoopUntil([&] {
    window->displayIfNeeded();
    seen = adopt(CGWindowListCreateImage(CGRectNull, kCGWindowListOptionIncludingWindow,
                                         CGWindowID(window->windowNumber()), kCGWindowImageDefault));
    return seen && CGImageGetWidth(seen.get()) == 320 &&
           isWhite(pixelAt(seen.get(), 8 + 4 * 20, 4 + 4 * 3 + 2));
  });
  ASSERT_TRUE(shown);
  EXPECT_TRUE(isBlack(pixelAt(seen.get(), 8 + 4 * 20, 4 + 2)));
  EXPECT_TRUE(isBlack(pixelAt(seen.get(), 8 + 4 * 2, 4 + 4 * 1 + 2)));
  window->orderOut(nullptr);
}

// Another window image replaces what is shown; one that carries no message shows as not
// verified, with the image still shown.
TEST_F(PanelOnXServer, ShowsAnImageWithoutAMessageAsNotVerified) {
  IOSurfaceSharingNSWindowViewNibbler* panel = loadPanel();
  ASSERT_NE(panel, nullptr);
  IOSurfaceSharingNSWindowInfoController* controller = panel->windowInfoController();
  ASSERT_NE(controller, nullptr);
  std::map<std::string, NSControl*> controls = boundControls(panel->nibblerSubView());
  controller->setLiveUpdates(true);

  tagIOSurfaceMessagePacket packet;
  ASSERT_TRUE(IOSurfaceMessagePacket_ConstructEmpty(&packet));
  ASSERT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&packet, mSurface.get(), 1000));
  RefPtr<CGImage> message = adopt(IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(&packet));
  controller->setWindowImage(message.get());
  EXPECT_EQ(checked(controls["messageChecksumVerify"]), 1) << "live: at once";

  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  auto context = adopt(CGBitmapContextCreate(nullptr, 24, 4, 8, 0, rgb, kCGImageAlphaNoneSkipFirst));
  CGColorSpaceRelease(rgb);
  CGContextSetRGBFillColor(context.get(), 1, 0, 0, 1);
  CGContextFillRect(context.get(), CGRectMake(0, 0, 24, 4));
  RefPtr<CGImage> red = adopt(CGBitmapContextCreateImage(context.get()));
  controller->setWindowImage(red.get());
  EXPECT_EQ(checked(controls["messageChecksumVerify"]), 0);
  EXPECT_EQ(text(controls["imageSizePixels"]->stringValue()), "CGSize(24,4)");
  EXPECT_EQ(NSDynamicCast<NSImageView>(controls["image"])->image(), controller->image());
}

}  // namespace
