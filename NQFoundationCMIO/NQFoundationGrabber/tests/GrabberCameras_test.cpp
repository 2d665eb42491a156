// The grabber cameras' names, the fitting of window pictures into frames, the window frame
// as drawn, and what the display camera keeps of its display stream's deliveries.
#include <gtest/gtest.h>

#include <CoreGraphics/CGBitmapContext.h>
#include <IOSurface/IOSurfaceAPI.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../../../URequirements/tests/MessageCollector.h"
#include "../CMIODALGrabberDesktopStream.h"
#include "../CMIODALGrabberHardwarePlugIn.h"
#include "../CMIODALGrabberWindowStream.h"
#include "FakeWindowList.h"

namespace {

using NQCMIO::GrabberWindowStream;
using NQCMIOGrabber::GrabberDesktopStream;

std::string text(CFStringRef string) {
  char buffer[256] = {};
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

TEST(GrabberCameras, NamesAndUIDs) {
  struct Case {
    RefPtr<const __CFString> name;
    const char* expectedName;
    const char* expectedUID;
  };
  const Case cases[] = {
      {adopt(GrabberDesktopStream::CopyDeviceName(0x0A80)), "Grabber Screen (0a80)", "com.quillfen.GrabberDesktop.(0a80)"},
      {adopt(GrabberDesktopStream::CopyDeviceName(0x12340A80)), "Grabber Screen (0a80)",
       "com.quillfen.GrabberDesktop.(0a80)"},
      // Displays that share their low 16 bits are told apart by their whole ids.
      {adopt(GrabberDesktopStream::CopyDeviceName(0x12340A80, true)), "Grabber Screen (12340a80)",
       "com.quillfen.GrabberDesktop.(12340a80)"},
      {adopt(GrabberWindowStream::CopyDeviceName("Sketch Pad")), "GrabberApp: Sketch Pad",
       "com.quillfen.grabberwindow.sketch.pad"},
      {adopt(GrabberWindowStream::CopyDeviceName("A B  C")), "GrabberApp: A B  C", "com.quillfen.grabberwindow.a.b..c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text(c.name.get()), c.expectedName);
    const RefPtr<const __CFString> uid = adopt(c.expectedName[8] == 'S'
                                                   ? GrabberDesktopStream::CopyDeviceUID(c.name.get())
                                                   : GrabberWindowStream::CopyDeviceUID(c.name.get()));
    EXPECT_EQ(text(uid.get()), c.expectedUID) << c.expectedName;
  }
  EXPECT_EQ(GrabberWindowStream::CopyDeviceName(nullptr), nullptr);
}

TEST(GrabberCameras, WindowPicturesFitInsideTheMarginCentred) {
  struct Case {
    CGSize image;
    CGRect expected;
  };
  const Case cases[] = {
      {{400, 300}, {{176, 12}, {928, 696}}},     // enlarged to the height
      {{2000, 500}, {{12, 203}, {1256, 314}}},   // wide: fills the width
      {{300, 900}, {{524, 12}, {232, 696}}},     // tall: fills the height
      {{1256, 696}, {{12, 12}, {1256, 696}}},    // exactly the target
  };
  for (const Case& c : cases) {
    CGRect fitted = GrabberWindowStream::FittedImageRect(c.image, GrabberWindowStream::kFrameSize);
    // Scales such as 1256 / 400 are not exact in binary.
    EXPECT_NEAR(fitted.origin.x, c.expected.origin.x, 1e-6) << c.image.width << "x" << c.image.height;
    EXPECT_NEAR(fitted.origin.y, c.expected.origin.y, 1e-6) << c.image.width << "x" << c.image.height;
    EXPECT_NEAR(fitted.size.width, c.expected.size.width, 1e-6) << c.image.width << "x" << c.image.height;
    EXPECT_NEAR(fitted.size.height, c.expected.size.height, 1e-6) << c.image.width << "x" << c.image.height;
  }
}

class WindowFrame : public testing::Test {
 protected:
  void SetUp() override {
    auto space = adopt(CGColorSpaceCreateDeviceRGB());
    mContext = adopt(CGBitmapContextCreate(nullptr, 1280, 720, 8, 0, space.get(),
                                           kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little));
  }
  // 0xRRGGBB at (x, y), y counted from the top row in memory.
  uint32_t rgbAt(size_t x, size_t y) {
    const auto* row = static_cast<const uint8_t*>(CGBitmapContextGetData(mContext.get())) +
                      y * CGBitmapContextGetBytesPerRow(mContext.get());
    return uint32_t(row[x * 4 + 2]) << 16 | uint32_t(row[x * 4 + 1]) << 8 | row[x * 4];
  }
  moxicam::test::FakeWindowList mList;
  RefPtr<CGContext> mContext;
};

TEST_F(WindowFrame, TheOwnersPictureIsFittedIntoABlackFrame) {
  mList.set({{1, "Sketch Pad"}});
  mList.setImageSize(400, 300);
  UGrabberAppWindow owners;
  GrabberWindowStream stream(owners, 0);
  stream.DrawFrameSelf(mContext.get(), GrabberWindowStream::kFrameSize, kCMTimeZero, 0);
  EXPECT_EQ(rgbAt(175, 360), 0x000000u);
  EXPECT_EQ(rgbAt(177, 360), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(1102, 360), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(1105, 360), 0x000000u);
  EXPECT_EQ(rgbAt(640, 11), 0x000000u);
  EXPECT_EQ(rgbAt(640, 13), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(640, 708), 0x000000u);
}

TEST_F(WindowFrame, AnOwnerWhoseWindowsClosedShowsBlack) {
  mList.set({{1, "Sketch Pad"}});
  UGrabberAppWindow owners;
  mList.set({});
  GrabberWindowStream stream(owners, 0);
  CGContextSetRGBFillColor(mContext.get(), 1, 0, 0, 1);
  CGContextFillRect(mContext.get(), CGRectMake(0, 0, 1280, 720));
  stream.DrawFrameSelf(mContext.get(), GrabberWindowStream::kFrameSize, kCMTimeZero, 0);
  EXPECT_EQ(rgbAt(640, 360), 0x000000u);
  EXPECT_EQ(rgbAt(0, 0), 0x000000u);
}

bool anyLineHas(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

// Points the display list at a display server that is not there, while it lives.
struct NoDisplayServer {
  NoDisplayServer() {
    if (const char* display = std::getenv("DISPLAY")) mPrevious = display;
    setenv("DISPLAY", ":9997", 1);
  }
  ~NoDisplayServer() {
    if (mPrevious.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", mPrevious.c_str(), 1);
    }
  }
  std::string mPrevious;
};

// An instance that no camera system loaded cannot create objects: every step of making a
// camera that fails is reported by what it did, and the camera is dropped.
TEST(GrabberPlugIn, CamerasThatCannotBeMadeAreReportedAndDropped) {
  moxicam::test::FakeWindowList list;
  list.set({{1, "Sketch Pad"}});
  NQCMIOGrabber::NQCMIOHardwarePlugInInterface plugIn(CFUUIDGetConstantUUIDWithBytes(
      nullptr, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x02));
  UGrabberAppWindow owners;
  struct Case {
    const char* name;
    std::function<void()> step;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"owner index past the end",
       [&] { EXPECT_EQ(NQCMIOGrabber::VirtualCam::CreateWithGrabberWindow(owners, 5), nullptr); },
       {"REQUIRED_NOT_NULL 0x00000000==NULL : inGrabber.GetWindowOwnerAtIndex(inWindowOwnerIndex, windowOwnerName) "
        "in "}},
      // The framework makes the camera, and reports as the camera's own construction.
      {"no camera system", [&] { plugIn.InitializeGrabberWindowDeviceStreams(); },
       {" - SRC>>error = inPlugIn.CMIOObjectCreate(kCMIOObjectSystemObject,kCMIODeviceClassID,&deviceID) in Construct:",
        " (CMIODALGrabberHardwarePlugIn.cpp)", " - SRC>>newDeviceStream->Construct(*this) in "}},
      {"no display list",
       [&] {
         NoDisplayServer none;
         plugIn.InitializeGrabberDesktopDeviceStreams();
       },
       {" - SRC>>CGGetActiveDisplayList(kMaxActiveDisplays,activeDisplayIDs,&activeDisplayCount) in "}},
  };
  MessageCollector console;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    console.drain();
    c.step();
    const std::vector<std::string> lines = console.drain();
    for (const std::string& expected : c.texts)
      EXPECT_TRUE(anyLineHas(lines, expected)) << expected << "\n" << ::testing::PrintToString(lines);
  }
  EXPECT_TRUE(plugIn.Cameras().empty());
}

RefPtr<__IOSurface> newSurface() {
  int64_t values[] = {4, 4, 4};
  CFStringRef keys[] = {kIOSurfaceWidth, kIOSurfaceHeight, kIOSurfaceBytesPerElement};
  auto properties = adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                    &kCFTypeDictionaryValueCallBacks));
  for (int i = 0; i < 3; ++i) {
    auto number = adopt(CFNumberCreate(nullptr, kCFNumberSInt64Type, &values[i]));
    CFDictionarySetValue(properties.get(), keys[i], number.get());
  }
  return adopt(IOSurfaceCreate(properties.get()));
}

