// The time-stamped ring: capacity, stores and fetches across its edges (wrap, overrun,
// underrun, gaps, time going back), and one writer and one reader on two threads.
#include <CARingBuffer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr UInt32 kBytesPerFrame = sizeof(Float32);

// A list of de-interleaved float channels, each frames long.
class Channels {
 public:
  Channels(UInt32 channels, UInt32 frames)
      : mSamples(channels, std::vector<Float32>(frames)),
        mStorage(AudioBufferListSize(channels)),
        mList(reinterpret_cast<AudioBufferList*>(mStorage.data())) {
    mList->mNumberBuffers = channels;
    for (UInt32 i = 0; i < channels; ++i)
      mList->mBuffers[i] = {1, frames * kBytesPerFrame, mSamples[i].data()};
  }
  // Each sample is its sample time plus 0.5 in channel 1, negated in channel 2.
  void FillWithTimes(SampleTime start) {
    for (size_t c = 0; c < mSamples.size(); ++c)
      for (size_t i = 0; i < mSamples[c].size(); ++i)
        mSamples[c][i] = (c % 2 ? -1.0f : 1.0f) * (Float32(start + SampleTime(i)) + 0.5f);
  }
  void Poison() {
    for (auto& channel : mSamples) std::fill(channel.begin(), channel.end(), -999.0f);
  }
  AudioBufferList* list() { return mList; }
  Float32 at(size_t channel, size_t frame) const { return mSamples[channel][frame]; }

 private:
  std::vector<std::vector<Float32>> mSamples;
  std::vector<UInt8> mStorage;
  AudioBufferList* mList;
};

Float32 Expected(size_t channel, SampleTime time) {
  return (channel % 2 ? -1.0f : 1.0f) * (Float32(time) + 0.5f);
}

struct CapacityCase {
  UInt32 requested;
  UInt32 capacity;
};

TEST(CARingBufferTest, RoundsTheCapacityUpToAPowerOfTwo) {
  for (const CapacityCase& c : {CapacityCase{10240, 16384}, {16384, 16384}, {0, 1}, {1, 1}, {3, 4}}) {
    CARingBuffer ring;
    ring.Allocate(2, kBytesPerFrame, c.requested);
    EXPECT_EQ(ring.GetCapacityFrames(), c.capacity) << c.requested;
    SampleTime start = -1, end = -1;
    EXPECT_EQ(ring.ReadTimeBounds(start, end), kCARingBufferError_OK);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
  }
}

TEST(CARingBufferTest, StoresUpToItsCapacityAndRefusesMore) {
  CARingBuffer ring;
  ring.Allocate(2, kBytesPerFrame, 1024);
  Channels block(2, 1025);
  block.FillWithTimes(0);
  EXPECT_EQ(ring.Store(block.list(), 1025, 0), kCARingBufferError_FramesExceedCapacity);
  SampleTime start = -1, end = -1;
  ring.ReadTimeBounds(start, end);
  EXPECT_EQ(end, 0);
  EXPECT_EQ(ring.Store(block.list(), 1024, 0), kCARingBufferError_OK);
  ring.ReadTimeBounds(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 1024);
  EXPECT_EQ(ring.Store(block.list(), 0, 5000), kCARingBufferError_OK);
  ring.ReadTimeBounds(start, end);
  EXPECT_EQ(end, 1024);
}

TEST(CARingBufferTest, FetchesWhatWasStored) {
  CARingBuffer ring;
  ring.Allocate(2, kBytesPerFrame, 2048);
  Channels in(2, 512), out(2, 512);
  in.FillWithTimes(0);
  ASSERT_EQ(ring.Store(in.list(), 512, 0), kCARingBufferError_OK);
  ASSERT_EQ(ring.Fetch(out.list(), 512, 0), kCARingBufferError_OK);
  for (size_t c = 0; c < 2; ++c) {
    EXPECT_EQ(out.list()->mBuffers[c].mDataByteSize, 512 * kBytesPerFrame);
    for (size_t i = 0; i < 512; i += 37) EXPECT_EQ(out.at(c, i), Expected(c, SampleTime(i)));
  }
}

