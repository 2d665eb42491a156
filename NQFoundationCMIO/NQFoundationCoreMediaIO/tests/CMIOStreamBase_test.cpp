#include <gtest/gtest.h>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMSampleBuffer.h>
#include <CoreMediaIO/CMIOSampleBuffer.h>
#include <mach/mach_time.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "../../../URequirements/tests/MessageCollector.h"
#include "CMIOFramePacing.h"
#include "CMIOStreamBase.h"
#include "TimerSentinel.h"

using namespace NQCMIO;

namespace {

// A stream whose frames come from a small pixel buffer, or nothing while `skip` says so.
class SolidStream : public CMIOStreamBase {
 public:
  ~SolidStream() override { Destruct(); }
  CVPixelBufferRef CopyPixelBufferForPresentationTime(CMTime presentationTime) override {
    asked.push_back(presentationTime);
    ++calls;
    if (replacement) return bridge_cast<CVPixelBufferRef>(RefPtr(replacement).leak());
    // Another producer fills the queue while the frame is being made.
    while (crowd && CMSimpleQueueGetCount(GetQueueLazy()) < CMSimpleQueueGetCapacity(GetQueueLazy())) {
      CMSimpleQueueEnqueue(GetQueueLazy(), RefPtr(CFSTR("crowd")).leak());
    }
    if (skip > 0) {
      --skip;
      return nullptr;
    }
    CVPixelBufferRef buffer = nullptr;
    CVPixelBufferCreate(nullptr, 8, 8, kCVPixelFormatType_32ARGB, nullptr, &buffer);
    return buffer;
  }
  UInt64 firstHostTime() const { return FirstHostTime(); }

  std::vector<CMTime> asked;
  std::atomic<int> calls{0};
  int skip = 0;
  RefPtr<NSObject> replacement;
  bool crowd = false;
};

CMIOObjectPropertyAddress address(UInt32 selector) {
  return {selector, kCMIOObjectPropertyScopeGlobal, kCMIOObjectPropertyElementMain};
}

using SampleBuffers = std::vector<RefPtr<opaqueCMSampleBuffer>>;

// The sample buffers the stream queued, oldest first.
SampleBuffers drain(CMIOStreamBase& stream) {
  SampleBuffers buffers;
  while (const void* buffer = CMSimpleQueueDequeue(stream.GetQueueLazy())) {
    buffers.push_back(adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(buffer))));
  }
  return buffers;
}

CMTime anchorOf(UInt64 hostTime, int32_t timescale) {
  return CMTimeMake(int64_t(double(hostTime) / 1000000000.0 * timescale), timescale);
}

