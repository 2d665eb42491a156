// The client library as applications call it, on a server in the test's process: properties,
// listeners (procs, blocks with identity, the older hardware calls), IOProcs and device time.
#include <CoreFoundation/CFRunLoop.h>
#include <PollUntil.h>
#include <dispatch/dispatch.h>

#include "AudioServerTestSupport.h"

using namespace AudioServer;
using namespace AudioServerTest;
using moxicam::test::pollUntil;

namespace {

constexpr uint64_t kSecond = 1'000'000'000;

class AudioHardwareTest : public ::testing::Test {
 protected:
  AudioHardwareTest() {
    SimulatedDeviceSpec speaker;
    speaker.name = "Simulated Speaker";
    speaker.uid = "sim-speaker";
    speaker.inputChannels = 2;
    speaker.sampleRate = 44100;
    speaker.toneFrequency = 441;
    simulated.addDevice(speaker);
    server.addDriver(simulated.driver());
  }
  ~AudioHardwareTest() override { AudioHardwareUnload(); }

  AudioObjectID Speaker() {
    AudioObjectID device = 0;
    UInt32 size = sizeof device;
    const AudioObjectPropertyAddress address = Address(kAudioHardwarePropertyDefaultOutputDevice);
    AudioObjectGetPropertyData(kAudioObjectSystemObject, &address, 0, nullptr, &size, &device);
    return device;
  }

  void Advance(uint64_t nanoseconds) { server.advanceClock(clock.now() + nanoseconds); }

  // Waits until every listener delivery queued so far has run.
  static void Drain(dispatch_queue_t queue) {
    dispatch_sync(queue, [] {});
  }

  ManualHostClock clock;
  SimulatedDriver simulated;
  Server server{clock};
  InProcessHAL hal{server, CFSTR("com.example.client")};
};

TEST_F(AudioHardwareTest, AnswersPropertiesAndRefusesMissingArguments) {
  const AudioObjectID speaker = Speaker();
  ASSERT_NE(speaker, kAudioObjectUnknown);
  const AudioObjectPropertyAddress name = Address(kAudioObjectPropertyName);
  EXPECT_TRUE(AudioObjectHasProperty(speaker, &name));
  CFStringRef text = nullptr;
  UInt32 size = sizeof text;
  ASSERT_EQ(AudioObjectGetPropertyData(speaker, &name, 0, nullptr, &size, &text), noErr);
  EXPECT_EQ(Text(text), "Simulated Speaker");
  CFRelease(text);

  EXPECT_FALSE(AudioObjectHasProperty(speaker, nullptr));
  EXPECT_EQ(AudioObjectGetPropertyData(speaker, nullptr, 0, nullptr, &size, &text), kAudio_ParamError);
  EXPECT_EQ(AudioObjectGetPropertyData(speaker, &name, 0, nullptr, nullptr, &text), kAudio_ParamError);
  EXPECT_EQ(AudioObjectGetPropertyDataSize(speaker, &name, 4, nullptr, &size), kAudio_ParamError);

  // The run loop of the system object belongs to the process.
  const AudioObjectPropertyAddress runLoop = Address(kAudioHardwarePropertyRunLoop);
  CFRunLoopRef mainLoop = CFRunLoopGetMain();
  ASSERT_EQ(
      AudioObjectSetPropertyData(kAudioObjectSystemObject, &runLoop, 0, nullptr, sizeof mainLoop, &mainLoop),
      noErr);
  CFRunLoopRef answered = nullptr;
  size = sizeof answered;
  ASSERT_EQ(AudioObjectGetPropertyData(kAudioObjectSystemObject, &runLoop, 0, nullptr, &size, &answered),
            noErr);
  EXPECT_EQ(answered, mainLoop);
  answered = nullptr;
  AudioHardwareSetProperty(kAudioHardwarePropertyRunLoop, sizeof answered, &answered);
}

std::atomic<int> sProcCalls{0};
OSStatus CountingListener(AudioObjectID, UInt32 count, const AudioObjectPropertyAddress*, void* clientData) {
  sProcCalls += int(count);
  *static_cast<std::atomic<AudioObjectID>*>(clientData) += 1;
  return noErr;
}

TEST_F(AudioHardwareTest, ProcListenersHearTheirPropertiesUntilRemoved) {
  const AudioObjectID speaker = Speaker();
  const AudioObjectPropertyAddress bufferSize = Address(kAudioDevicePropertyBufferFrameSize);
  const AudioObjectPropertyAddress anything = {kAudioObjectPropertySelectorWildcard,
                                               kAudioObjectPropertyScopeWildcard,
                                               kAudioObjectPropertyElementWildcard};
  std::atomic<AudioObjectID> exact{0}, wildcard{0};
  ASSERT_EQ(AudioObjectAddPropertyListener(speaker, &bufferSize, CountingListener, &exact), noErr);
  ASSERT_EQ(AudioObjectAddPropertyListener(speaker, &anything, CountingListener, &wildcard), noErr);
  EXPECT_EQ(AudioObjectAddPropertyListener(9999, &bufferSize, CountingListener, &exact),
            kAudioHardwareBadObjectError);

  UInt32 frames = 256;
  ASSERT_EQ(AudioObjectSetPropertyData(speaker, &bufferSize, 0, nullptr, sizeof frames, &frames), noErr);
  EXPECT_TRUE(pollUntil([&] { return exact == 1 && wildcard == 1; }));

  ASSERT_EQ(AudioObjectRemovePropertyListener(speaker, &bufferSize, CountingListener, &exact), noErr);
  EXPECT_EQ(AudioObjectRemovePropertyListener(speaker, &bufferSize, CountingListener, &exact),
            kAudioHardwareUnknownPropertyError);
  frames = 128;
  ASSERT_EQ(AudioObjectSetPropertyData(speaker, &bufferSize, 0, nullptr, sizeof frames, &frames), noErr);
  // The wildcard listener hearing the second change shows that the first one was passed by.
  EXPECT_TRUE(pollUntil([&] { return wildcard == 2; }));
  EXPECT_EQ(exact.load(), 1u);
  AudioObjectRemovePropertyListener(speaker, &anything, CountingListener, &wildcard);
}

TEST_F(AudioHardwareTest, ABlockIsRemovedByItselfOrACopyAndRunsOnItsQueue) {
  const AudioObjectID speaker = Speaker();
  const AudioObjectPropertyAddress bufferSize = Address(kAudioDevicePropertyBufferFrameSize);
  dispatch_queue_t queue = dispatch_queue_create("AudioHardwareTest.Listeners", nullptr);
  std::atomic<int> calls{0};
  std::atomic<bool> onQueue{true};
  AudioObjectPropertyListenerBlock block([&](UInt32, const AudioObjectPropertyAddress*) {
    ++calls;
    if (std::string(dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL)) != "AudioHardwareTest.Listeners")
      onQueue = false;
  });
  AudioObjectPropertyListenerBlock copy = block;
  AudioObjectPropertyListenerBlock lookAlike([&](UInt32, const AudioObjectPropertyAddress*) { ++calls; });
  ASSERT_EQ(AudioObjectAddPropertyListenerBlock(speaker, &bufferSize, queue, block), noErr);
  EXPECT_EQ(AudioObjectRemovePropertyListenerBlock(speaker, &bufferSize, queue, lookAlike),
            kAudioHardwareUnknownPropertyError);

