#pragma once
// One device of a driver as the audio server runs it: its streams, its buffer size, its clock
// and its I/O. While at least one client runs I/O on it, the device has one I/O thread (or,
// under a manual clock, cycles that the clock's owner runs) that calls the driver's I/O
// operations for each client with that client's id.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "DeviceClock.h"
#include "HostClock.h"
#include "IOSession.h"
#include "LoadedDriver.h"

namespace AudioServer {

struct StreamRecord {
  AudioObjectID localID = 0;
  AudioObjectID globalID = 0;
  UInt32 channels = 0;
};

class ServerDevice {
 public:
  ServerDevice(std::shared_ptr<LoadedDriver> driver, AudioObjectID localID, AudioObjectID globalID,
               HostClock& clock);
  ~ServerDevice();
  ServerDevice(const ServerDevice&) = delete;
  ServerDevice& operator=(const ServerDevice&) = delete;

  const std::shared_ptr<LoadedDriver>& driver() const { return mDriver; }
  AudioObjectID localID() const { return mLocalID; }
  AudioObjectID globalID() const { return mGlobalID; }

  // Reads the streams, formats, safety offsets and rate from the driver.
  void readConfiguration(const std::function<AudioObjectID(AudioObjectID)>& globalIDOfLocal);
  std::vector<StreamRecord> streams(bool input) const;
  DeviceLayout layout() const;

  UInt32 bufferFrameSize() const;
  // Takes effect from the next cycle; false for a size outside the allowed range.
  bool setBufferFrameSize(UInt32 frames);

  // Starts the client's I/O at the driver and runs its session from the next cycle.
  OSStatus addSession(UInt32 clientID, std::unique_ptr<IOSessionEndpoint> endpoint);
  // Stops it; kAudioHardwareNotRunningError when the client runs none here.
  OSStatus removeSession(UInt32 clientID);
  // Stops every session (the device is going away or the server stops).
  void removeAllSessions();
  bool hasSession(UInt32 clientID) const;
  bool running() const;

  // Stops the I/O of every session at the driver, performs the change, reads the new
  // configuration and starts the I/O again.
  OSStatus performConfigurationChange(UInt64 action, void* info,
                                      const std::function<AudioObjectID(AudioObjectID)>& globalIDOfLocal);

  OSStatus currentTime(AudioTimeStamp* outTime);

  // Under a manual clock: the host time of the next cycle, or UINT64_MAX when none runs; and
  // running that cycle.
  uint64_t nextCycleHostTime();
  void runNextCycle();

 private:
  struct Session {
    UInt32 clientID;
    std::unique_ptr<IOSessionEndpoint> endpoint;
  };

  void readConfigurationLocked(const std::function<AudioObjectID(AudioObjectID)>& globalIDOfLocal);
  void threadMain();
  void startThreadIfNeeded();
  void stopThread();
  // Takes a zero time stamp from the driver; true when the time line changed. Needs mIOLock.
  bool refreshClockLocked();
  // The sample time of the first cycle of a time line. Needs mIOLock.
  Float64 firstCycleSampleTimeLocked(uint64_t hostNow) const;
  void runCycleLocked(Float64 sampleTime, uint64_t deadline);
  void runOperationLocked(Session& session, UInt32 operation, const AudioServerPlugInIOCycleInfo& info,
                          bool input);
  OSStatus startSessionIOLocked(UInt32 clientID);
  void stopSessionIOLocked(UInt32 clientID);
  void publishTimeLocked();

  const std::shared_ptr<LoadedDriver> mDriver;
  const AudioObjectID mLocalID;
  const AudioObjectID mGlobalID;
  HostClock& mClock;

  mutable std::mutex mIOLock;  // sessions, configuration and clock
  std::vector<StreamRecord> mInputStreams;
  std::vector<StreamRecord> mOutputStreams;
  UInt32 mBufferFrames = 512;
  UInt32 mInputSafetyOffset = 0;
  UInt32 mOutputSafetyOffset = 0;
  Float64 mNominalSampleRate = 0;
  std::vector<Session> mSessions;
  DeviceClock mClockModel;
  bool mResync = true;
  Float64 mNextCycleSampleTime = 0;
  UInt64 mCycleCounter = 0;

  // A copy of the clock for the device's current time, which clients ask for from inside
  // their own cycles (when the I/O lock is held).
  mutable std::mutex mTimeLock;
  DeviceClock mTimeClock;
  bool mTimeRunning = false;

  std::mutex mThreadLock;  // starting and stopping the I/O thread
  std::thread mThread;
  std::atomic<bool> mStopThread{false};
  HostTimeWaiter mWaiter;
};

}  // namespace AudioServer
