#include <CoreFoundation/CFDarwinNotify.h>
#include <CoreFoundation/CFNotificationCenter.h>
#include <CoreFoundation/CFString.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <notify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "RunningChild.h"
#include "PollUntil.h"
#include "TemporaryRoot.h"
#include "ThreadsNamed.h"

namespace {

using namespace std::chrono_literals;
using moxicam::test::pollUntil;

std::vector<std::string> registryEntries() {
  std::vector<std::string> entries;
  if (DIR* folder = opendir(_CFDarwinNotifyRegistryPath())) {
    while (dirent* entry = readdir(folder))
      if (entry->d_name[0] != '.') entries.push_back(entry->d_name);
    closedir(folder);
  }
  return entries;
}

class NotifyTest : public ::testing::Test {
 protected:
  moxicam::test::TemporaryRoot mRoot;
  dispatch_queue_t mQueue = dispatch_queue_create("NotifyTest", DISPATCH_QUEUE_SERIAL);
  void TearDown() override {
    dispatch_sync(mQueue, [] {});
    dispatch_release(mQueue);
  }

  // Posts a name of its own and waits for its handler on the test's queue. Names reach this
  // process in the order they were posted and their handlers run in that order, so whatever
  // an earlier post was going to do has been done when it answers true.
  bool everyEarlierPostDelivered() {
    std::atomic<bool> arrived{false};
    int token = 0;
    if (notify_register_dispatch("com.example.sentinel", &token, mQueue, [&](int) { arrived = true; }) !=
        NOTIFY_STATUS_OK) {
      return false;
    }
    notify_post("com.example.sentinel");
    const bool delivered = pollUntil([&] { return arrived.load(); });
    notify_cancel(token);
    dispatch_sync(mQueue, [] {});
    return delivered;
  }
};

moxicam::test::ChildResult runProbe(const std::string& command, const std::string& name) {
  return moxicam::test::runChild(NOTIFY_PROBE, {command, name});
}

TEST_F(NotifyTest, PostReachesObserversOfThatNameOnly) {
  std::atomic<int> frames{0}, others{0};
  int frameToken = 0, otherToken = 0;
  ASSERT_EQ(notify_register_dispatch("com.example.frame", &frameToken, mQueue, [&](int) { ++frames; }),
            NOTIFY_STATUS_OK);
  ASSERT_EQ(notify_register_dispatch("com.example.other", &otherToken, mQueue, [&](int) { ++others; }),
            NOTIFY_STATUS_OK);
  EXPECT_NE(frameToken, otherToken);
  ASSERT_EQ(notify_post("com.example.frame"), NOTIFY_STATUS_OK);
  ASSERT_EQ(notify_post("com.example.frame"), NOTIFY_STATUS_OK);
  EXPECT_TRUE(pollUntil([&] { return frames == 2; }));
  ASSERT_TRUE(everyEarlierPostDelivered());
  EXPECT_EQ(others, 0);
  EXPECT_EQ(notify_cancel(frameToken), NOTIFY_STATUS_OK);
  EXPECT_EQ(notify_cancel(frameToken), NOTIFY_STATUS_INVALID_TOKEN);
  EXPECT_EQ(notify_cancel(otherToken), NOTIFY_STATUS_OK);
}

TEST_F(NotifyTest, PostFromAnotherProcessArrives) {
  std::atomic<int> received{0};
  int token = 0;
  ASSERT_EQ(notify_register_dispatch("com.example.across", &token, mQueue, [&](int) { ++received; }),
            NOTIFY_STATUS_OK);
  EXPECT_EQ(runProbe("post", "com.example.across").exitCode, 0);
  EXPECT_TRUE(pollUntil([&] { return received == 1; }));
  notify_cancel(token);
}

// The poster keeps its list of observers between posts: one that comes after a post gets the
// posts that follow it.
TEST_F(NotifyTest, ObserversThatComeAfterAPostGetTheNextPosts) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(notify_post("com.example.later"), NOTIFY_STATUS_OK);
    moxicam::test::RunningChild child(NOTIFY_PROBE, {"await", "com.example.later"});
    ASSERT_EQ(child.nextLine().value_or(""), "ready");
    EXPECT_EQ(notify_post("com.example.later"), NOTIFY_STATUS_OK);
    EXPECT_EQ(child.wait(), 0);
  }
}

