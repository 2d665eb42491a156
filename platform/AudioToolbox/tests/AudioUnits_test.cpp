// The audio units on simulated devices under a manual clock: the hardware unit's input and
// output elements, its formats and channel maps, the varispeed converter in a graph, and the
// graph's life.
#include <AudioToolbox/AudioToolbox.h>

#include <cmath>

#include "AudioServerTestSupport.h"

using namespace AudioServer;
using namespace AudioServerTest;

namespace {

constexpr uint64_t kSecond = 1'000'000'000;
constexpr AudioComponentDescription kHALOutput{kAudioUnitType_Output, kAudioUnitSubType_HALOutput,
                                               kAudioUnitManufacturer_Apple, 0, 0};
constexpr AudioComponentDescription kVarispeed{kAudioUnitType_FormatConverter, kAudioUnitSubType_Varispeed,
                                               kAudioUnitManufacturer_Apple, 0, 0};
constexpr AudioComponentDescription kDefaultOutput{kAudioUnitType_Output, kAudioUnitSubType_DefaultOutput,
                                                   kAudioUnitManufacturer_Apple, 0, 0};

SimulatedDeviceSpec Mic() {
  SimulatedDeviceSpec spec;
  spec.name = "Mic";
  spec.uid = "sim-mic";
  spec.inputChannels = 2;
  spec.outputChannels = 0;
  spec.sampleRate = 48000;
  spec.toneFrequency = 1000;
  return spec;
}

SimulatedDeviceSpec Speaker(Float64 rate) {
  SimulatedDeviceSpec spec;
  spec.name = "Speaker";
  spec.uid = "sim-speaker";
  spec.inputChannels = 0;
  spec.outputChannels = 2;
  spec.sampleRate = rate;
  return spec;
}

AudioUnit NewUnit(const AudioComponentDescription& description) {
  AudioUnit unit = nullptr;
  EXPECT_EQ(AudioComponentInstanceNew(AudioComponentFindNext(nullptr, &description), &unit), noErr);
  return unit;
}

template <class T>
OSStatus Set(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
             const T& value) {
  return AudioUnitSetProperty(unit, id, scope, element, &value, sizeof value);
}

template <class T>
T Get(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element) {
  T value{};
  UInt32 size = sizeof value;
  EXPECT_EQ(AudioUnitGetProperty(unit, id, scope, element, &value, &size), noErr);
  return value;
}

// Zero crossings upward per second of a played channel.
double Frequency(const std::vector<Float32>& samples, Float64 rate) {
  int crossings = 0;
  size_t first = 0, last = 0;
  for (size_t i = 1; i < samples.size(); ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) {
      if (!crossings) first = i;
      last = i;
      ++crossings;
    }
  }
  return crossings > 1 ? (crossings - 1) * rate / double(last - first) : 0;
}

class AudioUnitsTest : public ::testing::Test {
 protected:
  explicit AudioUnitsTest(Float64 speakerRate = 48000) {
    simulated.addDevice(Mic());
    simulated.addDevice(Speaker(speakerRate));
    server.addDriver(simulated.driver());
  }
  ~AudioUnitsTest() override { AudioHardwareUnload(); }

  static AudioDeviceID Device(const char* uid) {
    CFStringRef text = CFStringCreateWithCString(nullptr, uid, kCFStringEncodingUTF8);
    AudioDeviceID device = 0;
    UInt32 size = sizeof device;
    const AudioObjectPropertyAddress address = Address(kAudioHardwarePropertyTranslateUIDToDevice);
    AudioObjectGetPropertyData(kAudioObjectSystemObject, &address, sizeof text, &text, &size, &device);
    CFRelease(text);
    return device;
  }

  void Advance(uint64_t nanoseconds) { server.advanceClock(clock.now() + nanoseconds); }

  // Where the speaker's played audio begins, and the second after it.
  std::vector<Float32> PlayedSecond(Float64 rate) {
    const std::vector<Float32> all = simulated.played("sim-speaker", 0, UInt32(rate * 2));
    size_t start = 0;
    while (start < all.size() && all[start] == 0.0f) ++start;
    const size_t end = std::min(all.size(), start + size_t(rate));
    return std::vector<Float32>(all.begin() + long(start), all.begin() + long(end));
  }

  ManualHostClock clock;
  SimulatedDriver simulated;
  Server server{clock};
  InProcessHAL hal{server, CFSTR("com.example.units")};
};

