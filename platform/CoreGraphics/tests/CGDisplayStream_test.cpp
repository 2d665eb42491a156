// Display streams on a private X server: what the screen shows arrives scaled into the
// stream's surfaces, an unchanged screen gives idle frames, and a stop ends the deliveries.
#include <gtest/gtest.h>

#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGDisplayStream.h>
#include <IOSurface/IOSurfaceAPI.h>
#include <objc/RefPtr.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "ThreadsNamed.h"
#include "XTestServer.h"

namespace {

using moxicam::test::openSolidWindow;
using moxicam::test::XServerTest;

constexpr int32_t kBGRA = 0x42475241;

// Everything a stream delivered, for the test thread to wait on.
struct Deliveries {
  struct Frame {
    CGDisplayStreamFrameStatus status;
    RefPtr<__IOSurface> surface;
    bool surfaceInUseDuringHandler;
  };
  std::mutex lock;
  std::condition_variable changed;
  std::vector<Frame> frames;
  // When set, the handler keeps each complete frame's surface as a consumer that holds it.
  bool holdSurfaces = false;

  CGDisplayStreamFrameAvailableHandler handler() {
    return [this](CGDisplayStreamFrameStatus status, uint64_t, IOSurfaceRef surface, CGDisplayStreamUpdateRef) {
      std::lock_guard guard(lock);
      if (surface && holdSurfaces) IOSurfaceIncrementUseCount(surface);
      frames.push_back(Frame{status, RefPtr(surface), surface && IOSurfaceIsInUse(surface)});
      changed.notify_all();
    };
  }

  // Waits until a frame of the status arrives after the first `after` frames; its index or -1.
  int waitFor(CGDisplayStreamFrameStatus status, size_t after = 0) {
    std::unique_lock guard(lock);
    int found = -1;
    changed.wait_for(guard, std::chrono::seconds(20), [&] {
      for (size_t i = after; i < frames.size(); ++i) {
        if (frames[i].status == status) {
          found = int(i);
          return true;
        }
      }
      return false;
    });
    return found;
  }

  // A copy: the handler goes on adding frames meanwhile.
  Frame frame(int index) {
    std::lock_guard guard(lock);
    return frames.at(size_t(index));
  }

  size_t count() {
    std::lock_guard guard(lock);
    return frames.size();
  }
};

// The pixel at (x, y) of a BGRA surface as 0xRRGGBB.
uint32_t rgbAt(IOSurfaceRef surface, int x, int y) {
  IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
  const auto* row = static_cast<const uint8_t*>(IOSurfaceGetBaseAddress(surface)) +
                    size_t(y) * IOSurfaceGetBytesPerRow(surface);
  const uint8_t* pixel = row + size_t(x) * 4;
  uint32_t rgb = uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
  IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  return rgb;
}

RefPtr<__CFDictionary> properties(bool preserveAspectRatio) {
  auto dictionary = adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                    &kCFTypeDictionaryValueCallBacks));
  CFDictionarySetValue(dictionary.get(), kCGDisplayStreamPreserveAspectRatio,
                       preserveAspectRatio ? kCFBooleanTrue : kCFBooleanFalse);
  double frameTime = 1.0 / 60;
  auto number = adopt(CFNumberCreate(nullptr, kCFNumberDoubleType, &frameTime));
  CFDictionarySetValue(dictionary.get(), kCGDisplayStreamMinimumFrameTime, number.get());
  return dictionary;
}

class CGDisplayStreamOnServer : public XServerTest {
 protected:
  CGDisplayStreamOnServer() : XServerTest(1280, 1024) {}
  void SetUp() override {
    XServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    mQueue = dispatch_queue_create("CGDisplayStreamTest", DISPATCH_QUEUE_SERIAL);
  }
  void TearDown() override {
    if (mStream) {
      CGDisplayStreamStop(mStream.get());
      mDeliveries.waitFor(kCGDisplayStreamFrameStatusStopped);
    }
    if (mQueue) {
      dispatch_sync(mQueue, [] {});
      dispatch_release(mQueue);
    }
    XServerTest::TearDown();
  }

  void start(size_t width, size_t height, bool preserveAspectRatio) {
    mStream = adopt(CGDisplayStreamCreateWithDispatchQueue(CGMainDisplayID(), width, height, kBGRA,
                                                           properties(preserveAspectRatio).get(), mQueue,
                                                           mDeliveries.handler()));
    ASSERT_TRUE(mStream);
    ASSERT_EQ(CGDisplayStreamStart(mStream.get()), kCGErrorSuccess);
  }

  dispatch_queue_t mQueue = nullptr;
  Deliveries mDeliveries;
  RefPtr<CGDisplayStream> mStream;
};