bool anyLineHas(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

template <class Predicate>
bool eventually(Predicate done, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace

TEST(CMIOFramePacing, RatesGiveCapacityTimescaleDurationAndInterval) {
  struct Row {
    double rate;
    int32_t capacity, timescale;
    int64_t duration, interval;
  };
  for (const Row& row : std::vector<Row>{{30.0, 30, 3000, 100, 33333333},
                                         {29.97, 29, 2900, 96, 33366700},
                                         {60.0, 60, 6000, 100, 16666666},
                                         {15.0, 15, 1500, 100, 66666666},
                                         {24.5, 24, 2400, 97, 40816326}}) {
    SCOPED_TRACE(row.rate);
    const CMIOFramePacing pacing = CMIOFramePacing::ForRate(row.rate);
    EXPECT_EQ(pacing.queueCapacity, row.capacity);
    EXPECT_EQ(pacing.timescale, row.timescale);
    EXPECT_EQ(pacing.frameDurationValue, row.duration);
    EXPECT_EQ(pacing.intervalNanoseconds, row.interval);
  }
}

// Announced frames are taken when they come, within a budget of ticks at the base rate.
TEST(CMIOFramePacing, AnnouncedFramesAreTakenAtOnceWithinTheBaseRate) {
  const CMIOFramePacing pacing = CMIOFramePacing::ForRate(30.0);
  const uint64_t interval = uint64_t(pacing.intervalNanoseconds);
  const uint64_t step = interval - uint64_t(pacing.catchUpNanoseconds());
  const uint64_t start = 5000000000;
  EXPECT_EQ(pacing.AnnouncedTickTime(0, start), start);
  EXPECT_EQ(pacing.NextTickDue(0, start), start + step);

  // A source at the base rate whose notification comes late once: the late frame and the
  // ones after it are all taken at once, and what was due falls back to the source's times.
  uint64_t due = pacing.NextTickDue(0, start);
  for (int frame = 1; frame < 40; ++frame) {
    SCOPED_TRACE(frame);
    const uint64_t announced = start + uint64_t(frame) * interval + (frame == 3 ? 28000000 : 0);
    EXPECT_EQ(pacing.AnnouncedTickTime(due, announced), announced);
    due = pacing.NextTickDue(due, announced);
  }
  EXPECT_EQ(due, pacing.NextTickDue(0, start + 39 * interval));

  // A source at twice the base rate gets about one tick per interval, not one per frame: a
  // frame that may not be taken yet waits for its tick, and a newer frame takes that tick.
  due = pacing.NextTickDue(0, start);
  uint64_t pending = 0, last = start;
  int ticks = 1;
  auto tickAt = [&](uint64_t time) {
    ++ticks;
    due = pacing.NextTickDue(due, time);
    last = time;
  };
  for (int frame = 1; frame <= 60; ++frame) {
    const uint64_t now = start + uint64_t(frame) * interval / 2;
    if (pending && pending <= now) tickAt(std::exchange(pending, 0));
    const uint64_t tick = pacing.AnnouncedTickTime(due, now);
    if (tick == now) {
      tickAt(now);
    } else {
      pending = tick;
    }
  }
  // The first tick, a whole interval taken early, and one per step after.
  EXPECT_LE(ticks, int((last - start) / step) + 3);
  EXPECT_GE(ticks, int((last - start) / interval));

  // Without announcements the ticks repeat the frame, a little more than an interval after
  // the tick that took the last announced frame.
  EXPECT_EQ(pacing.FreeRunningTickTime(start), start + interval + uint64_t(pacing.lateGraceNanoseconds()));
  EXPECT_LT(uint64_t(pacing.lateGraceNanoseconds()), interval / 2);
}

TEST(CMIOStreamBase, AnnouncedFramesAreTakenByTicksWhoseTimesStillRiseEvenly) {
  SolidStream stream;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  stream.StartStream();
  for (int i = 0; i < 8; ++i) {
    const int before = stream.calls;
    stream.FrameAnnounced();
    ASSERT_TRUE(eventually([&] { return stream.calls > before; }));
  }
  stream.StopStream();
  stream.Destruct();
  const SampleBuffers buffers = drain(stream);
  ASSERT_GE(buffers.size(), 8u);
  // Each frame lies whole frame durations after the one before (more than one only where a
  // busy machine held a tick back past the next).
  for (size_t i = 1; i < buffers.size(); ++i) {
    SCOPED_TRACE(i);
    const CMTime now = CMSampleBufferGetPresentationTimeStamp(buffers[i].get());
    const CMTime before = CMSampleBufferGetPresentationTimeStamp(buffers[i - 1].get());
    ASSERT_EQ(now.timescale, 3000);
    ASSERT_EQ(before.timescale, 3000);
    EXPECT_GT(now.value, before.value);
    EXPECT_EQ((now.value - before.value) % 100, 0);
  }
}

// A frame announced when its tick is due is queued before the announcement returns, on the
// announcing thread: no other thread has to wake for it.
TEST(CMIOStreamBase, ADueAnnouncedFrameIsQueuedOnTheAnnouncingThread) {
  SolidStream stream;
  stream.mFramesPerSecond = 2.5;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  std::atomic<bool> ticked{false};
  std::thread::id tickThread;
  (void)adopt(stream.CopyBufferQueue(
      [](CMIOObjectID, void*, void* refCon) { static_cast<std::atomic<bool>*>(refCon)->store(true); }, &ticked));
  stream.StartStream();
  ASSERT_TRUE(eventually([&] { return ticked.load(); }));  // the first tick, by the timer
  (void)drain(stream);
  (void)adopt(stream.CopyBufferQueue(
      [](CMIOObjectID, void*, void* refCon) { *static_cast<std::thread::id*>(refCon) = std::this_thread::get_id(); },
      &tickThread));
  stream.FrameAnnounced();
  EXPECT_EQ(tickThread, std::this_thread::get_id());
  EXPECT_EQ(drain(stream).size(), 1u);
  stream.StopStream();
  stream.Destruct();
}

TEST(CMIOStreamBase, ConstructTakesThirtyFramesForARateNotAboveOne) {
  MessageCollector console;
  for (double rate : {0.0, 1.0, -5.0}) {
    SolidStream stream;
    stream.mFramesPerSecond = rate;
    console.drain();
    EXPECT_TRUE(stream.Construct(CGSizeMake(0, 0), nullptr));
    EXPECT_TRUE(anyLineHas(console.drain(), "REQUIREMENT - SRC>>mFramesPerSecond>1.0 in "));
    EXPECT_EQ(stream.mFramesPerSecond, 30.0);
    EXPECT_EQ(CMSimpleQueueGetCapacity(stream.GetQueueLazy()), 30);
    Float64 rateRead = 0;
    UInt32 used = 0;
    EXPECT_EQ(stream.GetPropertyData(address(kCMIOStreamPropertyFrameRate), 0, nullptr, 8, &used, &rateRead),
              kCMIOHardwareNoError);
    EXPECT_EQ(rateRead, 30.0);
  }
}

TEST(CMIOStreamBase, StreamProperties) {
  SolidStream stream;
  stream.mFramesPerSecond = 29.97;
  ASSERT_TRUE(stream.Construct(CGSizeMake(320, 240), nullptr));
  EXPECT_EQ(CMSimpleQueueGetCapacity(stream.GetQueueLazy()), 29);
  Float64 range[2] = {};
  UInt32 used = 0;
  ASSERT_EQ(stream.GetPropertyData(address(kCMIOStreamPropertyFrameRateRanges), 0, nullptr, 16, &used, range), 0);
  EXPECT_EQ(used, 16u);
  EXPECT_EQ(range[0], 29.97);
  EXPECT_EQ(range[1], 29.97);
  for (UInt32 selector : {kCMIOStreamPropertyFrameRates, kCMIOStreamPropertyMinimumFrameRate}) {
    Float64 rate = 0;
    ASSERT_EQ(stream.GetPropertyData(address(selector), 0, nullptr, 8, &used, &rate), 0);
    EXPECT_EQ(rate, 29.97);
  }

  CMFormatDescriptionRef description = nullptr;
  ASSERT_EQ(stream.GetPropertyData(address(kCMIOStreamPropertyFormatDescription), 0, nullptr, 8, &used, &description), 0);
  const RefPtr<const opaqueCMFormatDescription> heldDescription = adopt(description);
  ASSERT_NE(description, nullptr);
  EXPECT_EQ(CMFormatDescriptionGetMediaSubType(description), FourCharCode(kCMVideoCodecType_422YpCbCr8));
  EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(description).width, 320);
  EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(description).height, 240);

  CFArrayRef descriptions = nullptr;
  ASSERT_EQ(stream.GetPropertyData(address(kCMIOStreamPropertyFormatDescriptions), 0, nullptr, 8, &used, &descriptions), 0);
  const RefPtr<const __CFArray> heldDescriptions = adopt(descriptions);
  ASSERT_NE(descriptions, nullptr);
  EXPECT_EQ(CFArrayGetCount(descriptions), 1);

  CFTypeRef clock = nullptr;
  ASSERT_EQ(stream.GetPropertyData(address(kCMIOStreamPropertyClock), 0, nullptr, 8, &used, &clock), 0);
  const RefPtr<const NSObject> heldClock = adopt(static_cast<const NSObject*>(clock));
  EXPECT_EQ(clock, stream.GetClockLazy());

  CFStringRef name = nullptr;
  ASSERT_EQ(stream.GetPropertyData(address(kCMIOObjectPropertyName), 0, nullptr, 8, &used, &name), 0);
  const RefPtr<const __CFString> heldName = adopt(name);
  char text[64] = "";
  CFStringGetCString(name, text, sizeof text, kCFStringEncodingUTF8);
  EXPECT_STREQ(text, "NQ.StreamName");
}

