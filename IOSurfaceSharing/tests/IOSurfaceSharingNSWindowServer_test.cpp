// The message window output on a private X server: the exact-bytes window, what it shows and
// what other clients of the server read of it, finding it by title, and the output announcing
// frames to the window message reader. Window list entries are checked without a server.
// First: it brings GoogleTest in before Xlib, whose macros would break it.
#include "IOSurfaceSharingNSWindowServer.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindow.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>
#include <GlobalSurface.h>
#include <RunLoopUntil.h>
#include <XTestServer.h>

#include <atomic>
#include <vector>

#include "IOSurfaceSharingConnectionID.h"
#include "IOSurfaceSharingController.h"
#include "IOSurfaceSharingNSWindowClient.h"
#include "UQuartzDisplayCGWindow.h"

namespace {

RefPtr<CGImage> messageImage(tagIOSurfaceMessagePacket& packet, IOSurfaceRef surface, uint64_t time) {
  EXPECT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&packet, surface, time));
  return adopt(IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(&packet));
}

bool decodes(CGImageRef image, tagIOSurfaceMessagePacket& out) {
  return image && IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&out, image);
}

RefPtr<NSWindowExactBytes> messageWindow(NSString* title) {
  RefPtr<NSWindowExactBytes> window =
      adopt(NSWindowExactBytes::alloc()->initWithRawDataSizeBytes(kIOSurfaceMessagePacketSize));
  if (window && title) window->setAbstractWindowName(title);
  return window;
}

struct Arrivals {
  std::atomic<int> calls{0};
  std::atomic<uint32_t> surfaceID{0};
  std::atomic<uint64_t> surfaceTime{0};

  static int note(IOSurfaceRef surface, uint64_t time, void* context) {
    auto* arrivals = static_cast<Arrivals*>(context);
    arrivals->surfaceID = IOSurfaceGetID(surface);
    arrivals->surfaceTime = time;
    ++arrivals->calls;
    return 1;
  }
};

// The message window's panel, made in code; its nib loaded as a window's nib would wake it.
RefPtr<IOSurfaceSharingNSWindowViewNibbler> infoPanel(bool loadNib) {
  RefPtr<IOSurfaceSharingNSWindowViewNibbler> panel = adopt(static_cast<IOSurfaceSharingNSWindowViewNibbler*>(
      IOSurfaceSharingNSWindowViewNibbler::alloc()->initWithFrame(NSMakeRect(0, 0, 320, 168))));
  if (loadNib) panel->awakeFromNib();
  return panel;
}

class WindowServerTest : public moxicam::test::XServerTest {
 protected:
  WindowServerTest() : XServerTest(320, 240) {}

  void SetUp() override {
    XServerTest::SetUp();
    if (IsSkipped()) return;
    mSurface = adopt(moxicam::test::createGlobalSurface(8, 8));
    ASSERT_TRUE(mSurface);
    ASSERT_TRUE(IOSurfaceMessagePacket_ConstructEmpty(&mPacket));
  }

  objc::AutoreleasePool mPool;
  RefPtr<__IOSurface> mSurface;
  tagIOSurfaceMessagePacket mPacket;
};

TEST_F(WindowServerTest, AMessageWindowIsBorderlessOffScreenReadOnlyAndTheSizeOfItsBytes) {
  const CGRect rect = NSWindowExactBytes::calculatedContentRectFromRawDataSizeBytes(48);
  EXPECT_TRUE(CGRectEqualToRect(rect, CGRectMake(0, 0, 24, 4)));
  RefPtr<NSWindowExactBytes> window = messageWindow(NSSTR("a title"));
  ASSERT_TRUE(window);
  EXPECT_TRUE(CGRectEqualToRect(window->frame(), rect));
  EXPECT_EQ(window->styleMask(), NSUInteger(NSBorderlessWindowMask));
  EXPECT_EQ(window->sharingType(), NSUInteger(NSWindowSharingReadOnly));
  EXPECT_EQ(window->rawDataSizeBytes(), 48u);
  EXPECT_FALSE(window->isVisible());
  EXPECT_NE(window->quartzWindowID(), 0u);
  EXPECT_EQ(NSInteger(window->quartzWindowID()), window->windowNumber());
  ASSERT_TRUE(window->viewExactBytes());
  EXPECT_TRUE(window->viewExactBytes()->isOpaque());
  EXPECT_TRUE(window->abstractWindowName()->isEqualToString(NSSTR("a title")));
  EXPECT_TRUE(window->title()->isEqualToString(NSSTR("a title")));
  EXPECT_FALSE(window->writeImageData(nullptr));
}

