#pragma once
// What the audio server's tests share: a server in the test's process on a manual clock with
// a driver of simulated devices, clients of it, and property readers.
#include <CoreAudio/AudioHardware.h>
#include <CoreFoundation/CFString.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "HostClock.h"
#include "InProcessConnection.h"
#include "Server.h"
#include "SimulatedDriver.h"

namespace AudioServerTest {

constexpr AudioObjectPropertyAddress Address(
    AudioObjectPropertySelector selector, AudioObjectPropertyScope scope = kAudioObjectPropertyScopeGlobal) {
  return {selector, scope, kAudioObjectPropertyElementMain};
}

// Counts the property changes a client is told of.
class RecordingEvents final : public HALClient::ConnectionEvents {
 public:
  void propertiesChanged(AudioObjectID objectID, UInt32 count,
                         const AudioObjectPropertyAddress* addresses) override {
    std::lock_guard<std::mutex> guard(mLock);
    for (UInt32 i = 0; i < count; ++i) mChanges.push_back({objectID, addresses[i].mSelector});
  }
  void connectionLost() override {}
  // How many times the object's property was told changed.
  size_t count(AudioObjectID objectID, AudioObjectPropertySelector selector) {
    std::lock_guard<std::mutex> guard(mLock);
    size_t found = 0;
    for (const auto& [object, changed] : mChanges) found += object == objectID && changed == selector;
    return found;
  }

 private:
  std::mutex mLock;
  std::vector<std::pair<AudioObjectID, AudioObjectPropertySelector>> mChanges;
};

// An I/O handler that runs a function per cycle.
class CycleHandler final : public HALClient::IOCycleHandler {
 public:
  using Function = std::function<void(const AudioTimeStamp& now, const AudioBufferList* input,
                                      const AudioTimeStamp& inputTime, AudioBufferList* output,
                                      const AudioTimeStamp& outputTime)>;
  explicit CycleHandler(Function function) : mFunction(std::move(function)) {}
  void ioCycle(const AudioTimeStamp& now, const AudioBufferList* input, const AudioTimeStamp& inputTime,
               AudioBufferList* output, const AudioTimeStamp& outputTime) override {
    ++cycles;
    mFunction(now, input, inputTime, output, outputTime);
  }
  std::atomic<int> cycles{0};

 private:
  Function mFunction;
};

template <class T>
T Read(HALClient::Connection& connection, AudioObjectID objectID, const AudioObjectPropertyAddress& address,
       OSStatus* status = nullptr) {
  T value{};
  UInt32 size = sizeof value;
  const OSStatus result = connection.getPropertyData(objectID, address, 0, nullptr, &size, &value);
  if (status) *status = result;
  return value;
}

inline std::vector<AudioObjectID> ReadIDs(HALClient::Connection& connection, AudioObjectID objectID,
                                          const AudioObjectPropertyAddress& address) {
  UInt32 size = 0;
  if (connection.getPropertyDataSize(objectID, address, 0, nullptr, &size) != noErr) return {};
  std::vector<AudioObjectID> ids(size / sizeof(AudioObjectID));
  if (connection.getPropertyData(objectID, address, 0, nullptr, &size, ids.data()) != noErr) return {};
  ids.resize(size / sizeof(AudioObjectID));
  return ids;
}

inline std::string Text(CFStringRef string) {
  char buffer[512] = "";
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

inline std::string ReadString(HALClient::Connection& connection, AudioObjectID objectID,
                              AudioObjectPropertySelector selector) {
  CFStringRef value = Read<CFStringRef>(connection, objectID, Address(selector));
  const std::string text = Text(value);
  if (value) CFRelease(value);
  return text;
}

}  // namespace AudioServerTest
