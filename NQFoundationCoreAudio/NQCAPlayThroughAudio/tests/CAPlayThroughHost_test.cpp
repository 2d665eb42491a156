// The play-through on simulated devices under a manual clock: a tone from a fast 48 kHz
// microphone through to a 44.1 kHz speaker for twenty simulated minutes, the graph it builds
// for the devices it is given, and its rebuild when the input's format changes.
#include <CAPlayThroughHost.h>
#include <NQCoreAudioProperties.h>
#include <PollUntil.h>

#include "PlayThroughTestSupport.h"

using namespace PlayThroughTest;
using moxicam::test::pollUntil;

namespace {

class PlayThroughTest : public SimulatedDevicesTest {};

TEST_F(PlayThroughTest, AToneFromAFastMicrophoneArrivesForTwentyMinutes) {
  const Float64 microphoneScalar = 1.0 - 200e-6;
  AddDevices(Microphone(2, microphoneScalar), Speaker(2, 44100));
  const AudioDeviceID microphone = DeviceWithUID("sim-mic");
  const AudioDeviceID speaker = DeviceWithUID("sim-speaker");
  CAPlayThroughHost host(microphone, speaker);
  ASSERT_TRUE(host.HasPlayThrough());
  ASSERT_EQ(host.Start(), noErr);
  ASSERT_TRUE(host.IsRunning());

  // Warm-up, then the offset the reader settled on.
  Advance(kSecond);
  const SInt64 settledOffset = host.GetInToOutSampleOffset();
  Float64 speakerTime = 0;
  {
    const std::vector<Float32> first = simulated.played("sim-speaker", 0, 44100);
    while (speakerTime < first.size() && first[size_t(speakerTime)] == 0.0f) ++speakerTime;
  }
  speakerTime += 22050;  // half a second after sound began
  constexpr int kChunkSeconds = 10;
  for (int elapsed = 0; elapsed < 20 * 60; elapsed += kChunkSeconds) {
    Advance(kChunkSeconds * kSecond);
    // The chunk just played, short of the cycle still under way at its end.
    const UInt32 frames = 44100 * (kChunkSeconds - 1);
    const std::vector<Float32> played = simulated.played("sim-speaker", speakerTime, frames);
    speakerTime += 44100 * kChunkSeconds;
    ASSERT_LT(LongestSilence(played), 44u) << "after " << elapsed << " s";
    // The speaker's clock is nominal and the microphone's runs fast: its tone is heard that
    // much higher.
    ASSERT_NEAR(Frequency(played, 44100), 997 / microphoneScalar, 0.5) << "after " << elapsed << " s";
    // The reader never lost the ring's window, so it never had to find it again.
    ASSERT_EQ(host.GetInToOutSampleOffset(), settledOffset) << "after " << elapsed << " s";
  }
  EXPECT_NEAR(host.GetVarispeedRate(), 1.0 / microphoneScalar, 20e-6);
  EXPECT_LT(host.GetInputLevel(), 0.0f);
  EXPECT_GT(host.GetInputLevel(), -10.0f);
  ASSERT_EQ(host.Stop(), noErr);
  EXPECT_FALSE(host.IsRunning());
}

struct ChannelCase {
  UInt32 input;
  UInt32 output;
  UInt32 graph;
};

class PlayThroughChannelsTest : public SimulatedDevicesTest,
                                public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(PlayThroughChannelsTest, RunsTheFewerChannelsAtEachDevicesRate) {
  const ChannelCase c = GetParam();
  AddDevices(Microphone(c.input), Speaker(c.output, 44100));
  CAPlayThroughHost host(DeviceWithUID("sim-mic"), DeviceWithUID("sim-speaker"));
  ASSERT_TRUE(host.HasPlayThrough());
  AudioStreamBasicDescription captured{}, played{};
  ASSERT_EQ(NQCoreAudio::UnitGetProperty(host.GetInputAudioUnit(), kAudioUnitProperty_StreamFormat,
                                         kAudioUnitScope_Output, 1, captured),
            noErr);
  ASSERT_EQ(NQCoreAudio::UnitGetProperty(host.GetOutputAudioUnit(), kAudioUnitProperty_StreamFormat,
                                         kAudioUnitScope_Input, 0, played),
            noErr);
  EXPECT_EQ(captured.mChannelsPerFrame, c.graph);
  EXPECT_EQ(played.mChannelsPerFrame, c.graph);
  EXPECT_EQ(captured.mSampleRate, 48000);
  EXPECT_EQ(played.mSampleRate, 44100);
}

INSTANTIATE_TEST_SUITE_P(Devices, PlayThroughChannelsTest,
                         ::testing::Values(ChannelCase{2, 8, 2}, ChannelCase{8, 2, 2}, ChannelCase{1, 2, 1}));

TEST_F(PlayThroughTest, StartsAndStopsOnceAndBuildsNothingWithoutADevice) {
  AddDevices(Microphone(), Speaker());
  const AudioDeviceID microphone = DeviceWithUID("sim-mic");
  const AudioDeviceID speaker = DeviceWithUID("sim-speaker");
  CAPlayThroughHost empty(0, 0);
  EXPECT_FALSE(empty.HasPlayThrough());
  EXPECT_EQ(empty.CreatePlayThrough(microphone, 0), noErr);
  EXPECT_FALSE(empty.HasPlayThrough());
  EXPECT_EQ(empty.Start(), noErr);
  EXPECT_EQ(empty.GetInputLevel(), 0.0f);
  EXPECT_EQ(empty.GetOutputAudioUnit(), nullptr);

  CAPlayThroughHost host(microphone, speaker);
  EXPECT_EQ(host.Stop(), noErr);
  EXPECT_EQ(host.Start(), noErr);
  EXPECT_EQ(host.Start(), noErr);
  EXPECT_TRUE(host.IsRunning());
  Advance(kSecond / 2);
  host.DeletePlayThrough();
  EXPECT_FALSE(host.HasPlayThrough());
  // Nothing plays once it is gone.
  Advance(kSecond / 10);
  const std::vector<Float32> after = simulated.played("sim-speaker", 44100, 4410);
  EXPECT_EQ(LongestSilence(after), after.size());
}

TEST_F(PlayThroughTest, AFailedBuildIsReportedAndKeepsNothing) {
  AddDevices(Microphone(), Speaker());
  CAPlayThroughHost host(0, 0);
  // A device id that names no device: the input unit cannot be bound to it.
  EXPECT_NE(host.CreatePlayThrough(9999, DeviceWithUID("sim-speaker")), noErr);
  EXPECT_FALSE(host.HasPlayThrough());
  EXPECT_FALSE(host.IsRunning());
}

struct RebuildCase {
  bool running;
};

class PlayThroughRebuildTest : public SimulatedDevicesTest,
                               public ::testing::WithParamInterface<RebuildCase> {};

TEST_P(PlayThroughRebuildTest, AFormatChangeRebuildsItAsItWas) {
  AddDevices(Microphone(), Speaker());
  const AudioDeviceID microphone = DeviceWithUID("sim-mic");
  CAPlayThroughHost host(microphone, DeviceWithUID("sim-speaker"));
  if (GetParam().running) {
    ASSERT_EQ(host.Start(), noErr);
    Advance(kSecond / 2);
  }
  const Float64 rate = 44100;
  const AudioObjectPropertyAddress nominalRate = Address(kAudioDevicePropertyNominalSampleRate);
  ASSERT_EQ(AudioObjectSetPropertyData(microphone, &nominalRate, 0, nullptr, sizeof rate, &rate), noErr);
  server.waitForConfigurationChanges();
  // The units are read under the host's lock only: a second notification of the same change
  // may rebuild them again while the test looks.
  ASSERT_TRUE(pollUntil([&] { return host.FollowsDeviceFormats(); }));
  EXPECT_EQ(host.IsRunning(), GetParam().running);
  EXPECT_EQ(host.GetInputDeviceID(), microphone);
  if (!GetParam().running) return;
  // The sound goes on.
  Advance(2 * kSecond);
  const std::vector<Float32> played = simulated.played("sim-speaker", 44100 * 1.5, 22050);
  EXPECT_LT(LongestSilence(played), 44u);
  EXPECT_NEAR(Frequency(played, 44100), 997, 3);
}

INSTANTIATE_TEST_SUITE_P(States, PlayThroughRebuildTest,
                         ::testing::Values(RebuildCase{true}, RebuildCase{false}));

}  // namespace
