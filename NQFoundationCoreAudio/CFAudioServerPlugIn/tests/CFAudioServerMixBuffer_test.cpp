// The mix bus (a ring of 16384 stereo frames) and the mix client (the virtual device's clock):
// mixing, clearing ahead and behind, reads that every reader of a cycle shares, and zero
// time stamps under a manual host clock.
#include <gtest/gtest.h>

#include <vector>

#include "CFAudioServerMixBus.h"
#include "CFAudioServerMixClient.h"
#include "HostClock.h"

namespace {

constexpr UInt32 kRing = CFAudioServerMixBus::kMixBufferSize;

// Interleaved stereo frames whose left sample is base + i and right sample -(base + i).
std::vector<Float32> Frames(UInt32 count, Float32 base) {
  std::vector<Float32> frames(2 * count);
  for (UInt32 i = 0; i < count; ++i) {
    frames[2 * i] = base + Float32(i);
    frames[2 * i + 1] = -(base + Float32(i));
  }
  return frames;
}

std::vector<Float32> Read(CFAudioServerMixBus& bus, UInt32 count, UInt64 t, bool silence = false) {
  std::vector<Float32> frames(2 * count, 99.0f);
  bus.ClientReadInput(silence, count, frames.data(), t);
  return frames;
}

TEST(CFAudioServerMixBus, WritesThatCrossTheEndOfTheRingGoOnAtItsStart) {
  CFAudioServerMixBus bus;
  std::vector<Float32> written = Frames(64, 1.0f);
  bus.ClientWriteOutput(false, 1.0f, 64, written.data(), kRing - 32);
  EXPECT_EQ(written, std::vector<Float32>(128, 0.0f)) << "the caller's buffer is cleared";
  EXPECT_EQ(Read(bus, 64, kRing - 32), Frames(64, 1.0f));
  EXPECT_EQ(Read(bus, 64, 2 * kRing - 32), Frames(64, 1.0f)) << "the same slots a ring later";
}

TEST(CFAudioServerMixBus, WritersAddUpAndEveryReaderOfACycleHearsTheSum) {
  CFAudioServerMixBus bus;
  std::vector<Float32> first = Frames(512, 1.0f), second = Frames(512, 1.0f);
  bus.ClientWriteOutput(false, 1.0f, 512, first.data(), 1024);
  bus.ClientWriteOutput(false, 0.5f, 512, second.data(), 1024);
  std::vector<Float32> sum = Frames(512, 1.0f);
  for (Float32& sample : sum) sample *= 1.5f;
  EXPECT_EQ(Read(bus, 512, 1024), sum);
  EXPECT_EQ(Read(bus, 512, 1024), sum) << "a second reader of the same frames hears them too";
}

TEST(CFAudioServerMixBus, SilenceStillClearsAheadAndBehind) {
  CFAudioServerMixBus bus;
  std::vector<Float32> loud = Frames(512, 1.0f);
  // Something half a ring ahead, and at the frames themselves.
  bus.ClientWriteOutputPre(false, 1.0f, 512, loud.data(), 8192);
  bus.ClientWriteOutputPre(false, 1.0f, 512, loud.data(), 0);
  std::vector<Float32> quiet = Frames(512, 5.0f);
  bus.ClientWriteOutput(true, 1.0f, 512, quiet.data(), 0);
  EXPECT_EQ(quiet, std::vector<Float32>(1024, 0.0f));
  EXPECT_EQ(Read(bus, 512, 0), loud) << "a silenced write adds nothing";
  EXPECT_EQ(Read(bus, 512, 8192), std::vector<Float32>(1024, 0.0f)) << "but clears half a ring ahead";

  bus.ClientWriteOutputPre(false, 1.0f, 512, loud.data(), 4096);
  EXPECT_EQ(Read(bus, 512, 4096, true), std::vector<Float32>(1024, 0.0f)) << "a silenced read gives zeros";
  EXPECT_EQ(Read(bus, 512, 4096), loud) << "and leaves the frames to other readers";
}

TEST(CFAudioServerMixBus, FramesNobodyReplacesAreNotHeardARingLater) {
  CFAudioServerMixBus bus;
  std::vector<Float32> once = Frames(512, 1.0f);
  bus.ClientWriteOutputPre(false, 1.0f, 512, once.data(), 0);
  // Readers go on round the ring while nobody writes.
  for (UInt64 t = 0; t < kRing; t += 512) Read(bus, 512, t);
  EXPECT_EQ(Read(bus, 512, kRing), std::vector<Float32>(1024, 0.0f));

  bus.ClientWriteOutputPre(false, 1.0f, 512, once.data(), 0);
  for (UInt64 t = 0; t < kRing; t += 512) bus.ClientReadNoInput(512, t);
  EXPECT_EQ(Read(bus, 512, kRing), std::vector<Float32>(1024, 0.0f))
      << "clearing a read span without reading";
}

TEST(CFAudioServerMixBus, ANullBufferIsReportedAndChangesNothing) {
  CFAudioServerMixBus bus;
  std::vector<Float32> frames = Frames(16, 1.0f);
  bus.ClientWriteOutputPre(false, 1.0f, 16, frames.data(), 0);
  EXPECT_EQ(bus.ClientWriteOutput(false, 1.0f, 16, nullptr, 0), 0);
  EXPECT_EQ(bus.ClientReadInput(false, 16, nullptr, 0), 0);
  EXPECT_EQ(Read(bus, 16, 0), frames);
}

class CFAudioServerMixClientTest : public ::testing::Test {
 protected:
  static constexpr Float64 kTicksPerFrame = 1e9 / 44100;
  AudioServer::ManualHostClock clock;
  CFAudioServerMixClient client;
};

TEST_F(CFAudioServerMixClientTest, CountsRunningClientsAndNeverBelowZero) {
  EXPECT_FALSE(client.GetDeviceIsIORunningWithMutex());
  client.ClientStartMixingIO(1);
  client.ClientStartMixingIO(2);
  EXPECT_EQ(client.GetNumberOfActiveClientsWithMutex(), 2u);
  client.ClientStopMixingIO(1);
  client.ClientStopMixingIO(2);
  client.ClientStopMixingIO(2);
  EXPECT_EQ(client.GetNumberOfActiveClientsWithMutex(), 0u);
  EXPECT_FALSE(client.GetDeviceIsIORunningWithMutex());
}

TEST_F(CFAudioServerMixClientTest, AdvancesOnePeriodPerQueryFromTheAnchor) {
  client.SetDeviceSampleRateWithMutex(44100);
  const uint64_t anchor = clock.now();
  client.ClientStartMixingIO(1);
  Float64 sampleTime = -1;
  UInt64 hostTime = 0;
  client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime);
  EXPECT_EQ(sampleTime, 0.0);
  EXPECT_EQ(hostTime, anchor);

