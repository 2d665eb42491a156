// The message window panel's controller: what it shows of a window image, when it updates,
// and its timer ending with it.
#include "IOSurfaceSharingNSWindowInfoController.h"

#include <GlobalSurface.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Counts the changes of one key it hears of.
class ChangeCounter : public NSObject {
  OBJC_CLASS_DECL(ChangeCounter, NSObject)

 public:
  void observeValueForKeyPath_ofObject_change_context(NSString*, NSObject*, NSDictionary*, void*) override {
    ++changes;
  }
  int changes = 0;
};
OBJC_CLASS_DEFINE(ChangeCounter)

std::string text(NSString* string) { return string ? string->UTF8String() : "(none)"; }

class InfoControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    mController = adopt(IOSurfaceSharingNSWindowInfoController::alloc()->init());
    mSurface = adopt(moxicam::test::createGlobalSurface(8, 8));
    ASSERT_TRUE(mSurface);
    ASSERT_TRUE(IOSurfaceMessagePacket_ConstructEmpty(&mPacket));
  }

  RefPtr<CGImage> nextMessage(uint64_t time) {
    EXPECT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), time));
    return adopt(IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(&mPacket));
  }

  objc::AutoreleasePool mPool;
  RefPtr<IOSurfaceSharingNSWindowInfoController> mController;
  RefPtr<__IOSurface> mSurface;
  tagIOSurfaceMessagePacket mPacket;
};

TEST_F(InfoControllerTest, StartsEmptyAndShowsAnImageItsNextUpdate) {
  EXPECT_EQ(mController->windowID(), 0u);
  EXPECT_FALSE(mController->liveUpdates());
  EXPECT_EQ(mController->messageSizeof(), 48u);
  EXPECT_EQ(mController->messageSequenceNumber(), 0u);
  EXPECT_EQ(text(mController->imageSizePixels()), "CGSize(0,0)");
  EXPECT_EQ(text(mController->messageChecksumHexValue()), "00000000");

  RefPtr<CGImage> image = nextMessage(1000);
  mController->setWindowImage(image.get());
  EXPECT_EQ(mController->messageSequenceNumber(), 0u) << "not before the next update";
  mController->lazyUpdateTimer(nullptr);
  EXPECT_TRUE(mController->messageChecksumVerify());
  EXPECT_EQ(mController->messageSequenceNumber(), 1u);
  EXPECT_EQ(mController->messageSurfaceID(), IOSurfaceGetID(mSurface.get()));
  char checksum[16];
  snprintf(checksum, sizeof checksum, "%08X", mPacket.messageChecksum);
  EXPECT_EQ(text(mController->messageChecksumHexValue()), checksum);
  EXPECT_EQ(text(mController->imageSizePixels()), "CGSize(24,4)");
  char reference[64];
  snprintf(reference, sizeof reference, "CGImageRef(0x%08llX)", (unsigned long long)uintptr_t(image.get()));
  EXPECT_EQ(text(mController->imageRefHexValue()), reference);
  ASSERT_TRUE(mController->image());
  EXPECT_EQ(mController->image()->size().width, 24);
  EXPECT_EQ(mController->image()->size().height, 4);

  mController->setGlobalWindowName(CFSTR("title"));
  mController->setGlobalWindowOwnerName(CFSTR("owner"));
  EXPECT_EQ(text(mController->windowDescription()), "title (owner)");
  auto name = adopt(mController->globalWindowNameCopy());
  EXPECT_TRUE(CFStringCompare(name.get(), CFSTR("title"), 0) == kCFCompareEqualTo);
}

TEST_F(InfoControllerTest, WithLiveUpdatesEveryImageUpdatesAtOnceAndObserversHear) {
  RefPtr<ChangeCounter> counter = adopt(static_cast<ChangeCounter*>(ChangeCounter::alloc()->init()));
  mController->addObserver_forKeyPath_options_context(counter.get(), NSSTR("messageSequenceNumber"), 0,
                                                      nullptr);
  mController->setLiveUpdates(true);
  mController->setWindowImage(nextMessage(1).get());
  EXPECT_EQ(mController->messageSequenceNumber(), 1u);
  EXPECT_GE(counter->changes, 1);
  const int heard = counter->changes;
  mController->lazyUpdateTimer(nullptr);
  EXPECT_EQ(counter->changes, heard) << "the timer leaves live updates alone";

  // A picture of bytes whose checksum is wrong shows as such.
  IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), 2);
  mPacket.messageChecksum ^= 1;
  auto spoilt = adopt(IOSurfaceMessagePacket_ImageDataWrapper().CGImageCreateByInterleavingData(&mPacket));
  mController->setWindowImage(spoilt.get());
  EXPECT_FALSE(mController->messageChecksumVerify());
  mController->removeObserver_forKeyPath(counter.get(), NSSTR("messageSequenceNumber"));
}

TEST_F(InfoControllerTest, ItsTimerEndsWithIt) {
  mController->awakeFromNib();
  RefPtr<NSTimer> timer(mController->lazyUpdateTimer());
  ASSERT_TRUE(timer);
  EXPECT_TRUE(timer->isValid());
  mController = nullptr;
  EXPECT_FALSE(timer->isValid());
}

}  // namespace
