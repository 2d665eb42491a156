#include "Server.h"

#include <CoreAudio/AudioHardware.h>
#include <CoreFoundation/CFPlatformRoot.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "DriverProperties.h"
#include "PropertyAddresses.h"

namespace AudioServer {

Server::Server(HostClock& clock)
    : mClock(clock),
      mConfigurationQueue(dispatch_queue_create("AudioServer.ConfigurationChanges", nullptr)) {}

Server::~Server() {
  std::vector<UInt32> clients;
  std::vector<std::shared_ptr<LoadedDriver>> drivers;
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (const Client& client : mClients) clients.push_back(client.clientID);
    for (const DriverRecord& record : mDrivers) drivers.push_back(record.driver);
  }
  for (UInt32 client : clients) removeClient(client);
  dispatch_sync(mConfigurationQueue, [] {});
  for (const std::shared_ptr<ServerDevice>& device : devices()) device->removeAllSessions();
  // A driver that calls its host from now on finds no server.
  for (const auto& driver : drivers) driver->detachHost();
  dispatch_sync(mConfigurationQueue, [] {});
  dispatch_release(mConfigurationQueue);
}

std::string Server::defaultPlugInFolder() { return CFPlatform::rootPath() + "/Library/Audio/Plug-Ins/HAL"; }

std::vector<std::string> Server::problems() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mProblems;
}

// ----- Objects -----

AudioObjectID Server::globalIDLocked(LoadedDriver* driver, AudioObjectID localID) {
  if (localID == kAudioObjectUnknown) return kAudioObjectUnknown;
  auto found = mGlobalIDs.find({driver, localID});
  if (found != mGlobalIDs.end()) return found->second;
  std::shared_ptr<LoadedDriver> owner;
  for (const DriverRecord& record : mDrivers) {
    if (record.driver.get() == driver) owner = record.driver;
  }
  if (!owner) return kAudioObjectUnknown;
  const AudioObjectID globalID = mNextObjectID++;
  mGlobalIDs[{driver, localID}] = globalID;
  mObjects[globalID] = {owner, localID};
  return globalID;
}

AudioObjectID Server::globalIDOf(LoadedDriver* driver, AudioObjectID localID) {
  std::lock_guard<std::mutex> guard(mLock);
  return globalIDLocked(driver, localID);
}

bool Server::resolve(AudioObjectID globalID, ObjectEntry& entry) const {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mObjects.find(globalID);
  if (found == mObjects.end()) return false;
  entry = found->second;
  return true;
}

std::shared_ptr<ServerDevice> Server::device(AudioObjectID globalID) const {
  std::lock_guard<std::mutex> guard(mLock);
  for (const std::shared_ptr<ServerDevice>& device : mDevices) {
    if (device->globalID() == globalID) return device;
  }
  return nullptr;
}

std::vector<std::shared_ptr<ServerDevice>> Server::devices() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mDevices;
}

pid_t Server::clientPID(UInt32 clientID) const {
  std::lock_guard<std::mutex> guard(mLock);
  for (const Client& client : mClients) {
    if (client.clientID == clientID) return client.pid;
  }
  return getpid();
}

// ----- Drivers -----

void Server::scanPlugInFolder(const std::string& folder) {
  std::vector<std::string> present;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".driver") present.push_back(entry.path().string());
  }
  std::sort(present.begin(), present.end());

  std::vector<std::shared_ptr<LoadedDriver>> withdrawn;
  std::vector<std::shared_ptr<LoadedDriver>> republished;
  std::set<std::string> known;
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (DriverRecord& record : mDrivers) {
      const std::string& path = record.driver->bundlePath();
      if (path.empty()) continue;
      known.insert(path);
      const bool there = std::find(present.begin(), present.end(), path) != present.end();
      if (!there && record.published) withdrawn.push_back(record.driver);
      if (there && !record.published) republished.push_back(record.driver);
    }
  }
  for (const auto& driver : withdrawn) removeDriver(driver);
  for (const auto& driver : republished) publishDriver(driver);
  for (const std::string& path : present) {
    if (known.count(path)) continue;
    std::vector<std::string> problems;
    for (const auto& driver : LoadedDriver::loadBundle(path, problems)) addDriver(driver);
    std::lock_guard<std::mutex> guard(mLock);
    mProblems.insert(mProblems.end(), problems.begin(), problems.end());
  }
}

