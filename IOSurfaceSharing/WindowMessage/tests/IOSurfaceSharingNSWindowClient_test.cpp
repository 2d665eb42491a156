// The window message reader against windows of a private X server that carry messages the
// test paints into them: finding the window, reading each new message once, and passing over
// pictures that carry none.
// First: it brings GoogleTest in before Xlib, whose macros would break it.
#include <XTestServer.h>

#include <GlobalSurface.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <string>
#include <vector>

#include "IOSurfaceSharingNSWindowClient.h"
#include "MessageImages.h"
#include "namespace_CoreGraphics_CGWindow.h"

namespace {

std::string ownProgramName() {
  char path[PATH_MAX] = {};
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string name(path, length > 0 ? size_t(length) : 0);
  return name.substr(name.find_last_of('/') + 1);
}

RefPtr<const __CFString> cfString(const std::string& text) {
  return adopt(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8));
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

class WindowClientTest : public moxicam::test::XServerTest {
 protected:
  WindowClientTest() : XServerTest(320, 240) {}

  void SetUp() override {
    XServerTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(IOSurfaceSharingNSWindowClient_Construct(&mClient));
    mSurface = adopt(moxicam::test::createGlobalSurface(8, 8));
    ASSERT_TRUE(mSurface);
    ASSERT_TRUE(IOSurfaceMessagePacket_ConstructEmpty(&mPacket));
  }

  // A mapped window titled as the server titles its window for the port.
  Window openMessageWindow(uint32_t port, int x = 10) {
    Window window = moxicam::test::openSolidWindow(mDisplay, x, 10, 24, 4, 0x000000);
    auto title = adopt(IOSurfaceSharingNSWindow_CopyMangledVersionOfPublishedServerPortName(
        CFSTR(kIOSurfaceSharingPublishedPortName), port));
    char text[128] = {};
    CFStringGetCString(title.get(), text, sizeof text, kCFStringEncodingUTF8);
    XStoreName(mDisplay, window, text);
    XSync(mDisplay, False);
    // From now on the server keeps the pixels of every window, covered or not.
    CFRelease(CoreGraphics::CGWindow_CopyImageWithWindowID(CGWindowID(window)));
    return window;
  }

  // Paints the picture of bytes (a message's, or any 48) into the window.
  void paint(Window window, const std::vector<uint8_t>& message) {
    auto image =
        adopt(IOSurfaceMessagePacket_ImageDataWrapper().CGImageCreateByInterleavingData(message.data()));
    moxicam::test::ImageBytes pixels = moxicam::test::bytesOf(image.get());
    XImage* picture =
        XCreateImage(mDisplay, DefaultVisual(mDisplay, DefaultScreen(mDisplay)),
                     unsigned(DefaultDepth(mDisplay, DefaultScreen(mDisplay))), ZPixmap, 0,
                     reinterpret_cast<char*>(pixels.bytes.data()), 24, 4, 32, int(pixels.rowBytes));
    ASSERT_NE(picture, nullptr);
    GC gc = XCreateGC(mDisplay, window, 0, nullptr);
    XPutImage(mDisplay, window, gc, picture, 0, 0, 0, 0, 24, 4);
    XFreeGC(mDisplay, gc);
    picture->data = nullptr;  // the bytes are the vector's
    XDestroyImage(picture);
    XSync(mDisplay, False);
  }

  void paintNextMessage(Window window, uint64_t time) {
    ASSERT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), time));
    paint(window, moxicam::test::bytesOf(mPacket));
  }

  // Queues one read and waits until the client's queue has run it.
  void readOnce() {
    ASSERT_TRUE(IOSurfaceSharingNSWindowClient_serverGetNextMessage(&mClient));
    dispatch_sync(mClient.queue, [] {});
  }

  bool connect(uint32_t port, CFStringRef owner = nullptr) {
    return IOSurfaceSharingNSWindowClient_serverConnect(&mClient, port,
                                                        CFSTR(kIOSurfaceSharingPublishedPortName), owner);
  }

  tagIOSurfaceSharingNSWindowClientObject mClient;
  RefPtr<__IOSurface> mSurface;
  tagIOSurfaceMessagePacket mPacket;
  Arrivals mArrivals;
};

TEST(WindowClientState, AnObjectNotConstructedAnswersNothing) {
  tagIOSurfaceSharingNSWindowClientObject client;
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_IsConstructed(&client));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_IsConstructed(nullptr));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_serverConnect(&client, 30100, CFSTR("x"), nullptr));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_serverSetCallback(&client, Arrivals::note, nullptr));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_serverGetNextMessage(&client));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_serverDisconnect(&client));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_SetCachedLastImage(&client, nullptr));
  EXPECT_EQ(IOSurfaceSharingNSWindowClient_serverCopyCachedLastImage(&client), nullptr);
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_Construct(nullptr));
  IOSurfaceSharingNSWindowClient_Destruct(&client);
  IOSurfaceSharingNSWindowClient_Destruct(nullptr);
}

