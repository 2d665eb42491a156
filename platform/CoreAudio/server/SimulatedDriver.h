#pragma once
// A driver that lives in the audio server and stands for hardware: devices with a configurable
// rate, channels and clock error, whose inputs give a sine tone and whose outputs keep what
// the clients played, by sample time, for a test to read. Devices can come and go while the
// server runs.
#include <CoreAudio/AudioServerPlugIn.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LoadedDriver.h"

namespace AudioServer {

struct SimulatedDeviceSpec {
  std::string name;
  std::string uid;
  UInt32 inputChannels = 2;
  UInt32 outputChannels = 2;
  Float64 sampleRate = 48000;
  // The device's actual host ticks per frame over the nominal ones: below 1 for a clock that
  // runs fast (1 - 200e-6 runs 200 ppm fast).
  Float64 rateScalar = 1.0;
  UInt32 safetyOffset = 0;
  Float64 toneFrequency = 0;  // 0: the inputs are silent
  Float32 toneAmplitude = 0.5f;
};

class SimulatedDriver {
 public:
  SimulatedDriver();
  ~SimulatedDriver();
  SimulatedDriver(const SimulatedDriver&) = delete;
  SimulatedDriver& operator=(const SimulatedDriver&) = delete;

  // The driver to hand the server (addDriver).
  std::shared_ptr<LoadedDriver> driver() { return mLoaded; }

  // Adds a device (its UID must be new); the server publishes it.
  void addDevice(const SimulatedDeviceSpec& spec);
  // Removes the device of that UID; the server withdraws it.
  void removeDevice(const std::string& uid);
  // What the clients played to the device's output, channel 0, from a sample time on.
  std::vector<Float32> played(const std::string& uid, Float64 fromSampleTime, UInt32 frames);
  // The sample that the device's input gives at a sample time.
  static Float32 inputSample(const SimulatedDeviceSpec& spec, Float64 sampleTime);

  struct Device;

 private:
  friend struct SimulatedDriverCalls;

  Device* deviceOfObject(AudioObjectID objectID, AudioObjectID* role);
  void tellDeviceListChanged();

  void* mDriverObject;  // what the driver reference points to
  std::shared_ptr<LoadedDriver> mLoaded;
  AudioServerPlugInHostRef mHost = nullptr;
  std::mutex mLock;
  std::vector<std::unique_ptr<Device>> mDevices;
  AudioObjectID mNextObjectID = 2;
};

}  // namespace AudioServer