TEST_F(CGDisplayStreamOnServer, FramesShowTheScreenScaledBetweenBars) {
  // The left half of the screen red: 1280 x 1024 fits 320 x 180 as 225 x 180 from x = 47.5.
  openSolidWindow(mDisplay, 0, 0, 640, 1024, 0xFF0000);
  start(320, 180, true);
  int index = mDeliveries.waitFor(kCGDisplayStreamFrameStatusFrameComplete);
  ASSERT_GE(index, 0);
  Deliveries::Frame frame = mDeliveries.frame(index);
  IOSurfaceRef surface = frame.surface.get();
  EXPECT_EQ(IOSurfaceGetWidth(surface), 320u);
  EXPECT_EQ(IOSurfaceGetHeight(surface), 180u);
  EXPECT_EQ(IOSurfaceGetPixelFormat(surface), uint32_t(kBGRA));
  EXPECT_TRUE(frame.surfaceInUseDuringHandler);
  EXPECT_EQ(rgbAt(surface, 20, 90), 0x000000u);   // left bar
  EXPECT_EQ(rgbAt(surface, 100, 90), 0xFF0000u);  // the window
  EXPECT_EQ(rgbAt(surface, 240, 90), 0x000000u);  // the empty screen
  EXPECT_EQ(rgbAt(surface, 300, 90), 0x000000u);  // right bar
}

TEST_F(CGDisplayStreamOnServer, WithoutTheAspectRatioThePictureFillsTheOutput) {
  openSolidWindow(mDisplay, 0, 0, 640, 1024, 0x00FF00);
  start(320, 180, false);
  int index = mDeliveries.waitFor(kCGDisplayStreamFrameStatusFrameComplete);
  ASSERT_GE(index, 0);
  EXPECT_EQ(rgbAt(mDeliveries.frame(index).surface.get(), 5, 90), 0x00FF00u);
}

TEST_F(CGDisplayStreamOnServer, AStillScreenGivesIdleFramesAndAChangeAFreshSurface) {
  mDeliveries.holdSurfaces = true;
  start(160, 90, true);
  int first = mDeliveries.waitFor(kCGDisplayStreamFrameStatusFrameComplete);
  ASSERT_GE(first, 0);
  ASSERT_GE(mDeliveries.waitFor(kCGDisplayStreamFrameStatusFrameIdle, size_t(first) + 1), 0);

  openSolidWindow(mDisplay, 0, 0, 1280, 1024, 0x0000FF);
  int second = mDeliveries.waitFor(kCGDisplayStreamFrameStatusFrameComplete, size_t(first) + 1);
  ASSERT_GE(second, 0);
  RefPtr<__IOSurface> heldSurface = mDeliveries.frame(first).surface;
  RefPtr<__IOSurface> freshSurface = mDeliveries.frame(second).surface;
  IOSurfaceRef held = heldSurface.get();
  IOSurfaceRef fresh = freshSurface.get();
  // The surface the consumer holds is never drawn over.
  EXPECT_NE(IOSurfaceGetID(held), IOSurfaceGetID(fresh));
  EXPECT_EQ(rgbAt(held, 80, 45), 0x000000u);
  EXPECT_EQ(rgbAt(fresh, 80, 45), 0x0000FFu);
  IOSurfaceDecrementUseCount(held);
  IOSurfaceDecrementUseCount(fresh);
}

TEST_F(CGDisplayStreamOnServer, StopDeliversStoppedOnceAndNothingAfter) {
  start(64, 36, true);
  ASSERT_GE(mDeliveries.waitFor(kCGDisplayStreamFrameStatusFrameComplete), 0);
  EXPECT_EQ(CGDisplayStreamStart(mStream.get()), kCGErrorSuccess);  // already running
  EXPECT_EQ(CGDisplayStreamStop(mStream.get()), kCGErrorSuccess);
  EXPECT_EQ(CGDisplayStreamStop(mStream.get()), kCGErrorSuccess);
  int stopped = mDeliveries.waitFor(kCGDisplayStreamFrameStatusStopped);
  ASSERT_GE(stopped, 0);
  // The stream stays usable after its creator let go of it until the stop has been told.
  mStream = nullptr;
  dispatch_sync(mQueue, [] {});
  EXPECT_EQ(mDeliveries.count(), size_t(stopped) + 1);
  // Nothing can follow: the thread that reads the frames has ended.
  EXPECT_EQ(moxicam::test::threadsNamed("display stream"), 0);
}

TEST_F(CGDisplayStreamOnServer, BadRequestsMakeNoStream) {
  const CGDirectDisplayID main = CGMainDisplayID();
  auto handler = mDeliveries.handler();
  EXPECT_EQ(CGDisplayStreamCreateWithDispatchQueue(main, 0, 720, kBGRA, nullptr, mQueue, handler), nullptr);
  EXPECT_EQ(CGDisplayStreamCreateWithDispatchQueue(main, 1280, 720, 0x32767579 /* '2vuy' */, nullptr, mQueue,
                                                   handler),
            nullptr);
  EXPECT_EQ(CGDisplayStreamCreateWithDispatchQueue(main, 1280, 720, kBGRA, nullptr, nullptr, handler), nullptr);
  EXPECT_EQ(CGDisplayStreamCreateWithDispatchQueue(main + 1000, 1280, 720, kBGRA, nullptr, mQueue, handler), nullptr);
  EXPECT_EQ(CGDisplayStreamStart(nullptr), kCGErrorIllegalArgument);
  // A one-pixel stream is a fine request.
  auto probe = adopt(CGDisplayStreamCreateWithDispatchQueue(main, 1, 1, kBGRA, nullptr, mQueue, handler));
  EXPECT_TRUE(probe);
}

}  // namespace
