#pragma once
// The audio server: it loads the drivers of its plug-in folder, gives every object of every
// driver an id of its own (the system object is 1), answers what the platform's server
// answers above its drivers, keeps one client per connected process, and runs the devices'
// I/O for the clients that start it. The same core serves the audio server program (one
// connection per client process) and tests that run it inside their own process.
#include <CoreFoundation/CFString.h>
#include <dispatch/dispatch.h>
#include <objc/RefPtr.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "HostClock.h"
#include "IOSession.h"
#include "LoadedDriver.h"
#include "ServerDevice.h"

namespace AudioServer {

// How the server reaches one connected client.
class ClientEndpoint {
 public:
  virtual ~ClientEndpoint() = default;
  virtual void propertiesChanged(AudioObjectID objectID, UInt32 count,
                                 const AudioObjectPropertyAddress* addresses) = 0;
};

class Server {
 public:
  explicit Server(HostClock& clock);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  HostClock& clock() { return mClock; }

  // <root>/Library/Audio/Plug-Ins/HAL.
  static std::string defaultPlugInFolder();
  // Loads the ".driver" bundles of the folder that are not loaded yet, and withdraws the
  // devices of bundles that are no longer there.
  void scanPlugInFolder(const std::string& folder);
  // Adds a driver that lives in the server itself.
  OSStatus addDriver(const std::shared_ptr<LoadedDriver>& driver);
  // Withdraws the devices of a driver.
  void removeDriver(const std::shared_ptr<LoadedDriver>& driver);
  std::vector<std::string> problems() const;

  // A new client (its id) of the process, known by its bundle identifier (null for none).
  UInt32 addClient(pid_t pid, CFStringRef bundleID, ClientEndpoint* endpoint);
  // Stops the client's I/O, tells the drivers it is gone and forgets it.
  void removeClient(UInt32 clientID);

  Boolean hasProperty(UInt32 clientID, AudioObjectID objectID, const AudioObjectPropertyAddress& address);
  OSStatus isPropertySettable(UInt32 clientID, AudioObjectID objectID,
                              const AudioObjectPropertyAddress& address, Boolean* outIsSettable);
  OSStatus getPropertyDataSize(UInt32 clientID, AudioObjectID objectID,
                               const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                               const void* qualifier, UInt32* outDataSize);
  OSStatus getPropertyData(UInt32 clientID, AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                           UInt32 qualifierSize, const void* qualifier, UInt32 inDataSize,
                           UInt32* outDataSize, void* outData);
  OSStatus setPropertyData(UInt32 clientID, AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                           UInt32 qualifierSize, const void* qualifier, UInt32 inDataSize,
                           const void* inData);

  using EndpointFactory = std::function<std::unique_ptr<IOSessionEndpoint>(const DeviceLayout& layout)>;
  // Starts the client's I/O on the device with an endpoint made for the device's layout.
  OSStatus startIO(UInt32 clientID, AudioObjectID deviceID, const EndpointFactory& makeEndpoint);
  OSStatus stopIO(UInt32 clientID, AudioObjectID deviceID);
  OSStatus getCurrentTime(AudioObjectID deviceID, AudioTimeStamp* outTime);
  DeviceLayout deviceLayout(AudioObjectID deviceID);

  // Under a manual clock: runs every device cycle that is due up to the host time, in time
  // order, and leaves the clock there.
  void advanceClock(uint64_t hostTime);
  // Waits until the configuration changes that drivers asked for so far are done.
  void waitForConfigurationChanges();

  // From the drivers' host interface.
  void driverPropertiesChanged(LoadedDriver& driver, AudioObjectID localID, UInt32 count,
                               const AudioObjectPropertyAddress* addresses);
  OSStatus requestDeviceConfigurationChange(LoadedDriver& driver, AudioObjectID localDeviceID, UInt64 action,
                                            void* info);

 private:
  struct ObjectEntry {
    std::shared_ptr<LoadedDriver> driver;
    AudioObjectID localID;
  };
  struct Client {
    UInt32 clientID;
    pid_t pid;
    RefPtr<const __CFString> bundleID;
    ClientEndpoint* endpoint;
  };
  struct DriverRecord {
    std::shared_ptr<LoadedDriver> driver;
    bool published = false;
  };

  // ----- Objects (under mLock) -----
  AudioObjectID globalIDLocked(LoadedDriver* driver, AudioObjectID localID);
  bool resolve(AudioObjectID globalID, ObjectEntry& entry) const;
  AudioObjectID globalIDOf(LoadedDriver* driver, AudioObjectID localID);
  std::shared_ptr<ServerDevice> device(AudioObjectID globalID) const;
  std::vector<std::shared_ptr<ServerDevice>> devices() const;

  // ----- Drivers -----
  void publishDriver(const std::shared_ptr<LoadedDriver>& driver);
  void withdrawDriver(LoadedDriver* driver);
  void syncDevices(LoadedDriver* driver, const std::vector<AudioObjectID>& listed);
  void addDeviceClient(const ServerDevice& device, const Client& client);
  void removeDeviceClient(const ServerDevice& device, const Client& client);
  // Picks default devices again when one is unset or gone; answers whether one changed.
  bool chooseDefaultDevices();

  // ----- Properties the server answers itself -----
  OSStatus ownAnswer(AudioObjectID objectID, const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                     const void* qualifier, std::vector<UInt8>& value, bool& settable);
  bool systemProperty(const AudioObjectPropertyAddress& address, UInt32 qualifierSize, const void* qualifier,
                      std::vector<UInt8>& value, bool& settable);
  OSStatus setSystemProperty(const AudioObjectPropertyAddress& address, UInt32 inDataSize,
                             const void* inData);
  bool deviceProperty(const ServerDevice& device, const AudioObjectPropertyAddress& address,
                      std::vector<UInt8>& value, bool& settable);
  OSStatus setDeviceProperty(ServerDevice& device, UInt32 clientID, const AudioObjectPropertyAddress& address,
                             UInt32 inDataSize, const void* inData, bool& handled);
  // The ids of data that names objects, from the driver's numbering into the server's.
  void translateOutgoingIDs(const ObjectEntry& entry, const AudioObjectPropertyAddress& address, UInt32 size,
                            void* data);

  void notifyClients(AudioObjectID objectID, std::vector<AudioObjectPropertyAddress> addresses);
  pid_t clientPID(UInt32 clientID) const;

  HostClock& mClock;
  mutable std::mutex mLock;
  // Held shared while changes are told to clients, so that a client that leaves is never told
  // after it has gone.
  std::shared_mutex mNotifyLock;
  std::vector<DriverRecord> mDrivers;
  std::map<AudioObjectID, ObjectEntry> mObjects;
  std::map<std::pair<LoadedDriver*, AudioObjectID>, AudioObjectID> mGlobalIDs;
  AudioObjectID mNextObjectID = 32;
  std::vector<std::shared_ptr<ServerDevice>> mDevices;
  std::vector<Client> mClients;
  UInt32 mNextClientID = 1;
  AudioObjectID mDefaultInput = kAudioObjectUnknown;
  AudioObjectID mDefaultOutput = kAudioObjectUnknown;
  AudioObjectID mDefaultSystemOutput = kAudioObjectUnknown;
  std::vector<std::string> mProblems;
  dispatch_queue_t mConfigurationQueue;
};

}  // namespace AudioServer
