// The varispeed node's rules taken one at a time: the offset, the rate and its direction,
// silence before the first input and from a stopped output clock, the level meter, and the
// status texts of the failure lines.
#include <NQCoreAudioGraphNodeUnitVarispeed.h>
#include <NQCoreAudioStatus.h>

#include <cstring>

#include "PlayThroughTestSupport.h"

using namespace PlayThroughTest;
using NQCoreAudio::AudioDeviceClock;
using NQCoreAudio::GraphNodeUnitVarispeed;

namespace {

class Side final : public GraphNodeUnitVarispeed::InputInterface,
                   public GraphNodeUnitVarispeed::OutputInterface {
 public:
  AudioDeviceClock& GetClockInterface() override { return clock; }
  OSStatus Destruct() override { return noErr; }
  AUNode GetAUNode() override { return 0; }
  AudioUnit GetAudioUnit() override { return nullptr; }
  OSStatus GetOutputDesiredSampleRate(Float64 rate, Float64& outRate) override {
    outRate = rate;
    return noErr;
  }
  AudioDeviceClock clock;
};

class VarispeedNodeTest : public SimulatedDevicesTest {
 protected:
  VarispeedNodeTest() { AddDevices(Microphone(), Speaker()); }
  Side input, output;
  GraphNodeUnitVarispeed node{static_cast<GraphNodeUnitVarispeed::InputInterface&>(input),
                              static_cast<GraphNodeUnitVarispeed::OutputInterface&>(output)};
};

AudioTimeStamp Stamp(Float64 sampleTime, Float64 rateScalar = 1.0) {
  AudioTimeStamp stamp{};
  stamp.mSampleTime = sampleTime;
  stamp.mRateScalar = rateScalar;
  stamp.mFlags = kAudioTimeStampSampleTimeValid | kAudioTimeStampRateScalarValid;
  return stamp;
}

TEST_F(VarispeedNodeTest, TheOffsetIsTheLatencyLessTheDifferenceOfTheFirstTimes) {
  input.clock.mSafetyOffsetInFrames = 32;
  input.clock.mBufferSizeInFrames = 512;
  output.clock.mSafetyOffsetInFrames = 24;
  output.clock.mBufferSizeInFrames = 512;
  node.ComputeInToOutSampleOffset(1000.0 - 200.0);
  EXPECT_EQ(node.GetInToOutSampleOffset(), 280);
  node.ComputeInToOutSampleOffset(0);
  EXPECT_EQ(node.GetInToOutSampleOffset(), 1080);
}

TEST_F(VarispeedNodeTest, TheRateFollowsTheClocksAndIsSetOnlyWhenItChanges) {
  ASSERT_EQ(node.ConstructWithDescription(), noErr);
  AudioUnit unit = node.GetAudioUnit();
  ASSERT_EQ(node.SetNewVarispeedRateWithIOClocks(Stamp(0, 1.0), Stamp(0, 1.0)), noErr);
  EXPECT_EQ(node.GetVarispeedRate(), 1.0);
  // The unit is not told an unchanged rate again.
  ASSERT_EQ(AudioUnitSetParameter(unit, kVarispeedParam_PlaybackRate, kAudioUnitScope_Global, 0, 0.5f, 0),
            noErr);
  ASSERT_EQ(node.SetNewVarispeedRateWithIOClocks(Stamp(0, 1.0), Stamp(0, 1.0)), noErr);
  Float32 parameter = 0;
  AudioUnitGetParameter(unit, kVarispeedParam_PlaybackRate, kAudioUnitScope_Global, 0, &parameter);
  EXPECT_EQ(parameter, 0.5f);

  // An input clock that runs fast (fewer host ticks per frame) is played faster.
  ASSERT_EQ(node.SetNewVarispeedRateWithIOClocks(Stamp(0, 0.9998), Stamp(0, 1.0)), noErr);
  EXPECT_NEAR(node.GetVarispeedRate(), 1.0 / 0.9998, 1e-9);
  AudioUnitGetParameter(unit, kVarispeedParam_PlaybackRate, kAudioUnitScope_Global, 0, &parameter);
  EXPECT_NEAR(parameter, 1.0 / 0.9998, 1e-6);

  // A reading of no rate keeps the last one.
  const Float64 last = node.GetVarispeedRate();
  for (const Float64 scalar : {0.0, -1.0, std::nan("")}) {
    EXPECT_EQ(node.SetNewVarispeedRateWithIOClocks(Stamp(0, scalar), Stamp(0, 1.0)), noErr);
    EXPECT_EQ(node.SetNewVarispeedRateWithIOClocks(Stamp(0, 1.0), Stamp(0, scalar)), noErr);
    EXPECT_EQ(node.GetVarispeedRate(), last);
  }
  node.Destruct();
}

TEST_F(VarispeedNodeTest, RendersSilenceUntilThereIsInputAndLeavesAStoppedOutputAlone) {
  const AudioDeviceID microphone = DeviceWithUID("sim-mic");
  input.clock.SetDeviceID(microphone, kAudioObjectPropertyScopeInput);
  output.clock.SetDeviceID(DeviceWithUID("sim-speaker"), kAudioObjectPropertyScopeOutput);
  AudioStreamBasicDescription format{};
  format.mChannelsPerFrame = 1;
  format.mBytesPerFrame = 4;
  ASSERT_EQ(node.CreateInputBufferWithFormatAndBufferSizeInFrames(format, 512), noErr);
  std::vector<Float32> samples(64, 7.0f);
  AudioBufferList list{1, {{1, 64 * 4, samples.data()}}};
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp time = Stamp(100);
  EXPECT_EQ(GraphNodeUnitVarispeed::sAURenderInput(&node, &flags, &time, 0, 64, &list), noErr);
  EXPECT_EQ(samples, std::vector<Float32>(64, 0.0f));

  // With input stored and the input running but not the output: 'stop', list untouched.
  std::atomic<Float32> level{0};
  std::vector<Float32> block(512, 0.25f);
  AudioBufferList blockList{1, {{1, 512 * 4, block.data()}}};
  ASSERT_EQ(node.RenderInputSamples(&blockList, 512, Stamp(1000), level), noErr);
  ASSERT_EQ(AudioDeviceStart(microphone, nullptr), noErr);
  Advance(kSecond / 10);
  std::fill(samples.begin(), samples.end(), 7.0f);
  EXPECT_EQ(GraphNodeUnitVarispeed::sAURenderInput(&node, &flags, &time, 0, 64, &list),
            kAudioHardwareNotRunningError);
  EXPECT_EQ(samples, std::vector<Float32>(64, 7.0f));
  AudioDeviceStop(microphone, nullptr);
}

TEST(GraphNodeUnitVarispeedLevel, MetersEveryEighthSampleOfTheFirstBuffer) {
  std::vector<Float32> samples(512, 100.0f);
  for (size_t i = 0; i < samples.size(); i += 8) samples[i] = 0.5f;
  AudioBufferList list{1, {{1, 512 * 4, samples.data()}}};
  Float32 level = 0;
  ASSERT_TRUE(GraphNodeUnitVarispeed::MeasureLevel(&list, 512, level));
  EXPECT_NEAR(level, 10 * std::log10(0.25), 1e-4);

  // A block too short to meter, and silence, show the floor.
  list.mBuffers[0].mDataByteSize = 4;
  ASSERT_TRUE(GraphNodeUnitVarispeed::MeasureLevel(&list, 1, level));
  EXPECT_EQ(level, GraphNodeUnitVarispeed::kSilenceLevel);
  std::fill(samples.begin(), samples.end(), 0.0f);
  list.mBuffers[0].mDataByteSize = 512 * 4;
  ASSERT_TRUE(GraphNodeUnitVarispeed::MeasureLevel(&list, 512, level));
  EXPECT_EQ(level, GraphNodeUnitVarispeed::kSilenceLevel);
  // No frames leaves the meter as it was.
  EXPECT_FALSE(GraphNodeUnitVarispeed::MeasureLevel(&list, 0, level));
}

TEST(NQCoreAudioStatusText, WritesCodesAsTheirCharactersOrInHexadecimal) {
  struct Case {
    OSStatus status;
    const char* text;
  };
  for (const Case& c : {Case{0, "noErr"},
                        {kAudioHardwareNotRunningError, "'stop'"},
                        {-50, "ffffffce"},
                        {0x01020304, "1020304"}}) {
    EXPECT_EQ(NQCoreAudio::StatusText(c.status), c.text);
  }
}

}  // namespace