TEST(CMIOStreamBase, TicksStampFramesFromTheFirstHostTimeWithSequenceNumbersFromOne) {
  SolidStream stream;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  for (int i = 0; i < 4; ++i) stream.AsyncQueueNextCMSampleBuffer();
  SampleBuffers buffers = drain(stream);
  ASSERT_EQ(buffers.size(), 4u);
  const CMTime anchor = anchorOf(stream.firstHostTime(), 3000);
  for (size_t i = 0; i < buffers.size(); ++i) {
    SCOPED_TRACE(i);
    const CMTime pts = CMSampleBufferGetPresentationTimeStamp(buffers[i].get());
    EXPECT_EQ(pts.timescale, 3000);
    EXPECT_EQ(pts.value, anchor.value + int64_t(i) * 100);
    EXPECT_EQ(CMSampleBufferGetDuration(buffers[i].get()).value, 100);
    EXPECT_EQ(CMIOSampleBufferGetSequenceNumber(buffers[i].get()), i + 1);
    EXPECT_EQ(CMIOSampleBufferGetDiscontinuityFlags(buffers[i].get()), UInt32(kCMIOSampleBufferNoDiscontinuities));
  }
}

TEST(CMIOStreamBase, TicksWithoutAFrameStillMoveTheTimeOn) {
  SolidStream stream;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  stream.skip = 2;
  for (int i = 0; i < 3; ++i) stream.AsyncQueueNextCMSampleBuffer();
  ASSERT_EQ(stream.asked.size(), 3u);
  EXPECT_LT(CMTimeCompare(stream.asked[0], stream.asked[1]), 0);
  EXPECT_LT(CMTimeCompare(stream.asked[1], stream.asked[2]), 0);
  SampleBuffers buffers = drain(stream);
  ASSERT_EQ(buffers.size(), 1u);
  const CMTime anchor = anchorOf(stream.firstHostTime(), 3000);
  EXPECT_EQ(CMSampleBufferGetPresentationTimeStamp(buffers[0].get()).value, anchor.value + 200);
  EXPECT_EQ(CMIOSampleBufferGetSequenceNumber(buffers[0].get()), 1u);
}