struct Captured {
  AudioUnit unit = nullptr;
  std::vector<Float32> left;
  std::vector<Float64> times;
  OSStatus status = noErr;
};

OSStatus CaptureInput(void* context, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                      UInt32 bus, UInt32 frames, AudioBufferList*) {
  auto* captured = static_cast<Captured*>(context);
  std::vector<Float32> left(frames), right(frames);
  std::vector<UInt8> storage(AudioBufferListSize(2));
  auto* list = reinterpret_cast<AudioBufferList*>(storage.data());
  list->mNumberBuffers = 2;
  list->mBuffers[0] = {1, frames * 4, left.data()};
  list->mBuffers[1] = {1, frames * 4, right.data()};
  captured->status = AudioUnitRender(captured->unit, flags, time, bus, frames, list);
  captured->left.insert(captured->left.end(), left.begin(), left.end());
  captured->times.push_back(time->mSampleTime);
  return captured->status;
}

TEST_F(AudioUnitsTest, TheHardwareUnitCapturesItsDeviceWithDeviceTimes) {
  Captured captured;
  captured.unit = NewUnit(kHALOutput);
  const AudioDeviceID mic = Device("sim-mic");
  ASSERT_EQ(Set(captured.unit, kAudioOutputUnitProperty_EnableIO, kAudioUnitScope_Input, 1, UInt32(1)),
            noErr);
  ASSERT_EQ(Set(captured.unit, kAudioOutputUnitProperty_EnableIO, kAudioUnitScope_Output, 0, UInt32(0)),
            noErr);
  ASSERT_EQ(Set(captured.unit, kAudioOutputUnitProperty_CurrentDevice, kAudioUnitScope_Global, 0, mic),
            noErr);
  ASSERT_EQ(Set(captured.unit, kAudioOutputUnitProperty_StartTimestampsAtZero, kAudioUnitScope_Global, 0,
                UInt32(0)),
            noErr);
  ASSERT_EQ(Set(captured.unit, kAudioOutputUnitProperty_SetInputCallback, kAudioUnitScope_Global, 0,
                AURenderCallbackStruct{CaptureInput, &captured}),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(captured.unit), noErr);
  EXPECT_EQ(Get<UInt32>(captured.unit, kAudioOutputUnitProperty_IsRunning, kAudioUnitScope_Global, 0), 0u);
  ASSERT_EQ(AudioOutputUnitStart(captured.unit), noErr);
  EXPECT_EQ(Get<UInt32>(captured.unit, kAudioOutputUnitProperty_IsRunning, kAudioUnitScope_Global, 0), 1u);
  Advance(kSecond / 10);
  // What runs is not reconfigured under the I/O thread.
  EXPECT_EQ(Set(captured.unit, kAudioOutputUnitProperty_EnableIO, kAudioUnitScope_Input, 1, UInt32(0)),
            kAudioUnitErr_CannotDoInCurrentContext);
  ASSERT_EQ(AudioOutputUnitStop(captured.unit), noErr);

  ASSERT_GT(captured.times.size(), 2u);
  EXPECT_EQ(captured.status, noErr);
  const Float64 firstTime = captured.times[0];
  for (size_t i = 0; i < 512; i += 31)
    EXPECT_FLOAT_EQ(captured.left[i], SimulatedDriver::inputSample(Mic(), firstTime + Float64(i))) << i;
  EXPECT_EQ(captured.times[1] - captured.times[0], Float64(captured.left.size() / captured.times.size()));
  AudioComponentInstanceDispose(captured.unit);
}

