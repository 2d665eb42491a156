#include <CoreFoundation/CFFileDescriptor.h>
#include <CoreFoundation/CFRunLoop.h>
#include <CoreFoundation/CFString.h>
#include <dispatch/dispatch.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "RunLoopUntil.h"

using moxicam::test::runLoopUntil;

namespace {

std::string text(CFStringRef string) {
  if (!string) return "(null)";
  char buffer[256] = "";
  CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

// A run loop on a thread of its own, kept busy with a distant timer so that it never finishes
// for want of sources, until stopped.
class LoopThread {
 public:
  LoopThread() {
    mThread = std::thread([this] {
      auto keepAlive = adopt(CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent() + 1e6, 1e6,
                                                             0, 0, [](CFRunLoopTimerRef) {}));
      CFRunLoopAddTimer(CFRunLoopGetCurrent(), keepAlive.get(), kCFRunLoopDefaultMode);
      // Held, as another thread stops and wakes it while this one may be ending.
      mHeld = RefPtr<__CFRunLoop>(CFRunLoopGetCurrent());
      mLoop = CFRunLoopGetCurrent();
      CFRunLoopRun();
      CFRunLoopTimerInvalidate(keepAlive.get());
      mEnded = true;
    });
    while (!mLoop) std::this_thread::yield();
  }
  ~LoopThread() {
    if (mThread.joinable()) stopAndJoin();
  }
  void stopAndJoin() {
    // Stop only takes the running loop; retry until the thread has left it.
    while (!mEnded) {
      CFRunLoopStop(mLoop);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    mThread.join();
  }
  CFRunLoopRef loop() const { return mLoop; }
  bool ended() const { return mEnded; }

 private:
  std::thread mThread;
  RefPtr<__CFRunLoop> mHeld;
  std::atomic<CFRunLoopRef> mLoop{nullptr};
  std::atomic<bool> mEnded{false};
};

// A version-0 source that records what its callbacks saw.
struct SourceRecord {
  std::atomic<int> performs{0};
  std::atomic<int> schedules{0};
  std::atomic<int> cancels{0};
  std::atomic<CFRunLoopRef> lastLoop{nullptr};
  std::string lastScheduleMode;
  std::atomic<std::thread::id> performThread{};

  CFRunLoopSourceRef makeSource(CFIndex order = 0) {
    CFRunLoopSourceContext context{};
    context.info = this;
    context.schedule = [](void* info, CFRunLoopRef rl, CFRunLoopMode mode) {
      auto* self = static_cast<SourceRecord*>(info);
      self->lastLoop = rl;
      self->lastScheduleMode = text(mode);
      ++self->schedules;
    };
    context.cancel = [](void* info, CFRunLoopRef, CFRunLoopMode) {
      ++static_cast<SourceRecord*>(info)->cancels;
    };
    context.perform = [](void* info) {
      auto* self = static_cast<SourceRecord*>(info);
      self->performThread = std::this_thread::get_id();
      ++self->performs;
    };
    return CFRunLoopSourceCreate(nullptr, order, &context);
  }
};

}  // namespace

TEST(CFRunLoop, EachThreadHasItsOwnLoopAndTheMainThreadTheMainLoop) {
  EXPECT_EQ(CFRunLoopGetCurrent(), CFRunLoopGetMain());
  EXPECT_EQ(CFGetTypeID(CFRunLoopGetMain()), CFRunLoopGetTypeID());
  CFRunLoopRef other = nullptr, otherAgain = nullptr, mainSeen = nullptr;
  std::thread([&] {
    other = CFRunLoopGetCurrent();
    otherAgain = CFRunLoopGetCurrent();
    mainSeen = CFRunLoopGetMain();
  }).join();
  EXPECT_NE(other, CFRunLoopGetMain());
  EXPECT_EQ(other, otherAgain);
  EXPECT_EQ(mainSeen, CFRunLoopGetMain());
}

TEST(CFRunLoop, RunInModeResults) {
  std::thread([] {
    // Nothing in the mode: finished at once, whatever the time allowed.
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, false), kCFRunLoopRunFinished);
    EXPECT_EQ(CFRunLoopRunInMode(CFSTR("custom"), 10.0, false), kCFRunLoopRunFinished);

    SourceRecord record;
    auto source = adopt(record.makeSource());
    CFRunLoopAddSource(CFRunLoopGetCurrent(), source.get(), kCFRunLoopDefaultMode);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.0, false), kCFRunLoopRunTimedOut);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, false), kCFRunLoopRunTimedOut);

    CFRunLoopSourceSignal(source.get());
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunHandledSource);
    EXPECT_EQ(record.performs.load(), 1);

    // Without returnAfterSourceHandled the loop goes on to its time limit.
    CFRunLoopSourceSignal(source.get());
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, false), kCFRunLoopRunTimedOut);
    EXPECT_EQ(record.performs.load(), 2);

    CFRunLoopRemoveSource(CFRunLoopGetCurrent(), source.get(), kCFRunLoopDefaultMode);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, false), kCFRunLoopRunFinished);
  }).join();
}

