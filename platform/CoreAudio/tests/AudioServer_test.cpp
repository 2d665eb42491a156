// The audio server core in the test's process, on a manual clock, with simulated devices:
// object ids, the properties it answers above its drivers, clients' I/O cycles and times,
// configuration changes, and devices that come and go.
#include <cmath>

#include "AudioServerTestSupport.h"

using namespace AudioServer;
using namespace AudioServerTest;

namespace {

constexpr uint64_t kSecond = 1'000'000'000;

SimulatedDeviceSpec Mic(Float64 rateScalar = 1.0) {
  SimulatedDeviceSpec spec;
  spec.name = "Simulated Mic";
  spec.uid = "sim-mic";
  spec.inputChannels = 1;
  spec.outputChannels = 0;
  spec.sampleRate = 48000;
  spec.rateScalar = rateScalar;
  spec.toneFrequency = 997;
  return spec;
}

SimulatedDeviceSpec Speaker() {
  SimulatedDeviceSpec spec;
  spec.name = "Simulated Speaker";
  spec.uid = "sim-speaker";
  spec.inputChannels = 0;
  spec.outputChannels = 2;
  spec.sampleRate = 44100;
  return spec;
}

class AudioServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    simulated.addDevice(Mic(micRateScalar));
    simulated.addDevice(Speaker());
    server.addDriver(simulated.driver());
  }

  AudioObjectID Translate(HALClient::Connection& connection, const char* uid) {
    RefPtr<const __CFString> text = adopt(CFStringCreateWithCString(nullptr, uid, kCFStringEncodingUTF8));
    CFStringRef qualifier = text.get();
    AudioObjectID device = 0;
    UInt32 size = sizeof device;
    const AudioObjectPropertyAddress address = Address(kAudioHardwarePropertyTranslateUIDToDevice);
    connection.getPropertyData(kAudioObjectSystemObject, address, sizeof qualifier, &qualifier, &size,
                               &device);
    return device;
  }

  void Advance(uint64_t nanoseconds) { server.advanceClock(clock.now() + nanoseconds); }

  Float64 micRateScalar = 1.0;
  ManualHostClock clock;
  SimulatedDriver simulated;
  Server server{clock};
  RecordingEvents events;
};

TEST_F(AudioServerTest, GivesDriverObjectsIdsOfItsOwnAndTranslatesAnswers) {
  InProcessConnection client(server, nullptr, events);
  const std::vector<AudioObjectID> devices =
      ReadIDs(client, kAudioObjectSystemObject, Address(kAudioHardwarePropertyDevices));
  ASSERT_EQ(devices.size(), 2u);
  const AudioObjectID mic = Translate(client, "sim-mic");
  const AudioObjectID speaker = Translate(client, "sim-speaker");
  EXPECT_EQ(devices, (std::vector<AudioObjectID>{mic, speaker}));
  EXPECT_EQ(Translate(client, "no-such-device"), kAudioObjectUnknown);
  EXPECT_EQ(ReadString(client, mic, kAudioObjectPropertyName), "Simulated Mic");

  // Ids inside answers are the server's: streams, owners, the plug-in.
  const std::vector<AudioObjectID> streams = ReadIDs(client, mic, Address(kAudioDevicePropertyStreams));
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_NE(streams[0], 3u) << "the driver's own number of the stream";
  EXPECT_EQ(Read<UInt32>(client, streams[0], Address(kAudioStreamPropertyDirection)), 1u);
  EXPECT_EQ(Read<AudioObjectID>(client, streams[0], Address(kAudioObjectPropertyOwner)), mic);
  const AudioObjectID plugIn = Read<AudioObjectID>(client, mic, Address(kAudioObjectPropertyOwner));
  EXPECT_EQ(ReadIDs(client, kAudioObjectSystemObject, Address(kAudioHardwarePropertyPlugInList)),
            std::vector<AudioObjectID>{plugIn});
  EXPECT_EQ(Read<AudioObjectID>(client, plugIn, Address(kAudioObjectPropertyOwner)),
            AudioObjectID(kAudioObjectSystemObject));
  EXPECT_EQ(Read<AudioClassID>(client, kAudioObjectSystemObject, Address(kAudioObjectPropertyClass)),
            AudioClassID(kAudioSystemObjectClassID));

  OSStatus status = noErr;
  Read<AudioClassID>(client, 9999, Address(kAudioObjectPropertyClass), &status);
  EXPECT_EQ(status, kAudioHardwareBadObjectError);
  EXPECT_FALSE(client.hasProperty(9999, Address(kAudioObjectPropertyClass)));
}

