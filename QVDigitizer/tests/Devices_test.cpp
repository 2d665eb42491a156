// The devices in this process, against a stand-in server on the listener port that casts the
// ids of surfaces made here.
// First: it brings GoogleTest in before Xlib, whose macros would break it.
#include <Carbon/CarbonErrors.h>
#include <CoreFoundation/CFPropertyList.h>
#include <PollUntil.h>
#include <XTestServer.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "IOSurfaceSharing_udp_device.h"
#include "Q_2vuy_data.h"
#include "TestServer.h"
#include "TestSurfaces.h"
#include "UCodeEntitlements.h"

using moxicam::test::makeSurface;
using moxicam::test::paintBGRA;
using moxicam::test::pollUntil;
using moxicam::test::TestServer;

namespace {

constexpr long kFrameSize = 1280 * 720 * 4;

struct Frame {
  bool has = false;
  char* data = nullptr;
  long size = 0;
};

Frame getFrame(IOSurfaceSharing_udp_device& device) {
  Frame frame;
  EXPECT_EQ(device.GetFrame(&frame.has, &frame.data, &frame.size), noErr);
  return frame;
}

// The A,R,G,B pixel at (x, y) of a 1280 x 720 frame, rows from the top.
const uint8_t* pixelAt(const char* frame, int x, int y) {
  return reinterpret_cast<const uint8_t*>(frame) + size_t(y) * 5120 + size_t(x) * 4;
}

class DevicesTest : public ::testing::Test {
 protected:
  // The device's client port, once its first frame request has subscribed.
  UDPNetwork::IPAddress subscribed(IOSurfaceSharing_udp_device& device) {
    getFrame(device);
    const auto got = mServer.received();
    EXPECT_FALSE(got.empty());
    return got.empty() ? UDPNetwork::IPAddress() : got.back().first;
  }
  // Casts the surface and asks until the device shows a shared frame (at most the deadline).
  Frame castAndGet(IOSurfaceSharing_udp_device& device, const UDPNetwork::IPAddress& client,
                   IOSurfaceRef surface, uint64_t time) {
    EXPECT_TRUE(mServer.cast(client, IOSurfaceGetID(surface), time));
    Frame frame;
    pollUntil([&] {
      frame = getFrame(device);
      return frame.has && frame.data != device.GetCurrentFrame();
    });
    return frame;
  }

  TestServer mServer;
};

TEST_F(DevicesTest, WithoutAServerTheMessageFrameShowsTheNameInTheLowerThird) {
  IOSurfaceSharing_udp_device device;
  for (int call = 1; call <= 3; ++call) {
    const Frame frame = getFrame(device);
    ASSERT_TRUE(frame.has);
    EXPECT_EQ(frame.size, kFrameSize);
    EXPECT_EQ(frame.data, device.GetCurrentFrame());
    EXPECT_EQ(device.GetFrameCounter(), call);
  }
  const char* frame = device.GetCurrentFrame();
  const uint8_t* background = pixelAt(frame, 0, 0);
  EXPECT_EQ(background[0], 255);
  EXPECT_NEAR(background[1], 13, 1);
  int inkTop = 720, inkBottom = -1, inkLeft = 1280, inkRight = -1;
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1280; ++x)
      if (memcmp(pixelAt(frame, x, y), background, 4) != 0) {
        inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y);
        inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x);
      }
  ASSERT_GE(inkBottom, 0) << "no name drawn";
  EXPECT_GE(inkTop, 480) << "the name stays in the lower third";
  EXPECT_GT(inkRight - inkLeft, 200);
  EXPECT_NEAR((inkLeft + inkRight) / 2, 640, 40);

  Rect rect{};
  device.GetMaxSrcRectFromDevice(&rect);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.bottom, 720);
  EXPECT_EQ(rect.right, 1280);
  unsigned char name[256];
  EXPECT_EQ(device.GetDeviceName(name, 0), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Moxicam.VDIG");
}