TEST_F(AudioUnitsTest, AnswersFormatsAndMapsAndRefusesWhatItCannotDo) {
  AudioUnit unit = NewUnit(kHALOutput);
  ASSERT_EQ(
      Set(unit, kAudioOutputUnitProperty_CurrentDevice, kAudioUnitScope_Global, 0, Device("sim-speaker")),
      noErr);
  // The device side is answered, the client side is set.
  struct Writability {
    AudioUnitScope scope;
    AudioUnitElement element;
    bool writable;
  };
  for (const Writability& c : {Writability{kAudioUnitScope_Input, 0, true},
                               {kAudioUnitScope_Output, 0, false},
                               {kAudioUnitScope_Input, 1, false},
                               {kAudioUnitScope_Output, 1, true}}) {
    UInt32 size = 0;
    Boolean writable = !c.writable;
    ASSERT_EQ(
        AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_StreamFormat, c.scope, c.element, &size, &writable),
        noErr);
    EXPECT_EQ(size, sizeof(AudioStreamBasicDescription));
    EXPECT_EQ(bool(writable), c.writable) << c.scope << "/" << c.element;
  }
  const auto device =
      Get<AudioStreamBasicDescription>(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0);
  EXPECT_EQ(device.mSampleRate, 48000);
  EXPECT_EQ(device.mChannelsPerFrame, 2u);

  AudioStreamBasicDescription mono = device;
  mono.mChannelsPerFrame = 1;
  EXPECT_EQ(Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, mono), noErr);
  // One client channel plays on the first device channel only.
  UInt32 size = 0;
  ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioOutputUnitProperty_ChannelMap, kAudioUnitScope_Output, 0,
                                     &size, nullptr),
            noErr);
  ASSERT_EQ(size, 8u);
  SInt32 map[2] = {};
  ASSERT_EQ(
      AudioUnitGetProperty(unit, kAudioOutputUnitProperty_ChannelMap, kAudioUnitScope_Output, 0, map, &size),
      noErr);
  EXPECT_EQ(map[0], 0);
  EXPECT_EQ(map[1], -1);

  AudioStreamBasicDescription otherRate = device;
  otherRate.mSampleRate = 44100;
  EXPECT_EQ(Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, otherRate),
            kAudioUnitErr_FormatNotSupported);
  AudioStreamBasicDescription interleaved = device;
  interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
  EXPECT_EQ(Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, interleaved),
            kAudioUnitErr_FormatNotSupported);
  EXPECT_EQ(Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, device),
            kAudioUnitErr_PropertyNotWritable);
  EXPECT_EQ(Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, device),
            kAudioUnitErr_InvalidScope);
  EXPECT_EQ(Set(unit, kAudioOutputUnitProperty_CurrentDevice, kAudioUnitScope_Global, 0, UInt32(9999)),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(AudioUnitSetParameter(unit, kHALOutputParam_Volume, kAudioUnitScope_Output, 0, 2.0f, 0),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioOutputUnitStart(unit), kAudioUnitErr_Uninitialized);
  // The device's buffer size reads through the unit.
  EXPECT_EQ(Get<UInt32>(unit, kAudioDevicePropertyBufferFrameSize, kAudioUnitScope_Global, 0), 512u);
  AudioComponentInstanceDispose(unit);

  // Rendering the input element asks for no more frames than were captured.
  AudioUnit input = NewUnit(kHALOutput);
  ASSERT_EQ(Set(input, kAudioOutputUnitProperty_EnableIO, kAudioUnitScope_Input, 1, UInt32(1)), noErr);
  Float32 sample = 0;
  AudioBufferList list{1, {{1, 4, &sample}}};
  AudioTimeStamp time{};
  EXPECT_EQ(AudioUnitRender(input, nullptr, &time, 1, 1, &list), kAudioUnitErr_TooManyFramesToProcess);
  AudioComponentInstanceDispose(input);
}

struct Tone {
  Float64 frequency;
  Float64 rate;
  std::vector<Float64> times;
};

OSStatus RenderTone(void* context, AudioUnitRenderActionFlags*, const AudioTimeStamp* time, UInt32,
                    UInt32 frames, AudioBufferList* data) {
  auto* tone = static_cast<Tone*>(context);
  tone->times.push_back(time->mSampleTime);
  for (UInt32 c = 0; c < data->mNumberBuffers; ++c) {
    auto* samples = static_cast<Float32*>(data->mBuffers[c].mData);
    for (UInt32 i = 0; i < frames; ++i)
      samples[i] = Float32(0.5 * std::sin(2 * M_PI * tone->frequency * (time->mSampleTime + i) / tone->rate));
  }
  return noErr;
}

class VarispeedGraphTest : public AudioUnitsTest {
 protected:
  VarispeedGraphTest() : AudioUnitsTest(44100) {}
};