// What the view draws is the image, byte for byte, both read back in the process and captured
// by window id as another process would.
TEST_F(WindowServerTest, AWriteShowsTheMessageToTheViewAndToOtherClients) {
  RefPtr<NSWindowExactBytes> window = messageWindow(NSSTR("message"));
  RefPtr<CGImage> image = messageImage(mPacket, mSurface.get(), 1000);
  ASSERT_TRUE(image);
  std::atomic<int> completions{0};
  RefPtr<CGImage> readBack;
  ASSERT_TRUE(window->writeImageDataOnMainThread_completionBlock(image.get(), [&](CGImageRef shown) {
    readBack = RefPtr<CGImage>(shown);
    ++completions;
  }));
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return completions == 1; }));
  tagIOSurfaceMessagePacket decoded;
  ASSERT_TRUE(decodes(readBack.get(), decoded));
  EXPECT_EQ(decoded.sequenceNumber, 1u);
  EXPECT_EQ(decoded.surfaceID, IOSurfaceGetID(mSurface.get()));
  EXPECT_EQ(decoded.surfaceTime, 1000u);

  RefPtr<CGImage> captured = adopt(window->copyWindowGlobalImage());
  ASSERT_TRUE(captured);
  EXPECT_EQ(CGImageGetWidth(captured.get()), 24u);
  EXPECT_EQ(CGImageGetHeight(captured.get()), 4u);
  ASSERT_TRUE(decodes(captured.get(), decoded));
  EXPECT_EQ(decoded.surfaceTime, 1000u);

  // The next write replaces the message.
  image = messageImage(mPacket, mSurface.get(), 2000);
  ASSERT_TRUE(window->writeImageDataOnMainThread_completionBlock(image.get(), nullptr));
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] {
    RefPtr<CGImage> now = adopt(window->copyWindowImage());
    return decodes(now.get(), decoded) && decoded.surfaceTime == 2000u;
  }));
  EXPECT_EQ(decoded.sequenceNumber, 2u);
}

TEST_F(WindowServerTest, FindingByTitleSkipsWindowsOnScreenAndTakesTheLastOfTheList) {
  RefPtr<NSWindowExactBytes> older = messageWindow(NSSTR("T"));
  RefPtr<NSWindowExactBytes> newer = messageWindow(NSSTR("T"));
  RefPtr<NSWindowExactBytes> shown = messageWindow(NSSTR("U"));
  shown->orderFront(nullptr);
  // The list runs from the front; the window made first is further back.
  EXPECT_EQ(NSWindowExactBytes::findGlobalWindowWithName(NSSTR("T")), older->quartzWindowID());
  EXPECT_EQ(NSWindowExactBytes::findGlobalWindowWithName(NSSTR("U")), 0u);
  EXPECT_EQ(NSWindowExactBytes::findGlobalWindowWithName(NSSTR("V")), 0u);
  EXPECT_EQ(
      NSWindowExactBytes::findGlobalWindowWithName_windowOwnerName(NSSTR("T"), NSSTR("another program")), 0u);
  older = nullptr;
  EXPECT_EQ(NSWindowExactBytes::findGlobalWindowWithName(NSSTR("T")), newer->quartzWindowID());
}