  UInt32 frames = 256;
  ASSERT_EQ(AudioObjectSetPropertyData(speaker, &bufferSize, 0, nullptr, sizeof frames, &frames), noErr);
  EXPECT_TRUE(pollUntil([&] { return calls == 1; }));
  EXPECT_TRUE(onQueue);

  ASSERT_EQ(AudioObjectRemovePropertyListenerBlock(speaker, &bufferSize, queue, copy), noErr);
  frames = 128;
  ASSERT_EQ(AudioObjectSetPropertyData(speaker, &bufferSize, 0, nullptr, sizeof frames, &frames), noErr);
  server.waitForConfigurationChanges();
  Drain(queue);
  EXPECT_EQ(calls.load(), 1);
  dispatch_release(queue);
}

std::atomic<int> sDeviceListChanges{0};
OSStatus HardwareListener(AudioHardwarePropertyID property, void*) {
  if (property == kAudioHardwarePropertyDevices) ++sDeviceListChanges;
  return noErr;
}

TEST_F(AudioHardwareTest, TheOlderHardwareListenerHearsDevicesComeAndGo) {
  sDeviceListChanges = 0;
  ASSERT_EQ(AudioHardwareAddPropertyListener(kAudioObjectPropertySelectorWildcard, HardwareListener, nullptr),
            noErr);
  SimulatedDeviceSpec mic;
  mic.name = "Simulated Mic";
  mic.uid = "sim-mic";
  mic.outputChannels = 0;
  simulated.addDevice(mic);
  EXPECT_TRUE(pollUntil([] { return sDeviceListChanges >= 1; }));
  const int seen = sDeviceListChanges.load();
  simulated.removeDevice("sim-mic");
  EXPECT_TRUE(pollUntil([&] { return sDeviceListChanges > seen; }));
  ASSERT_EQ(AudioHardwareRemovePropertyListener(kAudioObjectPropertySelectorWildcard, HardwareListener),
            noErr);
}