TEST_F(NotifyTest, CheckTellsWhetherPostedSinceLastCheck) {
  int token = 0, check = -1;
  ASSERT_EQ(notify_register_check("com.example.check", &token), NOTIFY_STATUS_OK);
  EXPECT_EQ(notify_check(token, &check), NOTIFY_STATUS_OK);
  EXPECT_EQ(check, 1);
  EXPECT_EQ(notify_check(token, &check), NOTIFY_STATUS_OK);
  EXPECT_EQ(check, 0);
  notify_post("com.example.check");
  EXPECT_TRUE(pollUntil([&] {
    notify_check(token, &check);
    return check == 1;
  }));
  EXPECT_EQ(notify_check(token + 1000, &check), NOTIFY_STATUS_INVALID_TOKEN);
  notify_cancel(token);
}

TEST_F(NotifyTest, RefusesBadNamesAndRequests) {
  int token = 0;
  EXPECT_EQ(notify_post(nullptr), NOTIFY_STATUS_INVALID_NAME);
  EXPECT_EQ(notify_post(""), NOTIFY_STATUS_INVALID_NAME);
  EXPECT_EQ(notify_post(std::string(2000, 'x').c_str()), NOTIFY_STATUS_INVALID_NAME);
  EXPECT_EQ(notify_register_check(nullptr, &token), NOTIFY_STATUS_INVALID_NAME);
  EXPECT_EQ(notify_register_check("com.example.x", nullptr), NOTIFY_STATUS_INVALID_REQUEST);
  EXPECT_EQ(notify_register_dispatch("com.example.x", &token, nullptr, [](int) {}), NOTIFY_STATUS_INVALID_REQUEST);
  // Posting with nobody listening is fine.
  EXPECT_EQ(notify_post("com.example.nobody"), NOTIFY_STATUS_OK);
}

TEST_F(NotifyTest, DeadObserversSocketIsRemovedByTheNextPost) {
  moxicam::test::RunningChild child(NOTIFY_PROBE, {"observe", "com.example.dead"});
  ASSERT_TRUE(child.started());
  ASSERT_EQ(child.wait(), 0);
  std::string prefix = std::to_string(child.pid()) + "-";
  auto hasChildEntry = [&] {
    for (const auto& entry : registryEntries())
      if (entry.rfind(prefix, 0) == 0) return true;
    return false;
  };
  ASSERT_TRUE(hasChildEntry());
  EXPECT_EQ(notify_post("com.example.dead"), NOTIFY_STATUS_OK);
  EXPECT_FALSE(hasChildEntry());
}

struct CenterObserver {
  std::atomic<int> calls{0};
  std::string lastName;
  std::atomic<bool> slow{false};
  std::atomic<bool> inCallback{false};
};

void centerCallback(CFNotificationCenterRef, void* observer, CFNotificationName name, const void* object,
                    CFDictionaryRef userInfo) {
  auto* seen = static_cast<CenterObserver*>(observer);
  seen->inCallback = true;
  char buffer[256] = {};
  CFStringGetCString(name, buffer, sizeof buffer, kCFStringEncodingUTF8);
  seen->lastName = buffer;
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(userInfo, nullptr);
  if (seen->slow) std::this_thread::sleep_for(200ms);
  ++seen->calls;
  seen->inCallback = false;
}

// The center's counterpart of everyEarlierPostDelivered: its callbacks run in posting order too.
bool everyEarlierCenterPostDelivered(CFNotificationCenterRef center) {
  CenterObserver sentinel;
  CFNotificationCenterAddObserver(center, &sentinel, centerCallback, CFSTR("com.example.center.sentinel"), nullptr,
                                  CFNotificationSuspensionBehaviorDrop);
  CFNotificationCenterPostNotification(center, CFSTR("com.example.center.sentinel"), nullptr, nullptr, true);
  const bool delivered = pollUntil([&] { return sentinel.calls > 0; });
  CFNotificationCenterRemoveEveryObserver(center, &sentinel);
  return delivered;
}

