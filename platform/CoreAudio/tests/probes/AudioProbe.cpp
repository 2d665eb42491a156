// AudioProbe: a client process of the audio server, driven line by line on standard input by
// the tests that need several client processes (not shipped). Each command answers one line
// (list answers one line per device, then "end").
//
//   list                      device <id>\t<name>\t<uid>\t<rate>\t<inputs>\t<outputs>
//   find <name>               found <id> | missing
//   play <id> <hz>            plays a sine of amplitude 0.25 on every channel: playing | status <code>
//   record <id>               keeps what the device's first input channel gives: recording
//   stop <id>                 stopped
//   tones <hz>[,<hz>...]      the amplitude of each tone in what was recorded, leaving out
//                             its first fifth: tones <frames> <hz>=<amplitude> ...
//   clear                     forgets what was recorded: cleared
//   rate <id>                 rate <hz> | status <code>
//   set-rate <id> <hz>        status <code>
//   watch <id> <selector>     listens to a property of the object: watching | status <code>
//   events                    events <count of notifications so far>
//   get <id> <selector> <size>  status <code> <bytes written>: asks with a buffer of that size
//   quit
#include <CoreAudio/AudioHardware.h>
#include <CoreFoundation/CFString.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string text(CFStringRef string) {
  char buffer[512] = "";
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

AudioObjectPropertyAddress address(AudioObjectPropertySelector selector,
                                   AudioObjectPropertyScope scope = kAudioObjectPropertyScopeGlobal) {
  return {selector, scope, kAudioObjectPropertyElementMain};
}

std::string stringProperty(AudioObjectID object, AudioObjectPropertySelector selector) {
  CFStringRef value = nullptr;
  UInt32 size = sizeof value;
  const AudioObjectPropertyAddress where = address(selector);
  if (AudioObjectGetPropertyData(object, &where, 0, nullptr, &size, &value) != noErr || !value) return "";
  const std::string result = text(value);
  CFRelease(value);
  return result;
}

UInt32 channels(AudioObjectID device, AudioObjectPropertyScope scope) {
  const AudioObjectPropertyAddress where = address(kAudioDevicePropertyStreamConfiguration, scope);
  UInt32 size = 0;
  if (AudioObjectGetPropertyDataSize(device, &where, 0, nullptr, &size) != noErr || size == 0) return 0;
  std::vector<UInt8> data(size);
  if (AudioObjectGetPropertyData(device, &where, 0, nullptr, &size, data.data()) != noErr) return 0;
  const auto* list = reinterpret_cast<const AudioBufferList*>(data.data());
  UInt32 total = 0;
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i) total += list->mBuffers[i].mNumberChannels;
  return total;
}

Float64 rate(AudioObjectID device) {
  Float64 value = 0;
  UInt32 size = sizeof value;
  const AudioObjectPropertyAddress where = address(kAudioDevicePropertyNominalSampleRate);
  AudioObjectGetPropertyData(device, &where, 0, nullptr, &size, &value);
  return value;
}

std::vector<AudioObjectID> devices() {
  const AudioObjectPropertyAddress where = address(kAudioHardwarePropertyDevices);
  UInt32 size = 0;
  if (AudioObjectGetPropertyDataSize(kAudioObjectSystemObject, &where, 0, nullptr, &size) != noErr) return {};
  std::vector<AudioObjectID> ids(size / sizeof(AudioObjectID));
  if (AudioObjectGetPropertyData(kAudioObjectSystemObject, &where, 0, nullptr, &size, ids.data()) != noErr)
    return {};
  ids.resize(size / sizeof(AudioObjectID));
  return ids;
}

// What one device does in this process: a tone to play, and a recording of its first channel.
struct DeviceRole {
  AudioObjectID device = 0;
  std::atomic<double> tone{0};
  std::atomic<bool> recording{false};
  std::atomic<double> rate{44100};
  // Samples by input sample time from the first one recorded, so that a cycle missed under
  // load leaves a gap rather than a jump in the tone. The I/O thread only tries the lock.
  std::mutex recordLock;
  std::vector<float> recorded = std::vector<float>(size_t(60 * 192000));
  size_t recordedFrames = 0;
  double firstTime = -1;
  bool procCreated = false;
};