TEST(CARingBufferTest, GivesSilenceWhereTheRangeEnds) {
  CARingBuffer ring;
  ring.Allocate(2, kBytesPerFrame, 2048);
  Channels in(2, 512);
  in.FillWithTimes(1000);
  ASSERT_EQ(ring.Store(in.list(), 512, 1000), kCARingBufferError_OK);

  // Wholly after the range: silence, sizes as they were.
  Channels after(2, 512);
  after.Poison();
  after.list()->mBuffers[0].mDataByteSize = 256 * kBytesPerFrame;
  ASSERT_EQ(ring.Fetch(after.list(), 256, 4000), kCARingBufferError_OK);
  EXPECT_EQ(after.list()->mBuffers[0].mDataByteSize, 256 * kBytesPerFrame);
  EXPECT_EQ(after.list()->mBuffers[1].mDataByteSize, 512 * kBytesPerFrame);
  for (size_t i = 0; i < 256; ++i) EXPECT_EQ(after.at(1, i), 0.0f);
  EXPECT_EQ(after.at(0, 256), -999.0f);

  // Over the start of the range: silence for the missing head, then the frames; the sizes
  // cover every frame written, silence included.
  Channels head(2, 512);
  head.Poison();
  ASSERT_EQ(ring.Fetch(head.list(), 512, 900), kCARingBufferError_OK);
  for (size_t c = 0; c < 2; ++c) {
    EXPECT_EQ(head.list()->mBuffers[c].mDataByteSize, 512 * kBytesPerFrame);
    EXPECT_EQ(head.at(c, 99), 0.0f);
    EXPECT_EQ(head.at(c, 100), Expected(c, 1000));
    EXPECT_EQ(head.at(c, 511), Expected(c, 1411));
  }

  // Over the end: the frames, then silence.
  Channels tail(2, 512);
  tail.Poison();
  ASSERT_EQ(ring.Fetch(tail.list(), 512, 1400), kCARingBufferError_OK);
  EXPECT_EQ(tail.at(0, 111), Expected(0, 1511));
  EXPECT_EQ(tail.at(0, 112), 0.0f);
  EXPECT_EQ(tail.at(1, 511), 0.0f);

  // A negative time reads from 0.
  Channels negative(1, 16);
  negative.Poison();
  ASSERT_EQ(ring.Fetch(negative.list(), 16, -50), kCARingBufferError_OK);
  EXPECT_EQ(negative.at(0, 0), 0.0f);
}

TEST(CARingBufferTest, FillsGapsAndStartsOverWhenTimeGoesBack) {
  CARingBuffer ring;
  ring.Allocate(1, kBytesPerFrame, 1024);
  Channels block(1, 128);
  block.FillWithTimes(0);
  ASSERT_EQ(ring.Store(block.list(), 128, 0), kCARingBufferError_OK);
  // Stale frames at the gap's offsets are silenced.
  Channels stale(1, 1024);
  stale.FillWithTimes(-5000);
  CARingBuffer primed;
  primed.Allocate(1, kBytesPerFrame, 1024);
  ASSERT_EQ(primed.Store(stale.list(), 1024, 0), kCARingBufferError_OK);
  block.FillWithTimes(1100);
  ASSERT_EQ(primed.Store(block.list(), 128, 1100), kCARingBufferError_OK);
  Channels out(1, 200);
  ASSERT_EQ(primed.Fetch(out.list(), 200, 1024), kCARingBufferError_OK);
  EXPECT_EQ(out.at(0, 0), 0.0f);
  EXPECT_EQ(out.at(0, 75), 0.0f);
  EXPECT_EQ(out.at(0, 76), Expected(0, 1100));

  // An earlier store empties the range at that time.
  block.FillWithTimes(64);
  ASSERT_EQ(ring.Store(block.list(), 128, 64), kCARingBufferError_OK);
  SampleTime start = 0, end = 0;
  ring.ReadTimeBounds(start, end);
  EXPECT_EQ(start, 64);
  EXPECT_EQ(end, 192);
}

TEST(CARingBufferTest, KeepsOneCapacityAndWrapsInBothDirections) {
  CARingBuffer ring;
  ring.Allocate(2, kBytesPerFrame, 1024);
  Channels block(2, 300);
  SampleTime time = 0;
  for (int i = 0; i < 9; ++i, time += 300) {
    block.FillWithTimes(time);
    ASSERT_EQ(ring.Store(block.list(), 300, time), kCARingBufferError_OK);
  }
  SampleTime start = 0, end = 0;
  ring.ReadTimeBounds(start, end);
  EXPECT_EQ(end, 2700);
  EXPECT_EQ(end - start, 1024);

  // A read across the storage's end (offsets 1000 to 1024 and 0 on).
  Channels out(2, 300);
  const SampleTime across = 2048 + 1000;
  ASSERT_EQ(ring.Fetch(out.list(), 300, across - 1024), kCARingBufferError_OK);
  for (size_t c = 0; c < 2; ++c)
    for (size_t i = 0; i < 300; ++i) ASSERT_EQ(out.at(c, i), Expected(c, across - 1024 + SampleTime(i))) << i;

  // Frames older than the range are silence.
  ASSERT_EQ(ring.Fetch(out.list(), 300, start - 100), kCARingBufferError_OK);
  EXPECT_EQ(out.at(0, 99), 0.0f);
  EXPECT_EQ(out.at(0, 100), Expected(0, start));
}

TEST(CARingBufferTest, OneWriterAndOneReaderNeverSeeATornRange) {
  CARingBuffer ring;
  ring.Allocate(1, kBytesPerFrame, 4096);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    Channels block(1, 64);
    for (SampleTime time = 0; time < 64 * 4000; time += 64) {
      block.FillWithTimes(time);
      ring.Store(block.list(), 64, time);
    }
    done = true;
  });
  Channels out(1, 64);
  int wrong = 0;
  while (!done) {
    SampleTime start = 0, end = 0;
    if (ring.ReadTimeBounds(start, end) != kCARingBufferError_OK) continue;
    ASSERT_LE(end - start, 4096);
    if (end - start < 256) continue;
    out.list()->mBuffers[0].mDataByteSize = 64 * kBytesPerFrame;
    if (ring.Fetch(out.list(), 64, end - 128) != kCARingBufferError_OK) continue;
    for (size_t i = 0; i < 64; ++i) {
      const Float32 sample = out.at(0, i);
      wrong += sample != 0.0f && sample != Expected(0, end - 128 + SampleTime(i));
    }
  }
  writer.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