TEST(CMIOStreamBase, ARestartAnchorsTheTimesAnewWhileSequenceNumbersGoOn) {
  SolidStream stream;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  for (int i = 0; i < 5; ++i) stream.AsyncQueueNextCMSampleBuffer();
  (void)drain(stream);
  stream.StopStream();
  EXPECT_EQ(stream.firstHostTime(), 0u);
  stream.AsyncQueueNextCMSampleBuffer();
  SampleBuffers buffers = drain(stream);
  ASSERT_EQ(buffers.size(), 1u);
  EXPECT_EQ(CMSampleBufferGetPresentationTimeStamp(buffers[0].get()).value, anchorOf(stream.firstHostTime(), 3000).value);
  EXPECT_EQ(CMIOSampleBufferGetSequenceNumber(buffers[0].get()), 6u);
}

TEST(CMIOStreamBase, AFullQueueSkipsTheFrame) {
  MessageCollector console;
  SolidStream stream;
  stream.mFramesPerSecond = 2.5;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  ASSERT_EQ(CMSimpleQueueGetCapacity(stream.GetQueueLazy()), 2);
  stream.AsyncQueueNextCMSampleBuffer();
  stream.AsyncQueueNextCMSampleBuffer();
  console.drain();
  const int calls = stream.calls;
  stream.AsyncQueueNextCMSampleBuffer();
  EXPECT_EQ(stream.calls, calls) << "no frame is asked for";
  EXPECT_EQ(CMSimpleQueueGetCount(stream.GetQueueLazy()), 2);
  std::vector<std::string> lines = console.drain();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Queue is full, bailing out\n");
  SampleBuffers buffers = drain(stream);
  stream.AsyncQueueNextCMSampleBuffer();
  SampleBuffers after = drain(stream);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(CMIOSampleBufferGetSequenceNumber(after[0].get()), 3u);
}

namespace {
struct Notice {
  CMIOObjectID stream = 0;
  bool sameBuffer = false;
  bool stillValid = false;
};
void takeAndRelease(CMIOObjectID streamID, void* token, void* refCon) {
  auto* notice = static_cast<std::pair<Notice*, CMSimpleQueueRef>*>(refCon);
  notice->first->stream = streamID;
  // A client that reads at once and lets the buffer go before looking at the token.
  const void* head = CMSimpleQueueDequeue(notice->second);
  notice->first->sameBuffer = head == token;
  (void)adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(head)));
  auto* buffer = static_cast<CMSampleBufferRef>(token);
  notice->first->stillValid = CFGetRetainCount(buffer) >= 1 && CMSampleBufferGetImageBuffer(buffer) != nullptr;
}
}  // namespace