TEST_F(WindowServerTest, TheOutputAnnouncesEveryFrameToAReaderOfItsWindow) {
  auto* id = IOSurfaceSharingConnectionID::connectionIDwithPortName_portNumber(
      NSSTR("com.quillfen.Moxicam.IOSurfaceSharing"), NSNumber::numberWithInt(30100));
  RefPtr<IOSurfaceSharingServerOutput> made(IOSurfaceSharingServerOutput::serverOutputWithConnectionID(id));
  auto* output = dynamic_cast<IOSurfaceSharingNSWindowServer*>(made.get());
  ASSERT_TRUE(output);
  EXPECT_TRUE(output->hasServerConnection());
  EXPECT_TRUE(output->outputConnect());
  EXPECT_TRUE(output->mangledPublishedPortName()->isEqualToString(
      NSSTR("com.quillfen.Moxicam.IOSurfaceSharing:30100.NSWindow")));
  EXPECT_TRUE(
      output->windowExactBytes()->abstractWindowName()->isEqualToString(output->mangledPublishedPortName()));
  EXPECT_EQ(output->valueForKeyPath(NSSTR("windowBytes.abstractWindowName")),
            output->windowExactBytes()->abstractWindowName());
  EXPECT_TRUE(NSDynamicCast<NSString>(output->valueForKey(NSSTR("serverPublishedPortName")))
                  ->isEqualToString(IOSurfaceSharingServiceName));
  EXPECT_FALSE(output->broadcastSurface_withSurfaceTime(nullptr, 1)) << "no surface, no message";

  tagIOSurfaceSharingNSWindowClientObject client;
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_Construct(&client));
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_serverConnect(
      &client, 30100, CFSTR(kIOSurfaceSharingPublishedPortName), nullptr));
  EXPECT_EQ(IOSurfaceSharingNSWindowClient_serverGetWindowID(&client),
            output->windowExactBytes()->quartzWindowID());
  Arrivals arrivals;
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_serverSetCallback(&client, Arrivals::note, &arrivals));
  auto readUntil = [&](int calls) {
    return moxicam::test::runLoopUntil([&] {
      IOSurfaceSharingNSWindowClient_serverGetNextMessage(&client);
      dispatch_sync(client.queue, [] {});
      return arrivals.calls >= calls;
    });
  };
  // Panels for what was sent and for what others see, updated with every image: at first a
  // panel whose nib was never loaded (no controller) and none for what others see, then two
  // panels loaded from their nib. A write's completion runs on the main thread in the same
  // step as the write, so it has run by the time the reader sees the message.
  RefPtr<IOSurfaceSharingNSWindowViewNibbler> unloaded = infoPanel(false);
  RefPtr<IOSurfaceSharingNSWindowViewNibbler> sentPanel = infoPanel(true);
  RefPtr<IOSurfaceSharingNSWindowViewNibbler> seenPanel = infoPanel(true);
  IOSurfaceSharingNSWindowInfoController* sent = sentPanel->windowInfoController();
  IOSurfaceSharingNSWindowInfoController* seen = seenPanel->windowInfoController();
  ASSERT_TRUE(sent && seen);
  sent->setLiveUpdates(true);
  seen->setLiveUpdates(true);
  output->setSentImageInfo(unloaded.get());
  for (uint64_t time : {5000u, 6000u}) {
    ASSERT_TRUE(output->broadcastSurface_withSurfaceTime(mSurface.get(), time));
    const int expected = time == 5000u ? 1 : 2;
    ASSERT_TRUE(readUntil(expected));
    EXPECT_EQ(arrivals.calls, expected);
    EXPECT_EQ(arrivals.surfaceID, IOSurfaceGetID(mSurface.get()));
    EXPECT_EQ(arrivals.surfaceTime, time);
    EXPECT_EQ(client.lastSequenceNumber, uint32_t(expected));
    output->setSentImageInfo(sentPanel.get());
    output->setGlobalImageInfo(seenPanel.get());
  }
  EXPECT_EQ(output->valueForKey(NSSTR("sentImageInfo")), sentPanel.get());

  for (IOSurfaceSharingNSWindowInfoController* info : {sent, seen}) {
    EXPECT_TRUE(info->messageChecksumVerify());
    EXPECT_EQ(info->messageSequenceNumber(), 2u);
    EXPECT_EQ(info->messageSurfaceID(), IOSurfaceGetID(mSurface.get()));
  }
  EXPECT_EQ(sent->windowID(), output->windowExactBytes()->quartzWindowID());
  EXPECT_TRUE(sent->globalWindowName()->isEqualToString(NSSTR("n/a")));
  // The panel for what others see knows the window by the title it was found under.
  EXPECT_EQ(seen->windowID(), output->windowExactBytes()->quartzWindowID());
  EXPECT_TRUE(seen->globalWindowName()->isEqualToString(output->mangledPublishedPortName()));

  EXPECT_TRUE(output->findServerPublishedPortName());
  EXPECT_EQ(output->globalWindowID(), output->windowExactBytes()->quartzWindowID());
  CGImageRef global = output->windowImageGlobalCached();
  EXPECT_TRUE(output->verifyMessage_andReleaseImage(global, false));
  RefPtr<CGImage> kept = adopt(output->windowImageGlobalCopy());
  EXPECT_EQ(kept.get(), global);
  IOSurfaceSharingNSWindowClient_Destruct(&client);
}