TEST_F(NotifyTest, DarwinCenterDeliversNamesUntilTheObserverIsRemoved) {
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  ASSERT_NE(center, nullptr);
  EXPECT_EQ(CFGetTypeID(center), CFNotificationCenterGetTypeID());
  CenterObserver observer;
  CFStringRef name = CFSTR("com.example.center.0");
  CFNotificationCenterAddObserver(center, &observer, centerCallback, name, nullptr,
                                  CFNotificationSuspensionBehaviorDrop);
  CFNotificationCenterPostNotification(center, name, nullptr, nullptr, true);
  ASSERT_TRUE(pollUntil([&] { return observer.calls == 1; }));
  EXPECT_EQ(observer.lastName, "com.example.center.0");

  // Removal waits for a callback that is running, so the observer may go right after it.
  observer.slow = true;
  CFNotificationCenterPostNotification(center, name, nullptr, nullptr, true);
  ASSERT_TRUE(pollUntil([&] { return observer.inCallback.load(); }));
  CFNotificationCenterRemoveObserver(center, &observer, name, nullptr);
  EXPECT_FALSE(observer.inCallback);
  int callsAfterRemoval = observer.calls;
  CFNotificationCenterPostNotification(center, name, nullptr, nullptr, true);
  ASSERT_TRUE(everyEarlierCenterPostDelivered(center));
  EXPECT_EQ(observer.calls, callsAfterRemoval);
}

// A callback may remove observers, itself among them, without waiting for itself; an observer
// it removes gets no call for the name being delivered.
TEST_F(NotifyTest, DarwinCenterCallbackMayRemoveObserversOfItsName) {
  struct Remover {
    CenterObserver* other;
    std::atomic<int> calls{0};
  };
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  CFStringRef name = CFSTR("com.example.center.remove");
  CenterObserver other;
  Remover remover{&other};
  CFNotificationCenterAddObserver(
      center, &remover,
      [](CFNotificationCenterRef center, void* observer, CFNotificationName, const void*, CFDictionaryRef) {
        auto* self = static_cast<Remover*>(observer);
        CFNotificationCenterRemoveEveryObserver(center, self);
        CFNotificationCenterRemoveEveryObserver(center, self->other);
        ++self->calls;
      },
      name, nullptr, CFNotificationSuspensionBehaviorDrop);
  CFNotificationCenterAddObserver(center, &other, centerCallback, name, nullptr, CFNotificationSuspensionBehaviorDrop);
  CFNotificationCenterPostNotification(center, name, nullptr, nullptr, true);
  ASSERT_TRUE(pollUntil([&] { return remover.calls == 1; }));
  CFNotificationCenterPostNotification(center, name, nullptr, nullptr, true);
  ASSERT_TRUE(everyEarlierCenterPostDelivered(center));
  EXPECT_EQ(remover.calls, 1);
  EXPECT_EQ(other.calls, 0);
}

TEST_F(NotifyTest, DarwinCenterRemoveEveryObserverForgetsAllItsNames) {
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  CenterObserver observer;
  CFNotificationCenterAddObserver(center, &observer, centerCallback, CFSTR("com.example.a"), nullptr,
                                  CFNotificationSuspensionBehaviorDrop);
  CFNotificationCenterAddObserver(center, &observer, centerCallback, CFSTR("com.example.b"), nullptr,
                                  CFNotificationSuspensionBehaviorDrop);
  CFNotificationCenterRemoveEveryObserver(center, &observer);
  CFNotificationCenterPostNotification(center, CFSTR("com.example.a"), nullptr, nullptr, true);
  CFNotificationCenterPostNotification(center, CFSTR("com.example.b"), nullptr, nullptr, true);
  ASSERT_TRUE(everyEarlierCenterPostDelivered(center));
  EXPECT_EQ(observer.calls, 0);
}

// The bus has one receiving thread whatever roots the process has listened in, so names
// posted one after another are delivered one after another.
TEST(NotifyBus, KeepsOneDeliveryThreadAcrossRoots) {
  for (int round = 0; round < 3; ++round) {
    moxicam::test::TemporaryRoot root;
    int token = 0;
    ASSERT_EQ(notify_register_check("com.example.roots", &token), NOTIFY_STATUS_OK);
    notify_cancel(token);
  }
  EXPECT_EQ(moxicam::test::threadsNamed("notify delivery"), 1);
}

}  // namespace
