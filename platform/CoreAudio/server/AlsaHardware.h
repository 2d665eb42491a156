#pragma once
// The sound cards of the machine, through ALSA, as devices of the server: one device per card
// (its first PCM, through the "plughw" plug so that any card takes 2 channels of float), or
// any PCM named by the server's user. A thread per direction moves the samples between the
// PCM and a ring addressed by sample time, and the frames it has moved are the device's clock.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HardwareDriver.h"

namespace AudioServer {

// Adds a device for every sound card that has a PCM; answers how many.
size_t AddAlsaCards(HardwareDriver& driver);
// Adds a device, shown by the name, for the PCM of that name ("null", "default", "hw:1,0");
// false, with the reason, when it opens in neither direction.
bool AddAlsaDevice(HardwareDriver& driver, const std::string& pcmName, const std::string& name,
                   std::string& error);

class AlsaHardware final : public DeviceHardware {
 public:
  AlsaHardware(std::string pcmName, UInt32 inputChannels, UInt32 outputChannels);
  ~AlsaHardware() override;

  bool start(Float64 sampleRate) override;
  void stop() override;
  void zeroTimeStamp(Float64& sampleTime, UInt64& hostTime, UInt64& seed) override;
  void read(Float64 sampleTime, UInt32 frames, UInt32 channels, Float32* samples) override;
  void write(Float64 sampleTime, UInt32 frames, UInt32 channels, const Float32* samples) override;

 private:
  struct Direction;
  void pump(Direction& direction);

  const std::string mPCMName;
  std::unique_ptr<Direction> mCapture;
  std::unique_ptr<Direction> mPlayback;
  Direction* mClock = nullptr;  // the direction whose frames are the device's clock
  std::atomic<bool> mRunning{false};
  std::mutex mClockLock;
  Float64 mZeroSampleTime = 0;
  UInt64 mZeroHostTime = 0;
  UInt64 mSeed = 0;
};

}  // namespace AudioServer