OSStatus ioProc(AudioObjectID, const AudioTimeStamp*, const AudioBufferList* input,
                const AudioTimeStamp* inputTime, AudioBufferList* output, const AudioTimeStamp* outputTime,
                void* context) {
  auto* role = static_cast<DeviceRole*>(context);
  const double tone = role->tone.load();
  if (tone > 0 && output) {
    for (UInt32 b = 0; b < output->mNumberBuffers; ++b) {
      const UInt32 channelsPerFrame = output->mBuffers[b].mNumberChannels;
      const UInt32 frames = output->mBuffers[b].mDataByteSize / (sizeof(float) * channelsPerFrame);
      auto* samples = static_cast<float*>(output->mBuffers[b].mData);
      for (UInt32 f = 0; f < frames; ++f) {
        const double time = outputTime->mSampleTime + f;
        const float value = float(0.25 * std::sin(2 * kPi * tone * time / role->rate));
        for (UInt32 c = 0; c < channelsPerFrame; ++c) samples[f * channelsPerFrame + c] = value;
      }
    }
  }
  if (role->recording.load() && input && input->mNumberBuffers > 0) {
    const AudioBuffer& buffer = input->mBuffers[0];
    const UInt32 frames = buffer.mDataByteSize / (sizeof(float) * buffer.mNumberChannels);
    const auto* samples = static_cast<const float*>(buffer.mData);
    std::unique_lock<std::mutex> guard(role->recordLock, std::try_to_lock);
    if (guard.owns_lock()) {
      if (role->firstTime < 0) role->firstTime = inputTime->mSampleTime;
      const double offset = inputTime->mSampleTime - role->firstTime;
      for (UInt32 f = 0; f < frames && offset >= 0; ++f) {
        const size_t at = size_t(offset) + f;
        if (at >= role->recorded.size()) break;
        role->recorded[at] = samples[f * buffer.mNumberChannels];
        role->recordedFrames = std::max(role->recordedFrames, at + 1);
      }
    }
  }
  return noErr;
}

// The amplitude of a tone in the samples (Goertzel).
double amplitude(const float* samples, size_t count, double tone, double sampleRate) {
  if (count == 0) return 0;
  const double coefficient = 2 * std::cos(2 * kPi * tone / sampleRate);
  double previous = 0, before = 0;
  for (size_t i = 0; i < count; ++i) {
    const double current = samples[i] + coefficient * previous - before;
    before = previous;
    previous = current;
  }
  const double power = previous * previous + before * before - coefficient * previous * before;
  return 2 * std::sqrt(std::max(power, 0.0)) / double(count);
}

std::atomic<int> sEvents{0};

OSStatus listener(AudioObjectID, UInt32, const AudioObjectPropertyAddress*, void*) {
  ++sEvents;
  return noErr;
}

UInt32 selectorOf(const std::string& text) {
  UInt32 code = 0;
  for (size_t i = 0; i < 4; ++i) code = (code << 8) | UInt8(i < text.size() ? text[i] : ' ');
  return code;
}

}  // namespace