  // Three periods late: one period per query.
  const Float64 period = kTicksPerFrame * 16384;
  clock.set(anchor + uint64_t(3.5 * period));
  for (UInt64 expected = 1; expected <= 3; ++expected) {
    client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime);
    EXPECT_EQ(sampleTime, Float64(expected * 16384));
    EXPECT_EQ(hostTime, UInt64(Float64(anchor) + Float64(expected) * period));
  }
  client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime);
  EXPECT_EQ(sampleTime, 3.0 * 16384) << "caught up";
}

TEST_F(CFAudioServerMixClientTest, EveryNewTimeLineHasANewSeed) {
  client.SetDeviceSampleRateWithMutex(44100);
  Float64 sampleTime = 0;
  UInt64 hostTime = 0, first = 0, second = 0, third = 0, again = 0;
  client.ClientStartMixingIO(1);
  client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime, &first);
  client.ClientStartMixingIO(2);
  client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime, &again);
  EXPECT_EQ(again, first) << "a second client joins the running time line";
  client.ClientStopMixingIO(1);
  client.ClientStopMixingIO(2);
  clock.set(clock.now() + 1'000'000);
  client.ClientStartMixingIO(1);
  client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime, &second);
  EXPECT_NE(second, first) << "a new anchor";
  client.SetDeviceSampleRateWithMutex(48000);
  client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime, &third);
  EXPECT_NE(third, second) << "a new rate";
  client.SetDeviceSampleRateWithMutex(48000);
  client.GetClientZeroTimeStamp(1, &sampleTime, &hostTime, &again);
  EXPECT_EQ(again, third) << "the same rate again changes nothing";
}

}  // namespace
