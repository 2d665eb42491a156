// With the object runtime loaded, each block runs inside its own autorelease pool: what a
// block autoreleases is gone when the block ends, not when the worker thread ends.
#include <dispatch/dispatch.h>
#include <gtest/gtest.h>
#include <objc/NSObject.h>

#include <atomic>

namespace {

std::atomic<int> gDeallocated{0};

class Tracked : public NSObject {
 protected:
  void dealloc() override {
    ++gDeallocated;
    NSObject::dealloc();
  }
};

}  // namespace

TEST(DispatchAutoreleasePool, EachBlockDrainsWhatItAutoreleased) {
  dispatch_queue_t queue = dispatch_queue_create("pool", DISPATCH_QUEUE_SERIAL);
  const int before = gDeallocated.load();
  int deallocatedAfterFirst = -1;
  dispatch_async(queue, [] { (new Tracked())->autorelease(); });
  dispatch_sync(queue, [&] { deallocatedAfterFirst = gDeallocated.load(); });
  EXPECT_EQ(deallocatedAfterFirst, before + 1);
  dispatch_release(queue);
}