TEST_F(WindowServerTest, AnIdOfAnotherKindNamesNoWindow) {
  RefPtr<IOSurfaceSharingNSWindowServer> output =
      adopt(IOSurfaceSharingNSWindowServer::alloc()->initWithConnectionID(NSSTR("a service name")));
  EXPECT_EQ(output->connectionID(), nullptr);
  EXPECT_EQ(output->serverPublishedPortName(), nullptr);
  EXPECT_EQ(output->serverPublishedPortNumber(), 0u);
  EXPECT_EQ(output->mangledPublishedPortName(), nullptr);
  auto* id = IOSurfaceSharingConnectionID::connectionIDwithPortName_portNumber(NSSTR("name"), nullptr);
  EXPECT_TRUE(IOSurfaceSharingNSWindow::alloc()->initWithConnectionID(id)->autorelease());
  EXPECT_TRUE(IOSurfaceSharingNSWindow::mangledServerPortNameWithPublishedPortName_publishedPortNumber(
                  NSSTR("name"), 0)
                  ->isEqualToString(NSSTR("name.NSWindow")));
}

NSDictionary* entry(const std::vector<std::pair<CFStringRef, CFTypeRef>>& values) {
  auto* dictionary = static_cast<NSMutableDictionary*>(NSMutableDictionary::dictionary());
  for (const auto& [key, value] : values)
    dictionary->setObject_forKey(bridge_cast<NSObject*>(value), bridge_cast<NSString*>(key));
  return dictionary;
}

TEST(QuartzDisplayWindow, EntriesAnswerTheirValuesOrTheDefaults) {
  objc::AutoreleasePool pool;
  const int number = 77, pid = 4242, layer = 3, sharing = 1;
  auto cfNumber = [](const int& value) { return adopt(CFNumberCreate(nullptr, kCFNumberIntType, &value)); };
  auto numberValue = cfNumber(number), pidValue = cfNumber(pid), layerValue = cfNumber(layer),
       sharingValue = cfNumber(sharing);
  auto bounds = adopt(CGRectCreateDictionaryRepresentation(CGRectMake(1.4, 2, 30, 40.6)));
  auto* full = UQuartzDisplayCGWindow::quartzWindowWithQuartzDisplayServicesInfoDictionary(
      entry({{kCGWindowNumber, numberValue.get()},
             {kCGWindowOwnerPID, pidValue.get()},
             {kCGWindowName, CFSTR("title")},
             {kCGWindowOwnerName, CFSTR("owner")},
             {kCGWindowLayer, layerValue.get()},
             {kCGWindowSharingState, sharingValue.get()},
             {kCGWindowIsOnscreen, kCFBooleanTrue},
             {kCGWindowBounds, bounds.get()}}));
  EXPECT_EQ(full->windowID(), 77u);
  EXPECT_EQ(full->windowOwnerPID()->intValue(), 4242);
  EXPECT_TRUE(full->windowName()->isEqualToString(NSSTR("title")));
  EXPECT_TRUE(full->windowOwnerName()->isEqualToString(NSSTR("owner")));
  EXPECT_EQ(full->windowLevel(), 3u);
  EXPECT_EQ(full->sharingState(), 1);
  EXPECT_TRUE(full->isOnscreen());
  EXPECT_TRUE(CGRectEqualToRect(full->windowBounds(), CGRectMake(1.4, 2, 30, 40.6)));
  EXPECT_TRUE(full->windowBoundsString()->isEqualToString(NSSTR("Bounds(1,2,30,41)")));

  // Missing, and of the wrong type: the defaults.
  auto* wrong = UQuartzDisplayCGWindow::quartzWindowWithQuartzDisplayServicesInfoDictionary(
      entry({{kCGWindowNumber, CFSTR("77")},
             {kCGWindowName, numberValue.get()},
             {kCGWindowIsOnscreen, numberValue.get()},
             {kCGWindowBounds, CFSTR("bounds")}}));
  for (UQuartzDisplayCGWindow* window :
       {wrong, UQuartzDisplayCGWindow::quartzWindowWithQuartzDisplayServicesInfoDictionary(nullptr)}) {
    EXPECT_EQ(window->windowIDNumber(), nullptr);
    EXPECT_EQ(window->windowID(), 0u);
    EXPECT_EQ(window->windowOwnerPID(), nullptr);
    EXPECT_TRUE(window->windowName()->isEqualToString(NSSTR("")));
    EXPECT_TRUE(window->windowOwnerName()->isEqualToString(NSSTR("(unknown)")));
    EXPECT_EQ(window->windowLevel(), 0u);
    EXPECT_EQ(window->sharingState(), 0);
    EXPECT_FALSE(window->isOnscreen());
    EXPECT_TRUE(CGRectEqualToRect(window->windowBounds(), CGRectZero));
    EXPECT_TRUE(window->windowBoundsString()->isEqualToString(NSSTR("Bounds(0,0,0,0)")));
    EXPECT_EQ(window->stringForKey(NSSTR("kCGWindowName")), nullptr);
  }
}

}  // namespace