int main() {
  std::map<AudioObjectID, std::unique_ptr<DeviceRole>> roles;
  auto role = [&](AudioObjectID device) -> DeviceRole& {
    std::unique_ptr<DeviceRole>& entry = roles[device];
    if (!entry) {
      entry = std::make_unique<DeviceRole>();
      entry->device = device;
    }
    return *entry;
  };
  auto start = [&](DeviceRole& target) -> OSStatus {
    target.rate = rate(target.device);
    if (!target.procCreated) {
      AudioDeviceIOProcID id = nullptr;
      const OSStatus status = AudioDeviceCreateIOProcID(target.device, ioProc, &target, &id);
      if (status != noErr) return status;
      target.procCreated = true;
    }
    return AudioDeviceStart(target.device, ioProc);
  };

  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    std::ostringstream answer;
    if (command == "list") {
      for (AudioObjectID device : devices()) {
        std::cout << "device " << device << "\t" << stringProperty(device, kAudioObjectPropertyName) << "\t"
                  << stringProperty(device, kAudioDevicePropertyDeviceUID) << "\t" << rate(device) << "\t"
                  << channels(device, kAudioObjectPropertyScopeInput) << "\t"
                  << channels(device, kAudioObjectPropertyScopeOutput) << "\n";
      }
      answer << "end";
    } else if (command == "find") {
      std::string name;
      std::getline(words >> std::ws, name);
      AudioObjectID found = 0;
      for (AudioObjectID device : devices()) {
        if (!found && stringProperty(device, kAudioObjectPropertyName) == name) found = device;
      }
      if (found)
        answer << "found " << found;
      else
        answer << "missing";
    } else if (command == "play" || command == "record") {
      AudioObjectID device = 0;
      double tone = 0;
      words >> device;
      if (command == "play") words >> tone;
      DeviceRole& target = role(device);
      if (command == "play")
        target.tone = tone;
      else
        target.recording = true;
      const OSStatus status = start(target);
      if (status == noErr)
        answer << (command == "play" ? "playing" : "recording");
      else
        answer << "status " << status;
    } else if (command == "stop") {
      AudioObjectID device = 0;
      words >> device;
      DeviceRole& target = role(device);
      AudioDeviceStop(device, ioProc);
      target.tone = 0;
      target.recording = false;
      answer << "stopped";
    } else if (command == "tones") {
      std::string list;
      words >> list;
      DeviceRole* source = nullptr;
      for (const auto& [id, entry] : roles) {
        if (entry->recording) source = entry.get();
      }
      std::unique_lock<std::mutex> guard;
      if (source) guard = std::unique_lock<std::mutex>(source->recordLock);
      const size_t frames = source ? source->recordedFrames : 0;
      const size_t skip = frames / 5;
      answer << "tones " << frames;
      std::istringstream tones(list);
      std::string item;
      while (std::getline(tones, item, ',')) {
        const double tone = std::stod(item);
        const double level =
            source ? amplitude(source->recorded.data() + skip, frames - skip, tone, source->rate) : 0;
        answer << " " << item << "=" << level;
      }
    } else if (command == "clear") {
      for (auto& [id, entry] : roles) {
        std::lock_guard<std::mutex> guard(entry->recordLock);
        std::fill(entry->recorded.begin(), entry->recorded.begin() + std::ptrdiff_t(entry->recordedFrames),
                  0.0f);
        entry->recordedFrames = 0;
        entry->firstTime = -1;
      }
      answer << "cleared";
    } else if (command == "rate") {
      AudioObjectID device = 0;
      words >> device;
      answer << "rate " << rate(device);
    } else if (command == "set-rate") {
      AudioObjectID device = 0;
      Float64 value = 0;
      words >> device >> value;
      const AudioObjectPropertyAddress where = address(kAudioDevicePropertyNominalSampleRate);
      answer << "status " << AudioObjectSetPropertyData(device, &where, 0, nullptr, sizeof value, &value);
    } else if (command == "watch") {
      AudioObjectID object = 0;
      std::string selector;
      words >> object >> selector;
      const AudioObjectPropertyAddress where = address(selectorOf(selector));
      const OSStatus status = AudioObjectAddPropertyListener(object, &where, listener, nullptr);
      if (status == noErr)
        answer << "watching";
      else
        answer << "status " << status;
    } else if (command == "events") {
      answer << "events " << sEvents.load();
    } else if (command == "get") {
      AudioObjectID object = 0;
      std::string selector;
      UInt32 size = 0;
      words >> object >> selector >> size;
      std::vector<UInt8> buffer(std::max<UInt32>(size, 1));
      const AudioObjectPropertyAddress where = address(selectorOf(selector));
      const OSStatus status = AudioObjectGetPropertyData(object, &where, 0, nullptr, &size, buffer.data());
      answer << "status " << status << " " << size;
    } else if (command == "quit") {
      break;
    } else {
      answer << "unknown";
    }
    std::cout << answer.str() << std::endl;
  }
  for (auto& [id, entry] : roles) {
    if (entry->procCreated) AudioDeviceDestroyIOProcID(id, ioProc);
  }
  return 0;
}
