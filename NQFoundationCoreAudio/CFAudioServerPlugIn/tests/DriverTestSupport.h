#pragma once
// A device class of the drivers called through the driver interface's entry points, with a
// host that records what the driver tells it and asks of it.
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFUUID.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "CFAudioServerPlugInStatic.h"

namespace DriverTest {

inline UInt32 Code(const char* text) {
  return (UInt32(UInt8(text[0])) << 24) | (UInt32(UInt8(text[1])) << 16) | (UInt32(UInt8(text[2])) << 8) |
         UInt32(UInt8(text[3]));
}

inline std::string Text(CFStringRef string) {
  char buffer[512] = "";
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

struct RecordingHost {
  AudioServerPlugInHostInterface interface;  // first: the driver's host reference points here
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::pair<AudioObjectID, AudioObjectPropertySelector>> changes;
  std::vector<UInt64> requests;

  RecordingHost() { interface = {&propertiesChanged, nullptr, nullptr, nullptr, &requestChange}; }
  static RecordingHost& of(AudioServerPlugInHostRef host) {
    return *reinterpret_cast<RecordingHost*>(const_cast<AudioServerPlugInHostInterface*>(host));
  }
  static OSStatus propertiesChanged(AudioServerPlugInHostRef host, AudioObjectID object, UInt32 count,
                                    const AudioObjectPropertyAddress* addresses) {
    RecordingHost& self = of(host);
    std::lock_guard<std::mutex> guard(self.lock);
    for (UInt32 i = 0; i < count; ++i) self.changes.push_back({object, addresses[i].mSelector});
    return 0;
  }
  static OSStatus requestChange(AudioServerPlugInHostRef host, AudioObjectID, UInt64 action, void*) {
    RecordingHost& self = of(host);
    std::lock_guard<std::mutex> guard(self.lock);
    self.requests.push_back(action);
    self.changed.notify_all();
    return 0;
  }
  std::vector<std::pair<AudioObjectID, AudioObjectPropertySelector>> takeChanges() {
    std::lock_guard<std::mutex> guard(lock);
    return std::exchange(changes, {});
  }
  // The configuration changes asked for (they are asked from another queue).
  std::vector<UInt64> waitForRequests(size_t count) {
    std::unique_lock<std::mutex> guard(lock);
    changed.wait_for(guard, std::chrono::seconds(10), [&] { return requests.size() >= count; });
    return requests;
  }
};

template <class Device>
class Driver {
 public:
  Driver(CFStringRef name, const char* factoryUUID)
      : mFactory(adopt(CFUUIDCreateFromString(
            nullptr, adopt(CFStringCreateWithCString(nullptr, factoryUUID, kCFStringEncodingASCII)).get()))),
        device(name, mFactory.get()) {
    device.Initialize(&host.interface);
  }

  OSStatus get(AudioObjectID object, const char* selector, UInt32 inSize, void* data, UInt32* outSize,
               AudioObjectPropertyScope scope = kAudioObjectPropertyScopeGlobal, UInt32 qualifierSize = 0,
               const void* qualifier = nullptr) {
    const AudioObjectPropertyAddress address{Code(selector), scope, 0};
    return CFAudioServerPlugInStatic_T::GetPropertyData(&device, true, nullptr, object, getpid(), &address,
                                                        qualifierSize, qualifier, inSize, outSize, data);
  }
  template <class T>
  T value(AudioObjectID object, const char* selector, OSStatus* status = nullptr,
          AudioObjectPropertyScope scope = kAudioObjectPropertyScopeGlobal) {
    T result{};
    UInt32 size = 0;
    const OSStatus answer = get(object, selector, sizeof result, &result, &size, scope);
    if (status) *status = answer;
    return result;
  }
  std::string string(AudioObjectID object, const char* selector) {
    CFStringRef text = value<CFStringRef>(object, selector);
    const std::string result = Text(text);
    if (text) CFRelease(text);
    return result;
  }
  std::vector<UInt32> list(AudioObjectID object, const char* selector, UInt32 bytes,
                           AudioObjectPropertyScope scope = kAudioObjectPropertyScopeGlobal) {
    std::vector<UInt32> items(bytes / 4 + 1, 0xFFFFFFFF);
    UInt32 size = 0;
    if (get(object, selector, bytes, items.data(), &size, scope) != 0) return {0xDEAD};
    items.resize(size / 4);
    return items;
  }
  UInt32 size(AudioObjectID object, const char* selector, OSStatus* status = nullptr,
              AudioObjectPropertyScope scope = kAudioObjectPropertyScopeGlobal) {
    const AudioObjectPropertyAddress address{Code(selector), scope, 0};
    UInt32 size = 0;
    const OSStatus answer = CFAudioServerPlugInStatic_T::GetPropertyDataSize(
        &device, true, nullptr, object, getpid(), &address, 0, nullptr, &size);
    if (status) *status = answer;
    return size;
  }
  bool has(AudioObjectID object, const char* selector,
           AudioObjectPropertyScope scope = kAudioObjectPropertyScopeGlobal) {
    const AudioObjectPropertyAddress address{Code(selector), scope, 0};
    return CFAudioServerPlugInStatic_T::HasProperty(&device, true, nullptr, object, getpid(), &address);
  }
  Boolean settable(AudioObjectID object, const char* selector, OSStatus* status = nullptr) {
    const AudioObjectPropertyAddress address{Code(selector), kAudioObjectPropertyScopeGlobal, 0};
    Boolean answer = 2;
    const OSStatus result = CFAudioServerPlugInStatic_T::IsPropertySettable(&device, true, nullptr, object,
                                                                            getpid(), &address, &answer);
    if (status) *status = result;
    return answer;
  }
  template <class T>
  OSStatus set(AudioObjectID object, const char* selector, const T& data, UInt32 size = sizeof(T)) {
    const AudioObjectPropertyAddress address{Code(selector), kAudioObjectPropertyScopeGlobal, 0};
    return CFAudioServerPlugInStatic_T::SetPropertyData(&device, true, nullptr, object, getpid(), &address, 0,
                                                        nullptr, size, &data);
  }

  // A client of the device, with a bundle identifier or none.
  OSStatus addClient(UInt32 clientID, CFStringRef bundleID) {
    const AudioServerPlugInClientInfo info{clientID, getpid(), true, bundleID};
    return CFAudioServerPlugInStatic_T::AddDeviceClient(&device, true, 3, &info);
  }
  OSStatus removeClient(UInt32 clientID, CFStringRef bundleID) {
    const AudioServerPlugInClientInfo info{clientID, getpid(), true, bundleID};
    return CFAudioServerPlugInStatic_T::RemoveDeviceClient(&device, true, 3, &info);
  }

  // One I/O operation of a client at a sample time: 'writ' at the output time, 'read' at
  // the input time, on 4 frames.
  std::vector<Float32> io(UInt32 clientID, UInt32 operation, Float64 sampleTime,
                          std::vector<Float32> frames = {}) {
    AudioServerPlugInIOCycleInfo cycle{};
    cycle.mInputTime.mSampleTime = sampleTime;
    cycle.mOutputTime.mSampleTime = sampleTime;
    frames.resize(8, 0.0f);
    CFAudioServerPlugInStatic_T::DoIOOperation(&device, true, 3, operation == Code("read") ? 4 : 8, clientID,
                                               operation, 4, &cycle, frames.data(), nullptr);
    return frames;
  }
  void write(UInt32 clientID, Float64 sampleTime, Float32 value) {
    io(clientID, Code("writ"), sampleTime, std::vector<Float32>(8, value));
  }
  // What the client reads on its left channel at the sample time (4 frames alike).
  Float32 read(UInt32 clientID, Float64 sampleTime) { return io(clientID, Code("read"), sampleTime)[0]; }

  RecordingHost host;

 private:
  RefPtr<const __CFUUID> mFactory;

 public:
  Device device;
};

}  // namespace DriverTest