TEST_F(DevicesTest, ASharedFrameStaysLockedUntilItIsGivenBack) {
  ASSERT_TRUE(mServer.opened);
  IOSurfaceSharing_udp_device device;
  const UDPNetwork::IPAddress client = subscribed(device);
  RefPtr<__IOSurface> surface = makeSurface(1280, 720, 4, FOUR_CHAR_CODE("BGRA"));
  const uint8_t blue[4] = {0xC0, 0x20, 0x10, 0xFF};
  paintBGRA(surface.get(), blue);

  const Frame shared = castAndGet(device, client, surface.get(), 4242);
  ASSERT_TRUE(shared.has);
  EXPECT_EQ(shared.size, kFrameSize);
  EXPECT_EQ(device.GetFrameTime(), 4242u);
  const uint8_t argb[4] = {0xFF, 0x10, 0x20, 0xC0};
  EXPECT_EQ(0, memcmp(pixelAt(shared.data, 0, 0), argb, 4));
  EXPECT_EQ(0, memcmp(pixelAt(shared.data, 1279, 719), argb, 4));

  // While the host holds it, a new picture in the same surface is not copied over it: that
  // call gives no frame.
  const uint8_t green[4] = {0x00, 0xF0, 0x00, 0xFF};
  paintBGRA(surface.get(), green);
  EXPECT_FALSE(getFrame(device).has);
  EXPECT_EQ(0, memcmp(pixelAt(shared.data, 0, 0), argb, 4));
  EXPECT_FALSE(device.UnlockFrameBufferDataPtr(device.GetCurrentFrame()));
  EXPECT_TRUE(device.UnlockFrameBufferDataPtr(shared.data));
  EXPECT_FALSE(device.UnlockFrameBufferDataPtr(shared.data));
  const Frame next = getFrame(device);
  ASSERT_TRUE(next.has);
  EXPECT_EQ(pixelAt(next.data, 5, 5)[2], 0xF0);
  EXPECT_EQ(device.ReleaseCompressBuffer(next.data), noErr);
  EXPECT_EQ(device.GetLockedFrameBufferDataPtr(), nullptr);

  device.Disconnect();
  EXPECT_EQ(getFrame(device).data, device.GetCurrentFrame());
}

TEST_F(DevicesTest, ASurfaceThatIsGoneBringsTheMessageFrameBack) {
  IOSurfaceSharing_udp_device device;
  const UDPNetwork::IPAddress client = subscribed(device);
  RefPtr<__IOSurface> surface = makeSurface(1280, 720, 4, FOUR_CHAR_CODE("BGRA"));
  const uint8_t grey[4] = {0x40, 0x40, 0x40, 0xFF};
  paintBGRA(surface.get(), grey);
  const Frame shared = castAndGet(device, client, surface.get(), 1);
  ASSERT_TRUE(shared.has);
  device.UnlockFrameBufferDataPtr(shared.data);
  surface = nullptr;  // its application has quit
  const Frame after = getFrame(device);
  ASSERT_TRUE(after.has);
  EXPECT_EQ(after.data, device.GetCurrentFrame());
  EXPECT_FALSE(device.GetFrameSource().HasValidFrameSurface());
}

TEST_F(DevicesTest, TheTwoVuyDeviceSaysWhatItsMessageFrameIs) {
  IOSurfaceSharing_udp_2vuy_device device;
  const Frame frame = getFrame(device);
  ASSERT_TRUE(frame.has);
  EXPECT_EQ(frame.data, device.GetCurrentFrame());
  EXPECT_EQ(frame.size, 1280 * 720 * 2);
  EXPECT_EQ(device.GetCurrentFramePixelFormat(), FOUR_CHAR_CODE("2vuy"));

  // The same message, drawn and converted here.
  UVideoFrameBuffer::GraphicsContext message;
  ASSERT_TRUE(message.Construct(CGSizeMake(1280, 720)));
  message.DrawTextCenteredLowerThird("Moxicam.VDIG");
  std::vector<uint8_t> expected(1280 * 720 * 2);
  Q_2vuy_data(1280, 720, 2560, Q_2vuy_format::k2vuyPixelFormat, expected.data(), expected.size())
      .CopyPixelsFrom(message.GetBitmapContext(), false);
  EXPECT_EQ(0, memcmp(frame.data, expected.data(), expected.size()));
  EXPECT_NEAR(uint8_t(frame.data[1]), 27, 1) << "the background's luma";

  // A shared frame is ARGB, of the full size.
  const UDPNetwork::IPAddress client = subscribed(device);
  RefPtr<__IOSurface> surface = makeSurface(1280, 720, 4, FOUR_CHAR_CODE("BGRA"));
  const uint8_t red[4] = {0, 0, 0xFF, 0xFF};
  paintBGRA(surface.get(), red);
  const Frame shared = castAndGet(device, client, surface.get(), 9);
  ASSERT_TRUE(shared.has);
  EXPECT_EQ(shared.size, kFrameSize);
  EXPECT_EQ(pixelAt(shared.data, 0, 0)[1], 0xFF);
  device.UnlockFrameBufferDataPtr(shared.data);
}

