#pragma once
// Reading a driver's properties from inside the server, with the server's own process id.
#include <unistd.h>

#include <vector>

#include "LoadedDriver.h"

namespace AudioServer {

template <class T>
bool readDriverValue(const LoadedDriver& driver, AudioObjectID object, AudioObjectPropertySelector selector,
                     AudioObjectPropertyScope scope, T& value) {
  const AudioObjectPropertyAddress address{selector, scope, kAudioObjectPropertyElementMain};
  UInt32 size = 0;
  T read{};
  if (driver.calls().GetPropertyData(driver.ref(), object, getpid(), &address, 0, nullptr, sizeof(T), &size,
                                     &read) != kAudioHardwareNoError ||
      size != sizeof(T)) {
    return false;
  }
  value = read;
  return true;
}

// A list of object ids, empty when the driver answers none.
inline std::vector<AudioObjectID> readDriverIDList(const LoadedDriver& driver, AudioObjectID object,
                                                   AudioObjectPropertySelector selector,
                                                   AudioObjectPropertyScope scope) {
  const AudioObjectPropertyAddress address{selector, scope, kAudioObjectPropertyElementMain};
  UInt32 size = 0;
  if (driver.calls().GetPropertyDataSize(driver.ref(), object, getpid(), &address, 0, nullptr, &size) !=
          kAudioHardwareNoError ||
      size < sizeof(AudioObjectID) || size > 4096 * sizeof(AudioObjectID)) {
    return {};
  }
  std::vector<AudioObjectID> ids(size / sizeof(AudioObjectID));
  UInt32 used = 0;
  if (driver.calls().GetPropertyData(driver.ref(), object, getpid(), &address, 0, nullptr, size, &used,
                                     ids.data()) != kAudioHardwareNoError) {
    return {};
  }
  ids.resize(std::min<size_t>(ids.size(), used / sizeof(AudioObjectID)));
  return ids;
}

}  // namespace AudioServer