TEST(GrabberDesktopStream, AStillScreenKeepsTheLastPicture) {
  // No display stream here (an unknown display): the deliveries are handed in directly.
  GrabberDesktopStream stream(0x7FFFFF01);
  RefPtr<__IOSurface> first = newSurface();
  stream.DisplayStreamDelivered(kCGDisplayStreamFrameStatusFrameComplete, first.get());
  EXPECT_EQ(IOSurfaceGetUseCount(first.get()), 1);  // held against the stream's pool

  stream.DisplayStreamDelivered(kCGDisplayStreamFrameStatusFrameIdle, nullptr);
  stream.DisplayStreamDelivered(kCGDisplayStreamFrameStatusFrameBlank, nullptr);
  auto kept = adopt(stream.CopyDesktopFrameIOSurface());
  EXPECT_EQ(kept.get(), first.get());
  auto buffer = adopt(stream.CopyPixelBufferForPresentationTime(kCMTimeZero));
  EXPECT_TRUE(buffer);

  RefPtr<__IOSurface> second = newSurface();
  stream.DisplayStreamDelivered(kCGDisplayStreamFrameStatusFrameComplete, second.get());
  EXPECT_EQ(IOSurfaceGetUseCount(second.get()), 1);
  // The stream let go of the first picture; the client's buffer still shows it, so the pool
  // must not draw over it until that buffer goes.
  EXPECT_EQ(IOSurfaceGetUseCount(first.get()), 1);
  buffer = nullptr;
  EXPECT_EQ(IOSurfaceGetUseCount(first.get()), 0);

  stream.DisplayStreamDelivered(kCGDisplayStreamFrameStatusStopped, nullptr);
  EXPECT_EQ(stream.CopyDesktopFrameIOSurface(), nullptr);
  EXPECT_EQ(stream.CopyPixelBufferForPresentationTime(kCMTimeZero), nullptr);
  EXPECT_EQ(IOSurfaceGetUseCount(second.get()), 0);
}

}  // namespace

extern "C" void* GRABBER_COMHardwarePlugInInterface_Factory(CFAllocatorRef, CFUUIDRef);

namespace {

// A test program is not the application: the right type still makes no grabber plug-in.
TEST(GrabberFactory, OutsideTheApplicationThereIsNoGrabber) {
  EXPECT_EQ(GRABBER_COMHardwarePlugInInterface_Factory(nullptr, kCMIOHardwarePlugInTypeID), nullptr);
}

}  // namespace