TEST(CFRunLoop, RepeatingTimerFiresOnTheLoopThreadUntilInvalidated) {
  struct Info {
    std::atomic<int> fires{0};
    std::atomic<int> retains{0}, releases{0};
  } info;
  CFRunLoopTimerContext context{};
  context.info = &info;
  context.retain = [](const void* i) -> const void* {
    ++static_cast<Info*>(const_cast<void*>(i))->retains;
    return i;
  };
  context.release = [](const void* i) { ++static_cast<Info*>(const_cast<void*>(i))->releases; };
  CFRunLoopTimerRef timer = CFRunLoopTimerCreate(
      nullptr, CFAbsoluteTimeGetCurrent(), 0.001, 0, 0,
      [](CFRunLoopTimerRef t, void* i) {
        auto* self = static_cast<Info*>(i);
        if (++self->fires == 5) CFRunLoopTimerInvalidate(t);
      },
      &context);
  EXPECT_EQ(info.retains.load(), 1);
  EXPECT_DOUBLE_EQ(CFRunLoopTimerGetInterval(timer), 0.001);
  CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopDefaultMode);
  ASSERT_TRUE(runLoopUntil([&] { return !CFRunLoopTimerIsValid(timer); }));
  EXPECT_EQ(info.fires.load(), 5);
  // Nothing fires once invalid.
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, false);
  EXPECT_EQ(info.fires.load(), 5);
  EXPECT_EQ(info.releases.load(), 0);
  CFRelease(timer);
  EXPECT_EQ(info.releases.load(), 1);
}

TEST(CFRunLoop, OneShotTimerFiresOnceAndCanBeRescheduled) {
  int fires = 0;
  auto timer = adopt(CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent() + 0.005, 0, 0, 0,
                                                     [&](CFRunLoopTimerRef) { ++fires; }));
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), timer.get(), kCFRunLoopCommonModes);
  ASSERT_TRUE(runLoopUntil([&] { return fires == 1; }));
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer.get()));
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, false);
  EXPECT_EQ(fires, 1);

  // A repeating timer moved far away waits; moved back it fires.
  int repeats = 0;
  auto moved = adopt(CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent() + 1000, 0.001, 0, 0,
                                                     [&](CFRunLoopTimerRef) { ++repeats; }));
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), moved.get(), kCFRunLoopDefaultMode);
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, false), kCFRunLoopRunTimedOut);
  EXPECT_EQ(repeats, 0);
  CFAbsoluteTime soon = CFAbsoluteTimeGetCurrent();
  CFRunLoopTimerSetNextFireDate(moved.get(), soon);
  EXPECT_EQ(CFRunLoopTimerGetNextFireDate(moved.get()), soon);
  ASSERT_TRUE(runLoopUntil([&] { return repeats >= 2; }));
  EXPECT_GT(CFRunLoopTimerGetNextFireDate(moved.get()), soon);
  CFRunLoopTimerInvalidate(moved.get());
}

