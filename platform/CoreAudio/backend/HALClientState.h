#pragma once
// The process-wide side of the audio client library: the connection to the audio server
// (made on first use and made again after the server went away), the property listeners of
// the process and the IOProcs of each device.
#include <CoreFoundation/CFRunLoop.h>
#include <dispatch/dispatch.h>
#include <objc/RefPtr.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "HALConnection.h"

namespace HALClient {

// The IOProcs of this process on one device.
class DeviceIO final : public IOCycleHandler {
 public:
  explicit DeviceIO(AudioObjectID deviceID) : mDeviceID(deviceID) {}
  AudioObjectID deviceID() const { return mDeviceID; }

  OSStatus createProc(AudioDeviceIOProc proc, void* clientData, AudioDeviceIOProcID* outID);
  OSStatus destroyProc(AudioDeviceIOProcID procID);
  // Marks the proc (null: the device itself) started or stopped; answers whether the device
  // has anything started afterwards. 'nope' for a proc that is not registered.
  OSStatus setStarted(AudioDeviceIOProcID procID, bool started, bool& anyStarted);
  bool anyStarted();
  // Everything stops (the server went away).
  void stopAll();
  // Whether the calling thread runs this device's cycle now.
  bool onIOThread() const;
  // Prepares the mixing of several procs' output for the device's output streams.
  void prepareOutputs(const std::vector<UInt32>& channels);

  void ioCycle(const AudioTimeStamp& now, const AudioBufferList* input, const AudioTimeStamp& inputTime,
               AudioBufferList* output, const AudioTimeStamp& outputTime) override;

  std::mutex& controlLock() { return mControlLock; }
  bool sessionRunning = false;  // under controlLock

 private:
  struct Proc {
    AudioDeviceIOProc proc;
    void* clientData;
    bool started;
  };
  std::unique_lock<std::mutex> lockCycle();

  const AudioObjectID mDeviceID;
  std::mutex mControlLock;  // starting and stopping the session
  std::mutex mCycleLock;    // the procs; held by the I/O thread during a cycle
  std::vector<Proc> mProcs;
  int mDeviceStarts = 0;
  std::vector<std::vector<Float32>> mScratch;
  std::vector<UInt8> mScratchList;
};

struct Listener {
  enum class Kind { Proc, Block, Hardware };
  Listener() = default;
  Listener(Kind kind, AudioObjectID objectID, const AudioObjectPropertyAddress& address)
      : kind(kind), objectID(objectID), address(address) {}

  Kind kind = Kind::Proc;
  AudioObjectID objectID = kAudioObjectUnknown;
  AudioObjectPropertyAddress address{};
  AudioObjectPropertyListenerProc proc = nullptr;
  AudioHardwarePropertyListenerProc hardwareProc = nullptr;
  void* clientData = nullptr;
  AudioObjectPropertyListenerBlock block;
  dispatch_queue_t queue = nullptr;  // retained
  std::shared_ptr<std::atomic<bool>> alive;
};

class State final : public ConnectionEvents {
 public:
  static State& shared();

  // Runs the work with the connection, connecting first when there is none;
  // kAudioHardwareNotRunningError when no audio server can be reached.
  OSStatus withConnection(const std::function<OSStatus(Connection&)>& work);
  void setFactory(const ConnectionFactory* factory);
  void unload();

  OSStatus addListener(Listener listener);
  OSStatus removeListener(const std::function<bool(const Listener&)>& matches);

  DeviceIO& deviceIO(AudioObjectID deviceID);
  OSStatus startDevice(AudioObjectID deviceID, AudioDeviceIOProcID procID);
  OSStatus stopDevice(AudioObjectID deviceID, AudioDeviceIOProcID procID);

  CFRunLoopRef runLoop();
  void setRunLoop(CFRunLoopRef runLoop);

  void propertiesChanged(AudioObjectID objectID, UInt32 count,
                         const AudioObjectPropertyAddress* addresses) override;
  void connectionLost() override;

 private:
  State();
  std::shared_ptr<Connection> connection(OSStatus& status);
  void stopSessionIfIdle(DeviceIO& io);
  void dropConnection();
  void scheduleReconnect();
  void deliver(AudioObjectID objectID, const std::vector<AudioObjectPropertyAddress>& addresses);

  std::mutex mLock;  // the connection and the factory
  std::shared_ptr<Connection> mConnection;
  std::unique_ptr<ConnectionFactory> mFactory;
  uint64_t mGeneration = 0;
  bool mReconnecting = false;

  std::mutex mListenersLock;
  std::vector<Listener> mListeners;

  std::mutex mDevicesLock;
  std::map<AudioObjectID, std::unique_ptr<DeviceIO>> mDevices;

  std::mutex mRunLoopLock;
  RefPtr<__CFRunLoop> mRunLoop;

  dispatch_queue_t mNotificationQueue;
  dispatch_queue_t mControlQueue;
};

}  // namespace HALClient
