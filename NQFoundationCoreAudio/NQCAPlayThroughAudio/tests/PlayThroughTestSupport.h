#pragma once
// A server in the test's process on a manual clock with a simulated microphone and speaker,
// reached through the client library as the application reaches the audio server.
#include <AudioServerTestSupport.h>

#include <cmath>
#include <vector>

namespace PlayThroughTest {

using namespace AudioServer;
using namespace AudioServerTest;

constexpr uint64_t kSecond = 1'000'000'000;

inline SimulatedDeviceSpec Microphone(UInt32 channels = 2, Float64 rateScalar = 1.0) {
  SimulatedDeviceSpec spec;
  spec.name = "Microphone";
  spec.uid = "sim-mic";
  spec.inputChannels = channels;
  spec.outputChannels = 0;
  spec.sampleRate = 48000;
  spec.rateScalar = rateScalar;
  spec.toneFrequency = 997;
  return spec;
}

inline SimulatedDeviceSpec Speaker(UInt32 channels = 2, Float64 rate = 44100) {
  SimulatedDeviceSpec spec;
  spec.name = "Speaker";
  spec.uid = "sim-speaker";
  spec.inputChannels = 0;
  spec.outputChannels = channels;
  spec.sampleRate = rate;
  return spec;
}

inline AudioDeviceID DeviceWithUID(const char* uid) {
  CFStringRef text = CFStringCreateWithCString(nullptr, uid, kCFStringEncodingUTF8);
  AudioDeviceID device = 0;
  UInt32 size = sizeof device;
  const AudioObjectPropertyAddress address = Address(kAudioHardwarePropertyTranslateUIDToDevice);
  AudioObjectGetPropertyData(kAudioObjectSystemObject, &address, sizeof text, &text, &size, &device);
  CFRelease(text);
  return device;
}

// Upward zero crossings per second.
inline double Frequency(const std::vector<Float32>& samples, Float64 rate) {
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

// The longest run of samples that are all but silent.
inline size_t LongestSilence(const std::vector<Float32>& samples) {
  size_t longest = 0, run = 0;
  for (Float32 sample : samples) {
    run = std::fabs(sample) < 1e-4f ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

class SimulatedDevicesTest : public ::testing::Test {
 protected:
  void AddDevices(const SimulatedDeviceSpec& microphone, const SimulatedDeviceSpec& speaker) {
    simulated.addDevice(microphone);
    simulated.addDevice(speaker);
    server.addDriver(simulated.driver());
  }
  ~SimulatedDevicesTest() override { AudioHardwareUnload(); }

  void Advance(uint64_t nanoseconds) { server.advanceClock(clock.now() + nanoseconds); }

  ManualHostClock clock;
  SimulatedDriver simulated;
  Server server{clock};
  InProcessHAL hal{server, CFSTR("com.quillfen.Moxicam")};
};

}  // namespace PlayThroughTest