TEST(CFRunLoop, TimerAddedFromAnotherThreadWakesTheSleepingLoop) {
  LoopThread thread;
  ASSERT_TRUE(runLoopUntil([&] { return CFRunLoopIsWaiting(thread.loop()); }));
  std::atomic<std::thread::id> firedOn{};
  std::atomic<bool> fired{false};
  auto timer = adopt(
      CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent(), 0, 0, 0, [&](CFRunLoopTimerRef) {
        firedOn = std::this_thread::get_id();
        fired = true;
      }));
  CFRunLoopAddTimer(thread.loop(), timer.get(), kCFRunLoopDefaultMode);
  ASSERT_TRUE(runLoopUntil([&] { return fired.load(); }));
  EXPECT_NE(firedOn.load(), std::this_thread::get_id());
  // A timer belongs to one loop.
  testing::internal::CaptureStderr();
  auto other = adopt(CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent() + 1e6, 0, 0, 0,
                                                     [](CFRunLoopTimerRef) {}));
  CFRunLoopAddTimer(thread.loop(), other.get(), kCFRunLoopDefaultMode);
  CFRunLoopAddTimer(CFRunLoopGetMain(), other.get(), kCFRunLoopDefaultMode);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("another run loop"), std::string::npos);
  CFRunLoopTimerInvalidate(other.get());
  thread.stopAndJoin();
}

TEST(CFRunLoop, SourceSignalledFromAnotherThreadIsPerformedOnTheLoopThread) {
  LoopThread thread;
  SourceRecord record;
  auto source = adopt(record.makeSource());
  CFRunLoopAddSource(thread.loop(), source.get(), kCFRunLoopDefaultMode);
  EXPECT_EQ(record.schedules.load(), 1);
  EXPECT_EQ(record.lastLoop.load(), thread.loop());
  EXPECT_EQ(record.lastScheduleMode, "kCFRunLoopDefaultMode");
  EXPECT_TRUE(CFRunLoopContainsSource(thread.loop(), source.get(), kCFRunLoopDefaultMode));
  EXPECT_FALSE(CFRunLoopContainsSource(thread.loop(), source.get(), CFSTR("other")));

  for (int i = 1; i <= 3; ++i) {
    CFRunLoopSourceSignal(source.get());
    CFRunLoopWakeUp(thread.loop());
    ASSERT_TRUE(runLoopUntil([&] { return record.performs == i; }));
  }
  EXPECT_NE(record.performThread.load(), std::this_thread::get_id());

  CFRunLoopSourceInvalidate(source.get());
  EXPECT_FALSE(CFRunLoopSourceIsValid(source.get()));
  EXPECT_EQ(record.cancels.load(), 1);
  EXPECT_FALSE(CFRunLoopContainsSource(thread.loop(), source.get(), kCFRunLoopDefaultMode));
  CFRunLoopSourceSignal(source.get());
  CFRunLoopWakeUp(thread.loop());
  thread.stopAndJoin();
  EXPECT_EQ(record.performs.load(), 3);
}

TEST(CFRunLoop, SignalledSourcesRunInOrder) {
  std::thread([] {
    std::vector<int> order;
    struct Entry {
      std::vector<int>* order;
      int value;
    } entries[] = {{&order, 3}, {&order, 1}, {&order, 2}};
    std::vector<RefPtr<__CFRunLoopSource>> sources;
    for (Entry& entry : entries) {
      CFRunLoopSourceContext context{};
      context.info = &entry;
      context.perform = [](void* info) {
        auto* e = static_cast<Entry*>(info);
        e->order->push_back(e->value);
      };
      sources.push_back(adopt(CFRunLoopSourceCreate(nullptr, entry.value, &context)));
      CFRunLoopAddSource(CFRunLoopGetCurrent(), sources.back().get(), kCFRunLoopDefaultMode);
      CFRunLoopSourceSignal(sources.back().get());
    }
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    for (auto& source : sources) CFRunLoopSourceInvalidate(source.get());
  }).join();
  CFRunLoopSourceContext versionOne{};
  versionOne.version = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(CFRunLoopSourceCreate(nullptr, 0, &versionOne), nullptr);
  EXPECT_EQ(CFRunLoopSourceCreate(nullptr, 0, nullptr), nullptr);
  testing::internal::GetCapturedStderr();
}

