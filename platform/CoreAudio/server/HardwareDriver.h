#pragma once
// A driver that lives in the audio server and publishes devices that stand for hardware: each
// device is described (name, UID, channels, rate) and backed by something that keeps its
// clock and moves its samples (simulated devices, ALSA PCMs). Devices can come and go while
// the server runs.
#include <CoreAudio/AudioServerPlugIn.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LoadedDriver.h"

namespace AudioServer {

struct HardwareDeviceDescription {
  std::string name;
  std::string uid;
  UInt32 inputChannels = 2;
  UInt32 outputChannels = 2;
  Float64 sampleRate = 48000;
  std::vector<Float64> sampleRates = {44100, 48000, 88200, 96000};
  UInt32 safetyOffset = 0;
};

// What stands behind one device: its clock and its samples. Called by the server's control
// threads (start, stop) and by the device's I/O thread (the rest).
class DeviceHardware {
 public:
  virtual ~DeviceHardware() = default;
  // The first client starts I/O: the clock starts a new time line. False when the hardware
  // cannot run at the rate.
  virtual bool start(Float64 sampleRate) = 0;
  virtual void stop() = 0;
  // The latest zero time stamp of the running time line (one every 16384 frames).
  virtual void zeroTimeStamp(Float64& sampleTime, UInt64& hostTime, UInt64& seed) = 0;
  // The input frames of a sample time, interleaved.
  virtual void read(Float64 sampleTime, UInt32 frames, UInt32 channels, Float32* samples) = 0;
  // A client's output frames of a sample time, interleaved; clients' frames add up.
  virtual void write(Float64 sampleTime, UInt32 frames, UInt32 channels, const Float32* samples) = 0;
};

class HardwareDriver {
 public:
  HardwareDriver();
  virtual ~HardwareDriver();
  HardwareDriver(const HardwareDriver&) = delete;
  HardwareDriver& operator=(const HardwareDriver&) = delete;

  // The driver to hand the server (addDriver).
  std::shared_ptr<LoadedDriver> driver() { return mLoaded; }

  // Adds a device (its UID must be new); a server that has the driver publishes it.
  void addDevice(const HardwareDeviceDescription& description, std::unique_ptr<DeviceHardware> hardware);
  // Removes the device of that UID; the server withdraws it.
  void removeDevice(const std::string& uid);
  // What stands behind the device of that UID, or null.
  DeviceHardware* hardware(const std::string& uid);

  struct Device;

 private:
  friend struct HardwareDriverCalls;

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