OSStatus Server::addDriver(const std::shared_ptr<LoadedDriver>& driver) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    mDrivers.push_back({driver, false});
  }
  const OSStatus status = driver->initialize(*this);
  if (status != kAudioHardwareNoError) {
    std::lock_guard<std::mutex> guard(mLock);
    mProblems.push_back(driver->bundlePath() + ": the driver did not initialise");
    return status;
  }
  publishDriver(driver);
  return kAudioHardwareNoError;
}

void Server::removeDriver(const std::shared_ptr<LoadedDriver>& driver) { withdrawDriver(driver.get()); }

void Server::publishDriver(const std::shared_ptr<LoadedDriver>& driver) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (DriverRecord& record : mDrivers) {
      if (record.driver == driver) record.published = true;
    }
    globalIDLocked(driver.get(), kAudioObjectPlugInObject);
  }
  syncDevices(driver.get(),
              readDriverIDList(*driver, kAudioObjectPlugInObject, kAudioPlugInPropertyDeviceList,
                               kAudioObjectPropertyScopeGlobal));
}

void Server::withdrawDriver(LoadedDriver* driver) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (DriverRecord& record : mDrivers) {
      if (record.driver.get() == driver) record.published = false;
    }
  }
  syncDevices(driver, {});
  std::lock_guard<std::mutex> guard(mLock);
  for (auto it = mGlobalIDs.begin(); it != mGlobalIDs.end();) {
    if (it->first.first == driver) {
      mObjects.erase(it->second);
      it = mGlobalIDs.erase(it);
    } else {
      ++it;
    }
  }
}

// Publishes the devices of the list that the server does not have, and withdraws those of the
// driver that the list no longer names (with their streams' ids, so that clients asking about
// them hear '!obj').
void Server::syncDevices(LoadedDriver* driver, const std::vector<AudioObjectID>& listed) {
  std::shared_ptr<LoadedDriver> owner;
  std::vector<std::shared_ptr<ServerDevice>> gone;
  std::vector<AudioObjectID> added;
  std::vector<Client> clients;
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (const DriverRecord& record : mDrivers) {
      if (record.driver.get() == driver) owner = record.driver;
    }
    for (auto it = mDevices.begin(); it != mDevices.end();) {
      const bool mine = (*it)->driver().get() == driver;
      if (mine && std::find(listed.begin(), listed.end(), (*it)->localID()) == listed.end()) {
        gone.push_back(*it);
        it = mDevices.erase(it);
      } else {
        ++it;
      }
    }
    for (AudioObjectID local : listed) {
      const bool known = std::any_of(mDevices.begin(), mDevices.end(), [&](const auto& device) {
        return device->driver().get() == driver && device->localID() == local;
      });
      if (!known) added.push_back(local);
    }
    clients = mClients;
  }
  for (const auto& device : gone) {
    device->removeAllSessions();
    for (const Client& client : clients) removeDeviceClient(*device, client);
    // The device's own lock is never taken inside the server's.
    std::vector<AudioObjectID> locals = {device->localID()};
    for (bool input : {true, false}) {
      for (const StreamRecord& stream : device->streams(input)) locals.push_back(stream.localID);
    }
    std::lock_guard<std::mutex> guard(mLock);
    for (AudioObjectID local : locals) {
      auto found = mGlobalIDs.find({driver, local});
      if (found == mGlobalIDs.end()) continue;
      mObjects.erase(found->second);
      mGlobalIDs.erase(found);
    }
  }
  if (owner) {
    const auto globalOf = [this, driver](AudioObjectID local) { return globalIDOf(driver, local); };
    for (AudioObjectID local : added) {
      auto device = std::make_shared<ServerDevice>(owner, local, globalOf(local), mClock);
      device->readConfiguration(globalOf);
      {
        std::lock_guard<std::mutex> guard(mLock);
        mDevices.push_back(device);
        clients = mClients;
      }
      for (const Client& client : clients) addDeviceClient(*device, client);
    }
  }
  std::vector<AudioObjectPropertyAddress> changed = {
      GlobalAddress(kAudioHardwarePropertyDevices), GlobalAddress(kAudioHardwarePropertyPlugInList),
      GlobalAddress(kAudioHardwarePropertyBoxList), GlobalAddress(kAudioObjectPropertyOwnedObjects)};
  if (chooseDefaultDevices()) {
    changed.push_back(GlobalAddress(kAudioHardwarePropertyDefaultInputDevice));
    changed.push_back(GlobalAddress(kAudioHardwarePropertyDefaultOutputDevice));
    changed.push_back(GlobalAddress(kAudioHardwarePropertyDefaultSystemOutputDevice));
  }
  notifyClients(kAudioObjectSystemObject, changed);
}