TEST(CFRunLoop, StopEndsTheInnermostRunAndWakeUpInterruptsTheWait) {
  LoopThread thread;
  ASSERT_TRUE(runLoopUntil([&] { return CFRunLoopIsWaiting(thread.loop()); }));
  // Woken without cause, the loop goes back to sleep and keeps running.
  CFRunLoopWakeUp(thread.loop());
  ASSERT_TRUE(runLoopUntil([&] { return CFRunLoopIsWaiting(thread.loop()); }));
  EXPECT_FALSE(thread.ended());
  CFRunLoopStop(thread.loop());
  ASSERT_TRUE(runLoopUntil([&] { return thread.ended(); }));
  thread.stopAndJoin();

  // Inside a nested run, stop ends the nested run only.
  std::thread([] {
    std::vector<CFRunLoopRunResult> results;
    auto timer = adopt(
        CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent(), 0, 0, 0, [&](CFRunLoopTimerRef) {
          CFRunLoopPerformBlock(CFRunLoopGetCurrent(), kCFRunLoopDefaultMode,
                                [] { CFRunLoopStop(CFRunLoopGetCurrent()); });
          results.push_back(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, false));
        }));
    auto keepAlive = adopt(CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent() + 1e6, 0, 0, 0,
                                                           [](CFRunLoopTimerRef) {}));
    CFRunLoopAddTimer(CFRunLoopGetCurrent(), keepAlive.get(), kCFRunLoopDefaultMode);
    CFRunLoopAddTimer(CFRunLoopGetCurrent(), timer.get(), kCFRunLoopDefaultMode);
    results.push_back(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, false));
    EXPECT_EQ(results, (std::vector<CFRunLoopRunResult>{kCFRunLoopRunStopped, kCFRunLoopRunTimedOut}));
    CFRunLoopTimerInvalidate(keepAlive.get());
  }).join();
}

TEST(CFRunLoop, ModesKeepTheirItemsApart) {
  std::thread([] {
    CFStringRef custom = CFSTR("com.moxicam.test.mode");
    CFStringRef tracking = CFSTR("com.moxicam.test.tracking");
    int customFires = 0, commonFires = 0;
    std::string modeInCallout;
    auto customTimer = adopt(CFRunLoopTimerCreateWithHandler(
        nullptr, CFAbsoluteTimeGetCurrent(), 0.001, 0, 0, [&](CFRunLoopTimerRef) {
          ++customFires;
          auto mode = adopt(CFRunLoopCopyCurrentMode(CFRunLoopGetCurrent()));
          modeInCallout = text(mode.get());
        }));
    auto commonTimer = adopt(CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent(), 0.001, 0, 0,
                                                             [&](CFRunLoopTimerRef) { ++commonFires; }));
    CFRunLoopRef loop = CFRunLoopGetCurrent();
    CFRunLoopAddTimer(loop, customTimer.get(), custom);
    CFRunLoopAddTimer(loop, commonTimer.get(), kCFRunLoopCommonModes);

    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, false);
    EXPECT_EQ(customFires, 0);
    EXPECT_GT(commonFires, 0);

    commonFires = 0;
    CFRunLoopRunInMode(custom, 0.02, false);
    EXPECT_GT(customFires, 0);
    EXPECT_EQ(modeInCallout, "com.moxicam.test.mode");
    EXPECT_EQ(commonFires, 0);  // the custom mode is not common

    // A mode made common gets the common items, and later ones too.
    CFRunLoopAddCommonMode(loop, tracking);
    CFRunLoopRunInMode(tracking, 0.02, false);
    EXPECT_GT(commonFires, 0);
    int blockRuns = 0;
    CFRunLoopPerformBlock(loop, kCFRunLoopCommonModes, [&] { ++blockRuns; });
    CFRunLoopPerformBlock(loop, custom, [&] { blockRuns += 10; });
    CFRunLoopRunInMode(tracking, 0, false);
    EXPECT_EQ(blockRuns, 1);
    CFRunLoopRunInMode(custom, 0, false);
    EXPECT_EQ(blockRuns, 11);
    EXPECT_EQ(CFRunLoopCopyCurrentMode(loop), nullptr);

    CFRunLoopRemoveTimer(loop, commonTimer.get(), kCFRunLoopCommonModes);
    commonFires = 0;
    CFRunLoopRunInMode(tracking, 0.02, false);
    EXPECT_EQ(commonFires, 0);
    CFRunLoopTimerInvalidate(customTimer.get());
    CFRunLoopTimerInvalidate(commonTimer.get());
  }).join();
}

TEST(CFRunLoop, BlocksPerformedFromAnotherThreadRunOnTheLoopThread) {
  LoopThread thread;
  std::atomic<int> ran{0};
  std::atomic<std::thread::id> ranOn{};
  std::thread([&] {
    for (int i = 0; i < 10; ++i) {
      CFRunLoopPerformBlock(thread.loop(), kCFRunLoopDefaultMode, [&] {
        ranOn = std::this_thread::get_id();
        ++ran;
      });
    }
  }).join();
  ASSERT_TRUE(runLoopUntil([&] { return ran == 10; }));
  thread.stopAndJoin();
}

