#include <CoreMedia/CMSimpleQueue.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(CMSimpleQueue, FillsToCapacityAndEmptiesInOrder) {
  CMSimpleQueueRef queue = nullptr;
  ASSERT_EQ(CMSimpleQueueCreate(nullptr, 3, &queue), noErr);
  EXPECT_EQ(CFGetTypeID(queue), CMSimpleQueueGetTypeID());
  EXPECT_EQ(CMSimpleQueueGetCapacity(queue), 3);
  EXPECT_EQ(CMSimpleQueueDequeue(queue), nullptr);
  EXPECT_EQ(CMSimpleQueueGetHead(queue), nullptr);

  int items[5];
  for (int round = 0; round < 2; ++round) {  // the second round runs across the ring's end
    for (int i = 0; i < 3; ++i) EXPECT_EQ(CMSimpleQueueEnqueue(queue, &items[i]), noErr);
    EXPECT_EQ(CMSimpleQueueEnqueue(queue, &items[3]), kCMSimpleQueueError_QueueIsFull);
    EXPECT_EQ(CMSimpleQueueGetCount(queue), 3);
    EXPECT_FLOAT_EQ(CMSimpleQueueGetFullness(queue), 1.0f);
    EXPECT_EQ(CMSimpleQueueGetHead(queue), &items[0]);
    EXPECT_EQ(CMSimpleQueueDequeue(queue), &items[0]);
    EXPECT_EQ(CMSimpleQueueEnqueue(queue, &items[4]), noErr);
    EXPECT_EQ(CMSimpleQueueDequeue(queue), &items[1]);
    EXPECT_EQ(CMSimpleQueueDequeue(queue), &items[2]);
    EXPECT_EQ(CMSimpleQueueDequeue(queue), &items[4]);
    EXPECT_EQ(CMSimpleQueueDequeue(queue), nullptr);
  }
  CMSimpleQueueEnqueue(queue, &items[0]);
  EXPECT_EQ(CMSimpleQueueReset(queue), noErr);
  EXPECT_EQ(CMSimpleQueueGetCount(queue), 0);
  CFRelease(queue);
}

TEST(CMSimpleQueue, RefusesWhatItCannotHold) {
  CMSimpleQueueRef queue = reinterpret_cast<CMSimpleQueueRef>(0x1);
  EXPECT_EQ(CMSimpleQueueCreate(nullptr, 0, &queue), kCMSimpleQueueError_ParameterOutOfRange);
  EXPECT_EQ(queue, nullptr);
  EXPECT_EQ(CMSimpleQueueCreate(nullptr, -4, &queue), kCMSimpleQueueError_ParameterOutOfRange);
  EXPECT_EQ(CMSimpleQueueCreate(nullptr, 4, nullptr), kCMSimpleQueueError_RequiredParameterMissing);
  ASSERT_EQ(CMSimpleQueueCreate(nullptr, 4, &queue), noErr);
  EXPECT_EQ(CMSimpleQueueEnqueue(queue, nullptr), kCMSimpleQueueError_RequiredParameterMissing);
  EXPECT_EQ(CMSimpleQueueEnqueue(nullptr, queue), kCMSimpleQueueError_RequiredParameterMissing);
  EXPECT_EQ(CMSimpleQueueGetCount(nullptr), 0);
  CFRelease(queue);
}

TEST(CMSimpleQueue, OneProducerAndOneConsumerLoseNothing) {
  CMSimpleQueueRef queue = nullptr;
  ASSERT_EQ(CMSimpleQueueCreate(nullptr, 8, &queue), noErr);
  constexpr uintptr_t kItems = 20000;
  std::thread producer([queue] {
    for (uintptr_t i = 1; i <= kItems;) {
      if (CMSimpleQueueEnqueue(queue, reinterpret_cast<const void*>(i)) == noErr)
        ++i;
      else
        std::this_thread::yield();
    }
  });
  uintptr_t expected = 1;
  while (expected <= kItems) {
    const void* item = CMSimpleQueueDequeue(queue);
    if (!item) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(reinterpret_cast<uintptr_t>(item), expected);
    ++expected;
  }
  producer.join();
  CFRelease(queue);
}

}  // namespace