TEST(CMIOStreamBase, TheQueueProcedureGetsTheStreamAndTheBufferItMayAlreadyHaveTaken) {
  SolidStream stream;
  stream.SetObjectID(77);
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  Notice notice;
  std::pair<Notice*, CMSimpleQueueRef> context{&notice, stream.GetQueueLazy()};
  const RefPtr<opaqueCMSimpleQueue> queue = adopt(stream.CopyBufferQueue(takeAndRelease, &context));
  ASSERT_EQ(queue.get(), stream.GetQueueLazy());
  stream.AsyncQueueNextCMSampleBuffer();
  EXPECT_EQ(notice.stream, 77u);
  EXPECT_TRUE(notice.sameBuffer);
  EXPECT_TRUE(notice.stillValid);
  EXPECT_EQ(adopt(stream.CopyBufferQueue(nullptr, nullptr)), queue);
}

TEST(CMIOStreamBase, WhatIsNotAPixelBufferIsDroppedAndReleased) {
  SolidStream stream;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  const RefPtr<const __CFString> notPixels =
      adopt(CFStringCreateWithCString(nullptr, "not pixels", kCFStringEncodingUTF8));
  stream.replacement = RefPtr(bridge_cast<NSObject*>(notPixels.get()));
  stream.AsyncQueueNextCMSampleBuffer();
  EXPECT_EQ(CMSimpleQueueGetCount(stream.GetQueueLazy()), 0);
  EXPECT_EQ(CFGetRetainCount(notPixels.get()), 2) << "the stream's and ours";
}

TEST(CMIOStreamBase, BuffersLeftInTheQueueAreFreedWithTheStream) {
  CVPixelBufferRef pixels = nullptr;
  ASSERT_EQ(CVPixelBufferCreate(nullptr, 8, 8, kCVPixelFormatType_32ARGB, nullptr, &pixels), kCVReturnSuccess);
  const RefPtr<__CVBuffer> heldPixels = adopt(pixels);
  {
    SolidStream stream;
    ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
    stream.replacement = RefPtr(bridge_cast<NSObject*>(pixels));
    stream.AsyncQueueNextCMSampleBuffer();
    stream.AsyncQueueNextCMSampleBuffer();
    ASSERT_EQ(CMSimpleQueueGetCount(stream.GetQueueLazy()), 2);
    EXPECT_GT(CFGetRetainCount(pixels), 2);
  }
  EXPECT_EQ(CFGetRetainCount(pixels), 1) << "the queued sample buffers still hold the frame";
}

// Whether the ticks' timer fired within `intervals` of the stream's ticks from now (see
// TimerSentinel.h); its ticks run on the high-priority global queue.
bool timerPassed(const CMIOStreamBase& stream, int intervals) {
  const auto interval = std::chrono::nanoseconds(CMIOFramePacing::ForRate(stream.mFramesPerSecond).intervalNanoseconds);
  return moxicam::test::waitForTimersDueWithin(interval * intervals,
                                               dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0));
}

TEST(CMIOStreamBase, RepeatedStartsAndStopsAreAbsorbedAndStopStopsTicks) {
  SolidStream stream;
  stream.mFramesPerSecond = 200;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  stream.StopStream();  // stopping a stream that never ran changes nothing
  stream.StartStream();
  stream.StartStream();
  ASSERT_TRUE(eventually([&] { return stream.calls >= 3; }));
  stream.StopStream();
  const int stopped = stream.calls;
  (void)drain(stream);
  // One tick may have been running at the stop; a restart ticks on past it.
  stream.StartStream();
  ASSERT_TRUE(eventually([&] { return stream.calls > stopped + 1; }));
  stream.StopStream();
  const int stoppedAgain = stream.calls;
  ASSERT_TRUE(timerPassed(stream, 10));
  stream.Destruct();  // waits for a tick that is still running
  EXPECT_LE(stream.calls, stoppedAgain + 1) << "a stopped stream went on ticking";
  (void)drain(stream);
}

namespace {
// A stream whose frames take a while, to catch a stream going away under a running tick.
class SlowStream : public SolidStream {
 public:
  CVPixelBufferRef CopyPixelBufferForPresentationTime(CMTime time) override {
    inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    inside = false;
    return SolidStream::CopyPixelBufferForPresentationTime(time);
  }
  std::atomic<bool> inside{false};
};
}  // namespace