TEST_F(AudioServerTest, AnswersStreamLayoutBufferSizeAndDefaultsAboveTheDriver) {
  InProcessConnection client(server, nullptr, events);
  const AudioObjectID mic = Translate(client, "sim-mic");
  const AudioObjectID speaker = Translate(client, "sim-speaker");

  struct Layout {
    AudioObjectID device;
    AudioObjectPropertyScope scope;
    UInt32 buffers;
    UInt32 channels;
  };
  for (const Layout& expected :
       {Layout{mic, kAudioObjectPropertyScopeInput, 1, 1}, Layout{mic, kAudioObjectPropertyScopeOutput, 0, 0},
        Layout{speaker, kAudioObjectPropertyScopeOutput, 1, 2}}) {
    UInt32 size = 0;
    const AudioObjectPropertyAddress address =
        Address(kAudioDevicePropertyStreamConfiguration, expected.scope);
    ASSERT_EQ(client.getPropertyDataSize(expected.device, address, 0, nullptr, &size), noErr);
    std::vector<UInt8> data(size);
    ASSERT_EQ(client.getPropertyData(expected.device, address, 0, nullptr, &size, data.data()), noErr);
    const auto* list = reinterpret_cast<const AudioBufferList*>(data.data());
    EXPECT_EQ(list->mNumberBuffers, expected.buffers);
    if (expected.buffers) {
      EXPECT_EQ(list->mBuffers[0].mNumberChannels, expected.channels);
    }
  }
  const auto format = Read<AudioStreamBasicDescription>(
      client, mic, Address(kAudioDevicePropertyStreamFormat, kAudioObjectPropertyScopeInput));
  EXPECT_EQ(format.mSampleRate, 48000.0);
  EXPECT_EQ(format.mChannelsPerFrame, 1u);

  EXPECT_EQ(Read<UInt32>(client, speaker, Address(kAudioDevicePropertyBufferFrameSize)), 512u);
  Boolean settable = false;
  ASSERT_EQ(client.isPropertySettable(speaker, Address(kAudioDevicePropertyBufferFrameSize), &settable),
            noErr);
  EXPECT_TRUE(settable);
  UInt32 frames = 256;
  EXPECT_EQ(client.setPropertyData(speaker, Address(kAudioDevicePropertyBufferFrameSize), 0, nullptr,
                                   sizeof frames, &frames),
            noErr);
  EXPECT_EQ(Read<UInt32>(client, speaker, Address(kAudioDevicePropertyBufferFrameSize)), 256u);
  EXPECT_EQ(events.count(speaker, kAudioDevicePropertyBufferFrameSize), 1u);
  frames = 5;
  EXPECT_EQ(client.setPropertyData(speaker, Address(kAudioDevicePropertyBufferFrameSize), 0, nullptr,
                                   sizeof frames, &frames),
            kAudioHardwareIllegalOperationError);
  EXPECT_EQ(
      client.setPropertyData(speaker, Address(kAudioDevicePropertyBufferFrameSize), 0, nullptr, 2, &frames),
      kAudioHardwareBadPropertySizeError);

  EXPECT_EQ(Read<AudioObjectID>(client, kAudioObjectSystemObject,
                                Address(kAudioHardwarePropertyDefaultInputDevice)),
            mic);
  EXPECT_EQ(Read<AudioObjectID>(client, kAudioObjectSystemObject,
                                Address(kAudioHardwarePropertyDefaultOutputDevice)),
            speaker);
  AudioObjectID noOutputs = mic;
  EXPECT_EQ(
      client.setPropertyData(kAudioObjectSystemObject, Address(kAudioHardwarePropertyDefaultOutputDevice), 0,
                             nullptr, sizeof noOutputs, &noOutputs),
      kAudioHardwareBadDeviceError);
}