TEST(CFRunLoop, ObserversSeeEntryWaitingAndExit) {
  std::thread([] {
    std::vector<CFRunLoopActivity> seen;
    int onceCalls = 0;
    auto observer = adopt(CFRunLoopObserverCreateWithHandler(
        nullptr, kCFRunLoopEntry | kCFRunLoopBeforeWaiting | kCFRunLoopExit, true, 0,
        [&](CFRunLoopObserverRef, CFRunLoopActivity activity) { seen.push_back(activity); }));
    auto once = adopt(
        CFRunLoopObserverCreateWithHandler(nullptr, kCFRunLoopAllActivities, false, 0,
                                           [&](CFRunLoopObserverRef, CFRunLoopActivity) { ++onceCalls; }));
    SourceRecord record;
    auto source = adopt(record.makeSource());
    CFRunLoopRef loop = CFRunLoopGetCurrent();
    CFRunLoopAddSource(loop, source.get(), kCFRunLoopDefaultMode);
    CFRunLoopAddObserver(loop, observer.get(), kCFRunLoopDefaultMode);
    CFRunLoopAddObserver(loop, once.get(), kCFRunLoopDefaultMode);
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), kCFRunLoopEntry);
    EXPECT_EQ(seen[1], kCFRunLoopBeforeWaiting);
    EXPECT_EQ(seen.back(), kCFRunLoopExit);
    EXPECT_EQ(onceCalls, 1);
    EXPECT_FALSE(CFRunLoopObserverIsValid(once.get()));
    CFRunLoopObserverInvalidate(observer.get());
    size_t count = seen.size();
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
    EXPECT_EQ(seen.size(), count);
    CFRunLoopSourceInvalidate(source.get());
  }).join();
}

TEST(CFRunLoop, MainLoopRunsTheMainQueue) {
  std::atomic<int> ran{0};
  bool onMain = false;
  std::thread([&] {
    dispatch_async(dispatch_get_main_queue(), [&] {
      onMain = CFRunLoopGetCurrent() == CFRunLoopGetMain();
      ++ran;
    });
  }).join();
  ASSERT_TRUE(runLoopUntil([&] { return ran == 1; }));
  EXPECT_TRUE(onMain);
  // The main queue counts as a handled source, and keeps the main loop from finishing.
  dispatch_async(dispatch_get_main_queue(), [&] { ++ran; });
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunHandledSource);
  EXPECT_EQ(ran.load(), 2);
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false), kCFRunLoopRunTimedOut);
  // Not in a mode that is not common.
  dispatch_async(dispatch_get_main_queue(), [&] { ++ran; });
  SourceRecord record;
  auto source = adopt(record.makeSource());
  CFRunLoopAddSource(CFRunLoopGetMain(), source.get(), CFSTR("private"));
  CFRunLoopRunInMode(CFSTR("private"), 0.01, false);
  EXPECT_EQ(ran.load(), 2);
  ASSERT_TRUE(runLoopUntil([&] { return ran == 3; }));
  CFRunLoopSourceInvalidate(source.get());
}