void Server::addDeviceClient(const ServerDevice& device, const Client& client) {
  const AudioServerPlugInClientInfo info{client.clientID, client.pid, true, client.bundleID.get()};
  device.driver()->calls().AddDeviceClient(device.driver()->ref(), device.localID(), &info);
}

void Server::removeDeviceClient(const ServerDevice& device, const Client& client) {
  const AudioServerPlugInClientInfo info{client.clientID, client.pid, true, client.bundleID.get()};
  device.driver()->calls().RemoveDeviceClient(device.driver()->ref(), device.localID(), &info);
}

// A default device must be able to be one; devices of the machine come before virtual ones.
bool Server::chooseDefaultDevices() {
  struct Candidate {
    AudioObjectID id;
    bool input, output, canBeDefault, isVirtual;
  };
  std::vector<Candidate> candidates;
  for (const auto& device : devices()) {
    UInt32 canBeDefault = 0, transport = 0;
    readDriverValue(*device->driver(), device->localID(), kAudioDevicePropertyDeviceCanBeDefaultDevice,
                    kAudioObjectPropertyScopeOutput, canBeDefault);
    readDriverValue(*device->driver(), device->localID(), kAudioDevicePropertyTransportType,
                    kAudioObjectPropertyScopeGlobal, transport);
    candidates.push_back({device->globalID(), !device->streams(true).empty(), !device->streams(false).empty(),
                          canBeDefault != 0, transport == kAudioDeviceTransportTypeVirtual});
  }
  auto choose = [&](AudioObjectID current, bool input) {
    for (const Candidate& candidate : candidates) {
      if (candidate.id == current && (input ? candidate.input : candidate.output)) return current;
    }
    for (bool virtualAllowed : {false, true}) {
      for (const Candidate& candidate : candidates) {
        if ((input ? candidate.input : candidate.output) && candidate.canBeDefault &&
            (virtualAllowed || !candidate.isVirtual)) {
          return candidate.id;
        }
      }
    }
    return AudioObjectID(kAudioObjectUnknown);
  };
  std::lock_guard<std::mutex> guard(mLock);
  const AudioObjectID input = choose(mDefaultInput, true);
  const AudioObjectID output = choose(mDefaultOutput, false);
  const AudioObjectID systemOutput = choose(mDefaultSystemOutput, false);
  const bool changed =
      input != mDefaultInput || output != mDefaultOutput || systemOutput != mDefaultSystemOutput;
  mDefaultInput = input;
  mDefaultOutput = output;
  mDefaultSystemOutput = systemOutput;
  return changed;
}

// ----- Clients -----

UInt32 Server::addClient(pid_t pid, CFStringRef bundleID, ClientEndpoint* endpoint) {
  Client client{0, pid, RefPtr<const __CFString>(bundleID), endpoint};
  std::vector<std::shared_ptr<ServerDevice>> known;
  {
    std::lock_guard<std::mutex> guard(mLock);
    client.clientID = mNextClientID++;
    mClients.push_back(client);
    known = mDevices;
  }
  for (const auto& device : known) addDeviceClient(*device, client);
  return client.clientID;
}

void Server::removeClient(UInt32 clientID) {
  Client client{};
  std::vector<std::shared_ptr<ServerDevice>> known;
  {
    std::lock_guard<std::mutex> guard(mLock);
    auto found = std::find_if(mClients.begin(), mClients.end(),
                              [&](const Client& candidate) { return candidate.clientID == clientID; });
    if (found == mClients.end()) return;
    client = *found;
    mClients.erase(found);
    known = mDevices;
  }
  { std::unique_lock<std::shared_mutex> barrier(mNotifyLock); }
  for (const auto& device : known) {
    device->removeSession(clientID);
    removeDeviceClient(*device, client);
  }
}

void Server::notifyClients(AudioObjectID objectID, std::vector<AudioObjectPropertyAddress> addresses) {
  if (addresses.empty()) return;
  std::shared_lock<std::shared_mutex> notifying(mNotifyLock);
  std::vector<ClientEndpoint*> endpoints;
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (const Client& client : mClients) {
      if (client.endpoint) endpoints.push_back(client.endpoint);
    }
  }
  for (ClientEndpoint* endpoint : endpoints)
    endpoint->propertiesChanged(objectID, UInt32(addresses.size()), addresses.data());
}

// ----- I/O -----