TEST_F(AudioServerTest, RunsEachCycleWithTheDeviceTimesAndItsInput) {
  InProcessConnection client(server, nullptr, events);
  const AudioObjectID mic = Translate(client, "sim-mic");
  const SimulatedDeviceSpec spec = Mic();
  std::vector<Float64> nowTimes;
  int wrongSamples = 0;
  CycleHandler handler([&](const AudioTimeStamp& now, const AudioBufferList* input,
                           const AudioTimeStamp& inputTime, AudioBufferList*,
                           const AudioTimeStamp& outputTime) {
    nowTimes.push_back(now.mSampleTime);
    EXPECT_EQ(inputTime.mSampleTime, now.mSampleTime - 512);
    EXPECT_EQ(outputTime.mSampleTime, now.mSampleTime + 512);
    EXPECT_EQ(now.mFlags, kAudioTimeStampSampleHostTimeValid | kAudioTimeStampRateScalarValid);
    ASSERT_EQ(input->mNumberBuffers, 1u);
    ASSERT_EQ(input->mBuffers[0].mDataByteSize, 512 * sizeof(Float32));
    const auto* samples = static_cast<const Float32*>(input->mBuffers[0].mData);
    for (UInt32 i = 0; i < 512; ++i)
      wrongSamples += samples[i] != SimulatedDriver::inputSample(spec, inputTime.mSampleTime + i);
  });
  AudioTimeStamp time{};
  EXPECT_EQ(client.getCurrentTime(mic, &time), kAudioHardwareNotRunningError);
  const uint64_t start = clock.now();
  ASSERT_EQ(client.startIO(mic, &handler), noErr);
  EXPECT_EQ(Read<UInt32>(client, mic, Address(kAudioDevicePropertyDeviceIsRunning)), 1u);
  Advance(kSecond);

  // The first cycle comes once a whole buffer lies before it; then one every 512 frames.
  ASSERT_EQ(nowTimes.size(), 93u);
  for (size_t i = 0; i < nowTimes.size(); ++i) EXPECT_EQ(nowTimes[i], 512.0 * (i + 1));
  EXPECT_EQ(wrongSamples, 0);
  ASSERT_EQ(client.getCurrentTime(mic, &time), noErr);
  // Zero time stamps fall on whole host ticks: the time is exact to a tick.
  EXPECT_NEAR(time.mSampleTime, 48000.0, 1e-3);
  EXPECT_EQ(time.mHostTime, start + kSecond);

  ASSERT_EQ(client.stopIO(mic), noErr);
  Advance(kSecond);
  EXPECT_EQ(nowTimes.size(), 93u) << "no cycle after the client stopped";
  EXPECT_EQ(client.getCurrentTime(mic, &time), kAudioHardwareNotRunningError);
}

class AudioServerFastClockTest : public AudioServerTest {
 protected:
  AudioServerFastClockTest() { micRateScalar = 1.0 - 200e-6; }
};

TEST_F(AudioServerFastClockTest, MeasuresAClockErrorAsTheRateScalar) {
  InProcessConnection client(server, nullptr, events);
  const AudioObjectID mic = Translate(client, "sim-mic");
  AudioTimeStamp last{};
  CycleHandler handler([&](const AudioTimeStamp& now, const AudioBufferList*, const AudioTimeStamp&,
                           AudioBufferList*, const AudioTimeStamp&) { last = now; });
  const uint64_t start = clock.now();
  ASSERT_EQ(client.startIO(mic, &handler), noErr);
  Advance(2 * kSecond);
  EXPECT_NEAR(last.mRateScalar, 1.0 - 200e-6, 1e-9);
  // A clock that runs fast gives more frames per second of host time.
  const Float64 framesPerSecond = last.mSampleTime / (Float64(last.mHostTime - start) / kSecond);
  EXPECT_NEAR(framesPerSecond, 48000 / (1.0 - 200e-6), 0.01);
  client.stopIO(mic);
}

TEST_F(AudioServerTest, MixesWhatClientsPlayAtTheirOutputTime) {
  InProcessConnection first(server, nullptr, events);
  InProcessConnection second(server, CFSTR("com.example.second"), events);
  const AudioObjectID speaker = Translate(first, "sim-speaker");
  auto ramp = [](Float32 scale) {
    return [scale](const AudioTimeStamp&, const AudioBufferList*, const AudioTimeStamp&,
                   AudioBufferList* output, const AudioTimeStamp& outputTime) {
      auto* samples = static_cast<Float32*>(output->mBuffers[0].mData);
      for (UInt32 i = 0; i < 512; ++i)
        samples[2 * i] = samples[2 * i + 1] = scale * Float32(outputTime.mSampleTime + i);
    };
  };
  CycleHandler one(ramp(1.0f)), two(ramp(2.0f));
  ASSERT_EQ(first.startIO(speaker, &one), noErr);
  ASSERT_EQ(second.startIO(speaker, &two), noErr);
  Advance(kSecond / 2);
  ASSERT_GT(one.cycles.load(), 10);
  // The first cycle plays at sample 512 + 512: both clients' frames add up there.
  const std::vector<Float32> played = simulated.played("sim-speaker", 1024, 4096);
  for (UInt32 i = 0; i < played.size(); ++i) ASSERT_EQ(played[i], 3.0f * Float32(1024 + i)) << i;
  EXPECT_EQ(simulated.played("sim-speaker", 0, 1024), std::vector<Float32>(1024, 0.0f));
  first.stopIO(speaker);
  second.stopIO(speaker);
}