TEST(CFFileDescriptor, ReadAndWriteCallbacksFireOncePerEnable) {
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
  struct Info {
    std::vector<CFOptionFlags> calls;
    std::string received;
  } info;
  CFFileDescriptorContext context{0, &info, nullptr, nullptr, nullptr};
  auto reader = adopt(CFFileDescriptorCreate(
      nullptr, ends[0], true,
      [](CFFileDescriptorRef f, CFOptionFlags types, void* i) {
        auto* self = static_cast<Info*>(i);
        self->calls.push_back(types);
        char buffer[64];
        ssize_t got = read(CFFileDescriptorGetNativeDescriptor(f), buffer, sizeof buffer);
        if (got > 0) self->received.append(buffer, size_t(got));
      },
      &context));
  EXPECT_EQ(CFFileDescriptorGetNativeDescriptor(reader.get()), ends[0]);
  auto source = adopt(CFFileDescriptorCreateRunLoopSource(nullptr, reader.get(), 0));
  auto sameSource = adopt(CFFileDescriptorCreateRunLoopSource(nullptr, reader.get(), 0));
  EXPECT_EQ(source.get(), sameSource.get());
  CFRunLoopAddSource(CFRunLoopGetCurrent(), source.get(), kCFRunLoopDefaultMode);

  // Not enabled: data waits.
  ASSERT_EQ(write(ends[1], "one", 3), 3);
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false);
  EXPECT_TRUE(info.calls.empty());

  CFFileDescriptorEnableCallBacks(reader.get(), kCFFileDescriptorReadCallBack);
  ASSERT_TRUE(runLoopUntil([&] { return info.received == "one"; }));
  ASSERT_EQ(write(ends[1], "two", 3), 3);
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, false);
  EXPECT_EQ(info.calls.size(), 1u);  // fired once, then off until enabled again
  CFFileDescriptorEnableCallBacks(reader.get(), kCFFileDescriptorReadCallBack);
  ASSERT_TRUE(runLoopUntil([&] { return info.received == "onetwo"; }));
  EXPECT_EQ(info.calls,
            (std::vector<CFOptionFlags>{kCFFileDescriptorReadCallBack, kCFFileDescriptorReadCallBack}));

  // The writer end: a pipe with room is writable at once.
  bool writable = false;
  CFFileDescriptorContext writerContext{0, &writable, nullptr, nullptr, nullptr};
  auto writer = adopt(CFFileDescriptorCreate(
      nullptr, ends[1], false,
      [](CFFileDescriptorRef, CFOptionFlags types, void* i) {
        *static_cast<bool*>(i) = types == kCFFileDescriptorWriteCallBack;
      },
      &writerContext));
  auto writerSource = adopt(CFFileDescriptorCreateRunLoopSource(nullptr, writer.get(), 0));
  CFRunLoopAddSource(CFRunLoopGetCurrent(), writerSource.get(), kCFRunLoopDefaultMode);
  CFFileDescriptorEnableCallBacks(writer.get(), kCFFileDescriptorWriteCallBack);
  ASSERT_TRUE(runLoopUntil([&] { return writable; }));

  // Invalidation takes the sources out and closes only what it was asked to close.
  CFFileDescriptorInvalidate(reader.get());
  CFFileDescriptorInvalidate(writer.get());
  EXPECT_FALSE(CFFileDescriptorIsValid(reader.get()));
  EXPECT_FALSE(CFRunLoopSourceIsValid(source.get()));
  EXPECT_FALSE(CFRunLoopContainsSource(CFRunLoopGetCurrent(), source.get(), kCFRunLoopDefaultMode));
  EXPECT_EQ(fcntl(ends[0], F_GETFD), -1);
  EXPECT_NE(fcntl(ends[1], F_GETFD), -1);
  close(ends[1]);
  EXPECT_EQ(CFFileDescriptorCreate(nullptr, -1, false, nullptr, nullptr), nullptr);
}

TEST(CFFileDescriptor, HangUpWakesTheReadCallback) {
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
  int calls = 0;
  ssize_t lastRead = -2;
  struct Info {
    int* calls;
    ssize_t* lastRead;
  } info{&calls, &lastRead};
  CFFileDescriptorContext context{0, &info, nullptr, nullptr, nullptr};
  auto reader = adopt(CFFileDescriptorCreate(
      nullptr, ends[0], true,
      [](CFFileDescriptorRef f, CFOptionFlags, void* i) {
        auto* self = static_cast<Info*>(i);
        ++*self->calls;
        char byte;
        *self->lastRead = read(CFFileDescriptorGetNativeDescriptor(f), &byte, 1);
      },
      &context));
  auto source = adopt(CFFileDescriptorCreateRunLoopSource(nullptr, reader.get(), 0));
  CFRunLoopAddSource(CFRunLoopGetCurrent(), source.get(), kCFRunLoopDefaultMode);
  CFFileDescriptorEnableCallBacks(reader.get(), kCFFileDescriptorReadCallBack);
  close(ends[1]);
  ASSERT_TRUE(runLoopUntil([&] { return calls == 1; }));
  EXPECT_EQ(lastRead, 0);
  // With the callback off, the hang-up does not keep waking the loop.
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, true), kCFRunLoopRunTimedOut);
  EXPECT_EQ(calls, 1);
  CFFileDescriptorInvalidate(reader.get());
}