TEST_F(VarispeedGraphTest, AGraphConvertsTheRateOnTheWayToTheDevice) {
  AUGraph graph = nullptr;
  ASSERT_EQ(NewAUGraph(&graph), noErr);
  ASSERT_EQ(AUGraphOpen(graph), noErr);
  AUNode varispeedNode = 0, outputNode = 0;
  ASSERT_EQ(AUGraphAddNode(graph, &kVarispeed, &varispeedNode), noErr);
  ASSERT_EQ(AUGraphAddNode(graph, &kDefaultOutput, &outputNode), noErr);
  AudioUnit varispeed = nullptr, output = nullptr;
  ASSERT_EQ(AUGraphNodeInfo(graph, varispeedNode, nullptr, &varispeed), noErr);
  ASSERT_EQ(AUGraphNodeInfo(graph, outputNode, nullptr, &output), noErr);
  ASSERT_EQ(AUGraphConnectNodeInput(graph, varispeedNode, 0, outputNode, 0), noErr);
  EXPECT_EQ(AUGraphConnectNodeInput(graph, varispeedNode, 0, 77, 0), kAUGraphErr_NodeNotFound);

  AudioStreamBasicDescription format =
      Get<AudioStreamBasicDescription>(output, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0);
  ASSERT_EQ(format.mSampleRate, 44100);
  ASSERT_EQ(Set(output, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, format), noErr);
  ASSERT_EQ(Set(varispeed, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format), noErr);
  format.mSampleRate = 48000;
  ASSERT_EQ(Set(varispeed, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, format), noErr);
  Tone tone{1000, 48000, {}};
  ASSERT_EQ(Set(varispeed, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Global, 0,
                AURenderCallbackStruct{RenderTone, &tone}),
            noErr);
  ASSERT_EQ(
      AudioUnitSetParameter(varispeed, kVarispeedParam_PlaybackRate, kAudioUnitScope_Global, 0, 1.0f, 0),
      noErr);
  ASSERT_EQ(AUGraphInitialize(graph), noErr);
  ASSERT_EQ(AUGraphStart(graph), noErr);
  Boolean running = false;
  AUGraphIsRunning(graph, &running);
  EXPECT_TRUE(running);
  Advance(3 * kSecond);
  ASSERT_EQ(AUGraphStop(graph), noErr);
  AUGraphIsRunning(graph, &running);
  EXPECT_FALSE(running);

  // 48 kHz in, 44.1 kHz out: the tone keeps its pitch, and the input's times count the
  // input frames taken.
  EXPECT_NEAR(Frequency(PlayedSecond(44100), 44100), 1000, 1);
  ASSERT_GT(tone.times.size(), 10u);
  for (size_t i = 1; i < tone.times.size(); ++i) ASSERT_EQ(tone.times[i] - tone.times[i - 1], 128) << i;
  const Float64 taken = tone.times.back() - tone.times.front();
  EXPECT_NEAR(taken / 3.0, 48000, 2000);
  ASSERT_EQ(DisposeAUGraph(graph), noErr);
}

TEST_F(VarispeedGraphTest, ThePlaybackRateChangesThePitch) {
  AudioUnit varispeed = NewUnit(kVarispeed);
  AudioStreamBasicDescription format =
      Get<AudioStreamBasicDescription>(varispeed, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0);
  format.mSampleRate = 48000;
  format.mChannelsPerFrame = 1;
  ASSERT_EQ(Set(varispeed, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, format), noErr);
  ASSERT_EQ(Set(varispeed, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format), noErr);
  Tone tone{1000, 48000, {}};
  ASSERT_EQ(Set(varispeed, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                AURenderCallbackStruct{RenderTone, &tone}),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(varispeed), noErr);
  EXPECT_EQ(
      AudioUnitSetParameter(varispeed, kVarispeedParam_PlaybackRate, kAudioUnitScope_Global, 0, 0.0f, 0),
      kAudioUnitErr_InvalidPropertyValue);
  ASSERT_EQ(
      AudioUnitSetParameter(varispeed, kVarispeedParam_PlaybackRate, kAudioUnitScope_Global, 0, 1.25f, 0),
      noErr);
  std::vector<Float32> out;
  std::vector<Float32> block(512);
  AudioBufferList list{1, {{1, 512 * 4, block.data()}}};
  AudioTimeStamp time{};
  time.mSampleTime = 1000;
  for (int i = 0; i < 200; ++i, time.mSampleTime += 512) {
    list.mBuffers[0].mDataByteSize = 512 * 4;
    ASSERT_EQ(AudioUnitRender(varispeed, nullptr, &time, 0, 512, &list), noErr);
    out.insert(out.end(), block.begin(), block.end());
  }
  EXPECT_EQ(tone.times.front(), 1000);
  EXPECT_NEAR(Frequency(std::vector<Float32>(out.begin() + 4096, out.end()), 48000), 1250, 2);
  AudioComponentInstanceDispose(varispeed);
}

}  // namespace