TEST_F(AudioServerTest, AConfigurationChangeRestartsIOAndIsTold) {
  InProcessConnection client(server, nullptr, events);
  const AudioObjectID speaker = Translate(client, "sim-speaker");
  const std::vector<AudioObjectID> streams = ReadIDs(client, speaker, Address(kAudioDevicePropertyStreams));
  ASSERT_EQ(streams.size(), 1u);
  std::vector<Float64> nowTimes;
  CycleHandler handler([&](const AudioTimeStamp& now, const AudioBufferList*, const AudioTimeStamp&,
                           AudioBufferList*, const AudioTimeStamp&) { nowTimes.push_back(now.mSampleTime); });
  ASSERT_EQ(client.startIO(speaker, &handler), noErr);
  Advance(kSecond / 2);
  const size_t before = nowTimes.size();

  Float64 rate = 48000;
  ASSERT_EQ(client.setPropertyData(speaker, Address(kAudioDevicePropertyNominalSampleRate), 0, nullptr,
                                   sizeof rate, &rate),
            noErr);
  server.waitForConfigurationChanges();
  EXPECT_EQ(Read<Float64>(client, speaker, Address(kAudioDevicePropertyNominalSampleRate)), 48000.0);
  EXPECT_EQ(events.count(speaker, kAudioDevicePropertyNominalSampleRate), 1u);
  EXPECT_EQ(events.count(streams[0], kAudioStreamPropertyVirtualFormat), 1u);
  EXPECT_EQ(Read<AudioStreamBasicDescription>(client, streams[0], Address(kAudioStreamPropertyVirtualFormat))
                .mSampleRate,
            48000.0);

  // A new time line: the cycles start again from its beginning, at the new rate.
  Advance(kSecond);
  ASSERT_GT(nowTimes.size(), before + 90);
  EXPECT_EQ(nowTimes[before], 512.0);
  EXPECT_EQ(nowTimes.back(), 512.0 * (nowTimes.size() - before));
  client.stopIO(speaker);
}

TEST_F(AudioServerTest, DevicesThatComeAndGoAreToldAndTheirIOStops) {
  InProcessConnection client(server, nullptr, events);
  const AudioObjectID speaker = Translate(client, "sim-speaker");
  CycleHandler handler([](const AudioTimeStamp&, const AudioBufferList*, const AudioTimeStamp&,
                          AudioBufferList*, const AudioTimeStamp&) {});
  ASSERT_EQ(client.startIO(speaker, &handler), noErr);
  Advance(kSecond / 10);

  SimulatedDeviceSpec headphones = Speaker();
  headphones.name = "Simulated Headphones";
  headphones.uid = "sim-headphones";
  simulated.addDevice(headphones);
  server.waitForConfigurationChanges();
  EXPECT_EQ(ReadIDs(client, kAudioObjectSystemObject, Address(kAudioHardwarePropertyDevices)).size(), 3u);
  const AudioObjectID added = Translate(client, "sim-headphones");
  EXPECT_NE(added, kAudioObjectUnknown);

  simulated.removeDevice("sim-speaker");
  server.waitForConfigurationChanges();
  EXPECT_GE(events.count(kAudioObjectSystemObject, kAudioHardwarePropertyDevices), 2u);
  EXPECT_EQ(ReadIDs(client, kAudioObjectSystemObject, Address(kAudioHardwarePropertyDevices)).size(), 2u);
  OSStatus status = noErr;
  Read<AudioClassID>(client, speaker, Address(kAudioObjectPropertyClass), &status);
  EXPECT_EQ(status, kAudioHardwareBadObjectError);
  EXPECT_EQ(Read<AudioObjectID>(client, kAudioObjectSystemObject,
                                Address(kAudioHardwarePropertyDefaultOutputDevice)),
            added);
  EXPECT_GE(events.count(kAudioObjectSystemObject, kAudioHardwarePropertyDefaultOutputDevice), 1u);
  const int cycles = handler.cycles.load();
  Advance(kSecond / 10);
  EXPECT_EQ(handler.cycles.load(), cycles) << "a device that went away runs no more cycles";
}

TEST_F(AudioServerTest, AClientThatLeavesStopsItsIO) {
  auto client = std::make_unique<InProcessConnection>(server, nullptr, events);
  InProcessConnection observer(server, nullptr, events);
  const AudioObjectID mic = Translate(observer, "sim-mic");
  CycleHandler handler([](const AudioTimeStamp&, const AudioBufferList*, const AudioTimeStamp&,
                          AudioBufferList*, const AudioTimeStamp&) {});
  ASSERT_EQ(client->startIO(mic, &handler), noErr);
  EXPECT_EQ(Read<UInt32>(observer, mic, Address(kAudioDevicePropertyDeviceIsRunning)), 1u);
  client.reset();
  EXPECT_EQ(Read<UInt32>(observer, mic, Address(kAudioDevicePropertyDeviceIsRunning)), 0u);
  EXPECT_EQ(Read<UInt32>(observer, mic, Address(kAudioDevicePropertyDeviceIsRunningSomewhere)), 0u);
}

}  // namespace
