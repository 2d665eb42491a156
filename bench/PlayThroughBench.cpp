// CPU time per second of audio of the play-through (a simulated 48 kHz microphone through the
// varispeed into a simulated 44.1 kHz speaker, the audio server's cycles included, on a manual
// clock), beside a bare libsamplerate run that converts the same audio at the same quality.
// Prints both and their ratio.
#include <CAPlayThroughHost.h>
#include <samplerate.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "HostClock.h"
#include "InProcessConnection.h"
#include "Server.h"
#include "SimulatedDriver.h"

using namespace AudioServer;

namespace {

constexpr int kSeconds = 60;
constexpr uint64_t kSecond = 1'000'000'000;

double CPUSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

AudioDeviceID DeviceWithUID(const char* uid) {
  CFStringRef text = CFStringCreateWithCString(nullptr, uid, kCFStringEncodingUTF8);
  AudioDeviceID device = 0;
  UInt32 size = sizeof device;
  const AudioObjectPropertyAddress address{kAudioHardwarePropertyTranslateUIDToDevice,
                                           kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
  AudioObjectGetPropertyData(kAudioObjectSystemObject, &address, sizeof text, &text, &size, &device);
  CFRelease(text);
  return device;
}

double PlayThroughSecondsPerSecond() {
  ManualHostClock clock;
  SimulatedDriver simulated;
  SimulatedDeviceSpec microphone{"Microphone", "sim-mic", 2, 0, 48000, 1.0 - 200e-6, 0, 997};
  SimulatedDeviceSpec speaker{"Speaker", "sim-speaker", 0, 2, 44100};
  simulated.addDevice(microphone);
  simulated.addDevice(speaker);
  Server server(clock);
  server.addDriver(simulated.driver());
  double seconds = 0;
  {
    InProcessHAL hal(server, CFSTR("com.quillfen.Moxicam"));
    CAPlayThroughHost host(DeviceWithUID("sim-mic"), DeviceWithUID("sim-speaker"));
    host.Start();
    server.advanceClock(clock.now() + kSecond);
    const double start = CPUSeconds();
    server.advanceClock(clock.now() + kSeconds * kSecond);
    seconds = CPUSeconds() - start;
    host.Stop();
  }
  AudioHardwareUnload();
  return seconds / kSeconds;
}

struct Tone {
  std::vector<float> block = std::vector<float>(128 * 2);
  long frame = 0;
};

long PullTone(void* context, float** data) {
  auto* tone = static_cast<Tone*>(context);
  for (size_t i = 0; i < 128; ++i, ++tone->frame) {
    const float sample = float(0.5 * std::sin(2 * M_PI * 997 * double(tone->frame) / 48000));
    tone->block[2 * i] = tone->block[2 * i + 1] = sample;
  }
  *data = tone->block.data();
  return 128;
}

double ResamplerSecondsPerSecond() {
  Tone tone;
  int error = 0;
  SRC_STATE* state = src_callback_new(PullTone, SRC_SINC_FASTEST, 2, &error, &tone);
  std::vector<float> out(512 * 2);
  const double ratio = 44100.0 / 48000.0 / (1.0 / (1.0 - 200e-6));
  const double start = CPUSeconds();
  for (long produced = 0; produced < 44100L * kSeconds;)
    produced += src_callback_read(state, ratio, 512, out.data());
  const double seconds = CPUSeconds() - start;
  src_delete(state);
  return seconds / kSeconds;
}

}  // namespace

int main() {
  const double playThrough = PlayThroughSecondsPerSecond();
  const double resampler = ResamplerSecondsPerSecond();
  printf("play-through: %.3f ms CPU per second of audio\n", playThrough * 1e3);
  printf("libsamplerate alone: %.3f ms CPU per second of audio\n", resampler * 1e3);
  printf("ratio play-through / libsamplerate: %.2f\n", playThrough / resampler);
  return 0;
}