TEST(WindowClientState, ConstructsWithItsQueueAndEmptiesWhenDestructed) {
  tagIOSurfaceSharingNSWindowClientObject client;
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_Construct(&client));
  EXPECT_EQ(client.validityTag, 88u);
  EXPECT_STREQ(dispatch_queue_get_label(client.queue), "IOSurfaceSharingNSWindowClientCPP");
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_hasClientConnection(&client));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_serverGetNextMessage(&client)) << "no window yet";
  auto space = adopt(CGColorSpaceCreateDeviceRGB());
  auto bitmap =
      adopt(CGBitmapContextCreate(nullptr, 2, 2, 8, 0, space.get(), kCGImageAlphaPremultipliedFirst));
  auto image = adopt(CGBitmapContextCreateImage(bitmap.get()));
  EXPECT_TRUE(IOSurfaceSharingNSWindowClient_SetCachedLastImage(&client, image.get()));
  auto cached = adopt(IOSurfaceSharingNSWindowClient_serverCopyCachedLastImage(&client));
  EXPECT_EQ(cached.get(), image.get());
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_Construct(&client)) << "again, on a constructed object";
  EXPECT_EQ(IOSurfaceSharingNSWindowClient_serverCopyCachedLastImage(&client), nullptr);
  IOSurfaceSharingNSWindowClient_Destruct(&client);
  EXPECT_EQ(client.validityTag, 0u);
  EXPECT_EQ(client.queue, nullptr);
}

TEST_F(WindowClientTest, FindsTheFirstWindowOfItsTitleAndOwner) {
  Window behind = openMessageWindow(30100, 10);
  Window front = openMessageWindow(30100, 50);
  openMessageWindow(30200, 90);
  EXPECT_TRUE(connect(30100));
  EXPECT_EQ(IOSurfaceSharingNSWindowClient_serverGetWindowID(&mClient), CGWindowID(front))
      << "front-most first";
  EXPECT_TRUE(connect(30100, cfString(ownProgramName()).get()));
  EXPECT_EQ(IOSurfaceSharingNSWindowClient_serverGetWindowID(&mClient), CGWindowID(front));
  EXPECT_NE(CGWindowID(behind), CGWindowID(front));

  EXPECT_FALSE(connect(30100, CFSTR("another program")));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_hasClientConnection(&mClient));
  EXPECT_FALSE(connect(30300));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_serverConnect(&mClient, 30100, nullptr, nullptr));

  ASSERT_TRUE(connect(30100));
  EXPECT_TRUE(IOSurfaceSharingNSWindowClient_serverDisconnect(&mClient));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_hasClientConnection(&mClient));
  EXPECT_FALSE(IOSurfaceSharingNSWindowClient_serverGetNextMessage(&mClient));
}

TEST_F(WindowClientTest, CallsBackOncePerNewMessage) {
  Window window = openMessageWindow(30100);
  ASSERT_TRUE(connect(30100));
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_serverSetCallback(&mClient, Arrivals::note, &mArrivals));
  paintNextMessage(window, 1000);
  readOnce();
  readOnce();
  EXPECT_EQ(mArrivals.calls, 1) << "the same message twice";
  EXPECT_EQ(mArrivals.surfaceID, IOSurfaceGetID(mSurface.get()));
  EXPECT_EQ(mArrivals.surfaceTime, 1000u);
  EXPECT_EQ(mClient.lastSequenceNumber, 1u);

  paintNextMessage(window, 2000);
  readOnce();
  EXPECT_EQ(mArrivals.calls, 2);
  EXPECT_EQ(mArrivals.surfaceTime, 2000u);
  auto cached = adopt(IOSurfaceSharingNSWindowClient_serverCopyCachedLastImage(&mClient));
  ASSERT_TRUE(cached);
  EXPECT_EQ(CGImageGetWidth(cached.get()), 24u);
  EXPECT_EQ(CGImageGetHeight(cached.get()), 4u);
}

TEST_F(WindowClientTest, PicturesThatCarryNoMessageAreKeptButNotAnnounced) {
  Window window = openMessageWindow(30100);
  ASSERT_TRUE(connect(30100));
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_serverSetCallback(&mClient, Arrivals::note, &mArrivals));
  ASSERT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), 10));
  std::vector<uint8_t> spoilt = moxicam::test::bytesOf(mPacket);
  spoilt[20] ^= 1;
  paint(window, spoilt);
  readOnce();
  EXPECT_EQ(mArrivals.calls, 0) << "a wrong checksum";
  EXPECT_TRUE(adopt(IOSurfaceSharingNSWindowClient_serverCopyCachedLastImage(&mClient)));

  paintNextMessage(window, 20);
  readOnce();
  EXPECT_EQ(mArrivals.calls, 1);
  EXPECT_EQ(mArrivals.surfaceTime, 20u);

  XDestroyWindow(mDisplay, window);
  XSync(mDisplay, False);
  readOnce();
  EXPECT_EQ(mArrivals.calls, 1) << "a window that is gone";
}

TEST_F(WindowClientTest, ASurfaceThatIsGoneIsNotHandedOn) {
  Window window = openMessageWindow(30100);
  ASSERT_TRUE(connect(30100));
  ASSERT_TRUE(IOSurfaceSharingNSWindowClient_serverSetCallback(&mClient, Arrivals::note, &mArrivals));
  paintNextMessage(window, 1);
  mSurface = nullptr;
  readOnce();
  EXPECT_EQ(mArrivals.calls, 0);
  EXPECT_EQ(mClient.lastSequenceNumber, 1u) << "the message was read all the same";
}

}  // namespace