TEST(CMIOStreamBase, DestructWaitsForARunningTickAndNoTickFollows) {
  for (bool running : {true, false}) {
    SCOPED_TRACE(running);
    auto stream = std::make_unique<SlowStream>();
    stream->mFramesPerSecond = 100;
    ASSERT_TRUE(stream->Construct(CGSizeMake(8, 8), nullptr));
    stream->StartStream();
    ASSERT_TRUE(eventually([&] { return stream->inside.load(); }));
    if (!running) stream->StopStream();
    stream->Destruct();
    EXPECT_FALSE(stream->inside) << "Destruct returned while a tick was drawing";
    const int calls = stream->calls;
    ASSERT_TRUE(timerPassed(*stream, 6));
    EXPECT_EQ(stream->calls, calls);
    (void)drain(*stream);
  }
}

TEST(CMIOStreamBase, DestructWaitsForATickThatAnAnnouncementRuns) {
  SlowStream stream;
  stream.mFramesPerSecond = 2.5;
  ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
  stream.StartStream();
  ASSERT_TRUE(eventually([&] { return stream.calls == 1 && !stream.inside; }));  // the timer's first tick
  std::thread announcer([&] { stream.FrameAnnounced(); });
  ASSERT_TRUE(eventually([&] { return stream.inside.load(); }));
  stream.Destruct();
  EXPECT_FALSE(stream.inside) << "Destruct returned while an announced tick was drawing";
  announcer.join();
  EXPECT_EQ(stream.calls, 2);
  (void)drain(stream);
}

TEST(CMIOStreamBase, FailuresReportWhatFailed) {
  MessageCollector console;
  struct Case {
    const char* name;
    std::function<void(SolidStream&)> step;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases{
      {"queue and clock of a stream never constructed",
       [](SolidStream& stream) {
         EXPECT_EQ(stream.CopyBufferQueue(nullptr, nullptr), nullptr);
         CFTypeRef clock = nullptr;
         UInt32 used = 0;
         EXPECT_NE(stream.GetPropertyData(address(kCMIOStreamPropertyClock), 0, nullptr, 8, &used, &clock), 0);
         EXPECT_EQ(clock, nullptr);
       },
       {"REQUIRED_CFTYPEREF queueRef==NULL : in CopyBufferQueue", "REQUIRED_CFTYPEREF clockRef==NULL : in "}},
      {"format of a size that has none",
       [](SolidStream& stream) {
         ASSERT_TRUE(stream.Construct(CGSizeMake(-4, -4), nullptr));
         CFArrayRef descriptions = nullptr;
         UInt32 used = 0;
         EXPECT_NE(stream.GetPropertyData(address(kCMIOStreamPropertyFormatDescriptions), 0, nullptr, 8, &used,
                                          &descriptions),
                   0);
         EXPECT_EQ(descriptions, nullptr);
       },
       {" - SRC>>result in ", "REQUIRED_CFTYPEREF formatDescriptionRef==NULL : in "}},
      {"tick after the clock is gone",
       [](SolidStream& stream) {
         ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
         stream.Destruct();
         stream.AsyncQueueNextCMSampleBuffer();
  (void)drain(stream);
       },
       {" - SRC>>CMIOStreamClockPostTimingEvent(presentationTime, mach_absolute_time(), true, _clock) in "}},
      {"queue filled while the frame was made",
       [](SolidStream& stream) {
         stream.mFramesPerSecond = 2.5;
         ASSERT_TRUE(stream.Construct(CGSizeMake(8, 8), nullptr));
         stream.crowd = true;
         stream.AsyncQueueNextCMSampleBuffer();
         EXPECT_EQ(CMSimpleQueueGetCount(stream.GetQueueLazy()), 2);
  (void)drain(stream);
       },
       {" - SRC>>CMSimpleQueueEnqueue(_queue, sampleBufferRef) in "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SolidStream stream;
    console.drain();
    c.step(stream);
    const std::vector<std::string> lines = console.drain();
    for (const std::string& text : c.texts) {
      EXPECT_TRUE(anyLineHas(lines, text)) << "no line with: " << text << "\n" << ::testing::PrintToString(lines);
    }
  }
}