struct Playing {
  Float32 value = 0;
  std::atomic<int> calls{0};
  bool stopInside = false;
  AudioObjectID device = 0;
};

OSStatus PlayConstant(AudioObjectID device, const AudioTimeStamp*, const AudioBufferList*,
                      const AudioTimeStamp*, AudioBufferList* output, const AudioTimeStamp*, void* context) {
  auto* playing = static_cast<Playing*>(context);
  ++playing->calls;
  auto* samples = static_cast<Float32*>(output->mBuffers[0].mData);
  for (UInt32 i = 0; i < output->mBuffers[0].mDataByteSize / sizeof(Float32); ++i)
    samples[i] = playing->value;
  if (playing->stopInside) AudioDeviceStop(device, PlayConstant);
  return noErr;
}

OSStatus PlayOther(AudioObjectID device, const AudioTimeStamp* now, const AudioBufferList* input,
                   const AudioTimeStamp* inputTime, AudioBufferList* output, const AudioTimeStamp* outputTime,
                   void* context) {
  return PlayConstant(device, now, input, inputTime, output, outputTime, context);
}

TEST_F(AudioHardwareTest, IOProcsOfOneDeviceAreMixed) {
  const AudioObjectID speaker = Speaker();
  Playing one, two;
  one.value = 0.25f;
  two.value = 0.5f;
  AudioDeviceIOProcID first = nullptr, second = nullptr;
  ASSERT_EQ(AudioDeviceCreateIOProcID(speaker, PlayConstant, &one, &first), noErr);
  ASSERT_EQ(AudioDeviceCreateIOProcID(speaker, PlayOther, &two, &second), noErr);
  EXPECT_EQ(AudioDeviceCreateIOProcID(9999, PlayConstant, &one, &first), kAudioHardwareBadDeviceError);
  AudioTimeStamp time{};
  EXPECT_EQ(AudioDeviceGetCurrentTime(speaker, &time), kAudioHardwareNotRunningError);
  ASSERT_EQ(AudioDeviceStart(speaker, first), noErr);
  ASSERT_EQ(AudioDeviceStart(speaker, second), noErr);
  Advance(kSecond / 10);
  EXPECT_EQ(AudioDeviceGetCurrentTime(speaker, &time), noErr);
  ASSERT_GT(one.calls.load(), 0);
  EXPECT_EQ(one.calls.load(), two.calls.load());
  const std::vector<Float32> played = simulated.played("sim-speaker", 1024, 1024);
  EXPECT_EQ(played, std::vector<Float32>(1024, 0.75f));

  ASSERT_EQ(AudioDeviceStop(speaker, first), noErr);
  const int firstCalls = one.calls.load(), secondCalls = two.calls.load();
  Advance(kSecond / 10);
  EXPECT_EQ(one.calls.load(), firstCalls) << "a stopped proc is not called again";
  EXPECT_GT(two.calls.load(), secondCalls) << "the other proc goes on";
  ASSERT_EQ(AudioDeviceStop(speaker, second), noErr);
  EXPECT_EQ(AudioDeviceDestroyIOProcID(speaker, first), noErr);
  EXPECT_EQ(AudioDeviceDestroyIOProcID(speaker, second), noErr);
  EXPECT_EQ(AudioDeviceStart(speaker, first), kAudioHardwareIllegalOperationError);
}

TEST_F(AudioHardwareTest, AnIOProcMayStopItself) {
  const AudioObjectID speaker = Speaker();
  Playing playing;
  playing.stopInside = true;
  AudioDeviceIOProcID id = nullptr;
  ASSERT_EQ(AudioDeviceCreateIOProcID(speaker, PlayConstant, &playing, &id), noErr);
  ASSERT_EQ(AudioDeviceStart(speaker, id), noErr);
  Advance(kSecond / 10);
  EXPECT_EQ(playing.calls.load(), 1);
  // The session ends once the cycle is over; the device stops running.
  const AudioObjectPropertyAddress running = Address(kAudioDevicePropertyDeviceIsRunning);
  EXPECT_TRUE(pollUntil([&] {
    UInt32 value = 1, size = sizeof value;
    AudioObjectGetPropertyData(speaker, &running, 0, nullptr, &size, &value);
    return value == 0;
  }));
  AudioDeviceDestroyIOProcID(speaker, id);
}

}  // namespace