OSStatus Server::startIO(UInt32 clientID, AudioObjectID deviceID, const EndpointFactory& makeEndpoint) {
  std::shared_ptr<ServerDevice> found = device(deviceID);
  if (!found) return kAudioHardwareBadDeviceError;
  if (found->hasSession(clientID)) return kAudioHardwareNoError;
  std::unique_ptr<IOSessionEndpoint> endpoint = makeEndpoint(found->layout());
  if (!endpoint) return kAudioHardwareUnspecifiedError;
  return found->addSession(clientID, std::move(endpoint));
}

OSStatus Server::stopIO(UInt32 clientID, AudioObjectID deviceID) {
  std::shared_ptr<ServerDevice> found = device(deviceID);
  if (!found) return kAudioHardwareBadDeviceError;
  return found->removeSession(clientID);
}

OSStatus Server::getCurrentTime(AudioObjectID deviceID, AudioTimeStamp* outTime) {
  std::shared_ptr<ServerDevice> found = device(deviceID);
  if (!found) return kAudioHardwareBadDeviceError;
  return found->currentTime(outTime);
}

DeviceLayout Server::deviceLayout(AudioObjectID deviceID) {
  std::shared_ptr<ServerDevice> found = device(deviceID);
  return found ? found->layout() : DeviceLayout{};
}

void Server::advanceClock(uint64_t hostTime) {
  auto* manual = dynamic_cast<ManualHostClock*>(&mClock);
  if (!manual) return;
  while (true) {
    std::shared_ptr<ServerDevice> next;
    uint64_t nextTime = UINT64_MAX;
    for (const auto& device : devices()) {
      const uint64_t time = device->nextCycleHostTime();
      if (time < nextTime) nextTime = time, next = device;
    }
    if (!next || nextTime > hostTime) break;
    manual->set(nextTime);
    next->runNextCycle();
  }
  manual->set(hostTime);
}

void Server::waitForConfigurationChanges() {
  dispatch_sync(mConfigurationQueue, [] {});
}

// ----- From the drivers -----

void Server::driverPropertiesChanged(LoadedDriver& driver, AudioObjectID localID, UInt32 count,
                                     const AudioObjectPropertyAddress* addresses) {
  const AudioObjectID globalID = globalIDOf(&driver, localID);
  if (globalID == kAudioObjectUnknown) return;
  std::vector<AudioObjectPropertyAddress> changed(addresses, addresses + count);
  // A driver whose device list changed publishes or withdraws devices, out of its call.
  if (localID == kAudioObjectPlugInObject &&
      std::any_of(changed.begin(), changed.end(), [](const AudioObjectPropertyAddress& address) {
        return address.mSelector == kAudioPlugInPropertyDeviceList;
      })) {
    std::shared_ptr<LoadedDriver> owner;
    ObjectEntry entry;
    if (resolve(globalID, entry)) owner = entry.driver;
    if (owner) {
      dispatch_async(mConfigurationQueue, [this, owner] {
        syncDevices(owner.get(),
                    readDriverIDList(*owner, kAudioObjectPlugInObject, kAudioPlugInPropertyDeviceList,
                                     kAudioObjectPropertyScopeGlobal));
      });
    }
  }
  notifyClients(globalID, std::move(changed));
}

OSStatus Server::requestDeviceConfigurationChange(LoadedDriver& driver, AudioObjectID localDeviceID,
                                                  UInt64 action, void* info) {
  const AudioObjectID globalID = globalIDOf(&driver, localDeviceID);
  if (!device(globalID)) return kAudioHardwareBadDeviceError;
  dispatch_async(mConfigurationQueue, [this, globalID, action, info] {
    std::shared_ptr<ServerDevice> target = device(globalID);
    if (!target) return;
    LoadedDriver* raw = target->driver().get();
    target->performConfigurationChange(action, info,
                                       [this, raw](AudioObjectID local) { return globalIDOf(raw, local); });
    notifyClients(globalID, {GlobalAddress(kAudioDevicePropertyNominalSampleRate),
                             {kAudioDevicePropertyStreamFormat, kAudioObjectPropertyScopeInput, 0},
                             {kAudioDevicePropertyStreamFormat, kAudioObjectPropertyScopeOutput, 0}});
    for (bool input : {true, false}) {
      for (const StreamRecord& stream : target->streams(input)) {
        notifyClients(stream.globalID, {GlobalAddress(kAudioStreamPropertyVirtualFormat),
                                        GlobalAddress(kAudioStreamPropertyPhysicalFormat)});
      }
    }
  });
  return kAudioHardwareNoError;
}

}  // namespace AudioServer