TEST(Devices, InputsAndNames) {
  IOSurfaceSharing_udp_inputs device;
  EXPECT_EQ(device.GetNumberOfInputs(), 1);
  for (int input : {0, 1, 3, -2}) {
    device.SetCurrentInputNumber(input);
    EXPECT_EQ(device.GetCurrentInputNumber(), input);
    EXPECT_EQ(device.GetServerPortNumber(), 30100) << input;
    EXPECT_EQ(device.GetFrameSource().GetServerPortNumber(), 30100) << input;
  }
  EXPECT_EQ(IOSurfaceSharing_udp_inputs::GetServerPortNumberForInputNumber(-1), 30100);
  EXPECT_EQ(IOSurfaceSharing_udp_inputs::GetServerPortNumberForInputNumber(5), 30100);

  const std::string suffix(200, 'x');
  const std::string name = device.SetDeviceNameSuffix(suffix.c_str());
  EXPECT_EQ(name.size(), 67u);
  EXPECT_EQ(name.substr(0, 12), "Moxicam.VDIG");
  unsigned char pascal[256];
  EXPECT_EQ(device.GetDeviceName(pascal, 0), noErr);
  EXPECT_EQ(pascal[0], 67);
  EXPECT_EQ(device.GetDeviceName(nullptr, 0), paramErr);
  EXPECT_TRUE(device.Connect());
  EXPECT_STREQ(device.GetDeviceNameText(), "Moxicam.VDIG");
}

TEST_F(DevicesTest, TheFrameSourceKeepsTheNewestAnnouncement) {
  IOSurfaceSharingUDPImageARGB source(1280, 720);
  EXPECT_EQ(source.GetSourceMode(), IOSurfaceSharingUDPImage8888::kSourceMode_UDP);
  source.GetFrameFromServerMessage();
  const UDPNetwork::IPAddress client = mServer.received().back().first;
  std::vector<RefPtr<__IOSurface>> surfaces;
  const uint8_t colour[4] = {1, 2, 3, 4};
  for (int i = 0; i < 3; ++i) {
    surfaces.push_back(makeSurface(1280, 720, 4, FOUR_CHAR_CODE("BGRA")));
    paintBGRA(surfaces.back().get(), colour);
    ASSERT_TRUE(mServer.cast(client, IOSurfaceGetID(surfaces.back().get()), 100 + i));
  }
  // The three travel through the kernel; the batch that holds the third keeps it.
  ASSERT_TRUE(pollUntil([&] {
    source.GetFrameFromServerMessage();
    return source.GetFrameTime() == 102;
  }));
  EXPECT_EQ(source.GetFrameSurfaceID(), IOSurfaceGetID(surfaces[2].get()));
  // An announcement of id 0 changes nothing.
  ASSERT_TRUE(mServer.cast(client, 0, 200));
  pollUntil([&] { return source.GetFrameFromServerMessage(); }, std::chrono::milliseconds(200));
  EXPECT_EQ(source.GetFrameTime(), 102u);
  EXPECT_TRUE(source.GetFrameBuffer());
}

TEST(FrameSource, AHostWithoutTheNetworkClientRightListensForTheMessageWindow) {
  const char* sandbox = "<plist><dict><key>com.apple.security.app-sandbox</key><true/></dict></plist>";
  RefPtr<const __CFData> text =
      adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(sandbox), CFIndex(strlen(sandbox))));
  RefPtr<const NSObject> plist = adopt(static_cast<const NSObject*>(
      CFPropertyListCreateWithData(nullptr, text.get(), kCFPropertyListImmutable, nullptr, nullptr)));
  UCodeEntitlements::sEntitlements.SetCodeSignedEntitlementsCopy(
      static_cast<CFDictionaryRef>(static_cast<const void*>(plist.get())));
  IOSurfaceSharingUDPImageARGB source(1280, 720);
  UCodeEntitlements::sEntitlements.SetCodeSignedEntitlementsCopy(nullptr);
  EXPECT_EQ(source.GetSourceMode(), IOSurfaceSharingUDPImage8888::kSourceMode_NSWindow);
  // On an X server of its own, where no message window is.
  moxicam::test::XTestServer display(320, 240);
  EXPECT_FALSE(source.GetFrameFromServerMessage());
  IOSurfaceSharingUDPImageARGB networked(1280, 720);
  EXPECT_EQ(networked.GetSourceMode(), IOSurfaceSharingUDPImage8888::kSourceMode_UDP);
}

}  // namespace
