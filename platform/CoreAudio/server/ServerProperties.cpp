// The property calls of clients: the system object and a few device properties are the
// server's own; every other question goes to the driver of the object, with the object ids
// of its answer put into the server's numbering.
#include <CoreAudio/AudioHardware.h>

#include <algorithm>
#include <cstring>

#include "DriverProperties.h"
#include "PropertyAddresses.h"
#include "Server.h"

namespace AudioServer {

namespace {

template <class T>
void assign(std::vector<UInt8>& value, const T& item) {
  value.resize(sizeof(T));
  std::memcpy(value.data(), &item, sizeof(T));
}

void assignIDs(std::vector<UInt8>& value, const std::vector<AudioObjectID>& ids) {
  value.resize(ids.size() * sizeof(AudioObjectID));
  if (!ids.empty()) std::memcpy(value.data(), ids.data(), value.size());
}

// Lists may be read in part; any other value needs room for all of it.
bool IsListSelector(AudioObjectPropertySelector selector) {
  switch (selector) {
    case kAudioHardwarePropertyDevices:
    case kAudioHardwarePropertyPlugInList:
    case kAudioHardwarePropertyBoxList:
    case kAudioObjectPropertyOwnedObjects:
      return true;
    default:
      return false;
  }
}

bool IsSideScope(AudioObjectPropertyScope scope) {
  return scope == kAudioObjectPropertyScopeInput || scope == kAudioObjectPropertyScopeOutput;
}

// Selectors whose data is a list of object ids in the numbering of the driver that answers.
bool NamesObjects(AudioObjectPropertySelector selector) {
  switch (selector) {
    case kAudioPlugInPropertyDeviceList:
    case kAudioPlugInPropertyBoxList:
    case kAudioPlugInPropertyClockDeviceList:
    case kAudioPlugInPropertyTranslateUIDToDevice:
    case kAudioPlugInPropertyTranslateUIDToBox:
    case kAudioPlugInPropertyTranslateUIDToClockDevice:
    case kAudioBoxPropertyDeviceList:
    case kAudioBoxPropertyClockDeviceList:
    case kAudioObjectPropertyOwnedObjects:
    case kAudioObjectPropertyOwner:
    case kAudioObjectPropertyControlList:
    case kAudioDevicePropertyStreams:
    case kAudioDevicePropertyRelatedDevices:
      return true;
    default:
      return false;
  }
}

OSStatus copyOut(const std::vector<UInt8>& value, AudioObjectPropertySelector selector, UInt32 inDataSize,
                 UInt32* outDataSize, void* outData) {
  UInt32 size = UInt32(value.size());
  if (inDataSize < size) {
    if (!IsListSelector(selector)) return kAudioHardwareBadPropertySizeError;
    size = inDataSize - inDataSize % sizeof(AudioObjectID);
  }
  if (size) std::memcpy(outData, value.data(), size);
  *outDataSize = size;
  return kAudioHardwareNoError;
}

// A string property of a driver object (+1), or null.
CFStringRef copyDriverString(const LoadedDriver& driver, AudioObjectID object,
                             AudioObjectPropertySelector selector) {
  CFStringRef value = nullptr;
  if (!readDriverValue(driver, object, selector, kAudioObjectPropertyScopeGlobal, value)) return nullptr;
  if (value && CFGetTypeID(value) != CFStringGetTypeID()) {
    CFRelease(value);
    return nullptr;
  }
  return value;
}

bool SameString(CFStringRef a, CFStringRef b) {
  return a && b && CFStringCompare(a, b, 0) == kCFCompareEqualTo;
}

}  // namespace

// ----- System object -----

bool Server::systemProperty(const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                            const void* qualifier, std::vector<UInt8>& value, bool& settable) {
  settable = false;
  switch (address.mSelector) {
    case kAudioObjectPropertyBaseClass:
      assign(value, AudioClassID(kAudioObjectClassID));
      return true;
    case kAudioObjectPropertyClass:
      assign(value, AudioClassID(kAudioSystemObjectClassID));
      return true;
    case kAudioObjectPropertyOwner:
      assign(value, AudioObjectID(kAudioObjectUnknown));
      return true;
    case kAudioObjectPropertyOwnedObjects:
    case kAudioHardwarePropertyPlugInList: {
      std::vector<AudioObjectID> ids;
      std::lock_guard<std::mutex> guard(mLock);
      for (const DriverRecord& record : mDrivers) {
        if (!record.published) continue;
        auto found = mGlobalIDs.find({record.driver.get(), kAudioObjectPlugInObject});
        if (found != mGlobalIDs.end()) ids.push_back(found->second);
      }
      assignIDs(value, ids);
      return true;
    }
    case kAudioHardwarePropertyDevices: {
      std::vector<AudioObjectID> ids;
      for (const auto& device : devices()) ids.push_back(device->globalID());
      assignIDs(value, ids);
      return true;
    }
    case kAudioHardwarePropertyBoxList: {
      std::vector<AudioObjectID> ids;
      std::vector<std::shared_ptr<LoadedDriver>> published;
      {
        std::lock_guard<std::mutex> guard(mLock);
        for (const DriverRecord& record : mDrivers) {
          if (record.published) published.push_back(record.driver);
        }
      }
      for (const auto& driver : published) {
        for (AudioObjectID box :
             readDriverIDList(*driver, kAudioObjectPlugInObject, kAudioPlugInPropertyBoxList,
                              kAudioObjectPropertyScopeGlobal)) {
          ids.push_back(globalIDOf(driver.get(), box));
        }
      }
      assignIDs(value, ids);
      return true;
    }
    case kAudioHardwarePropertyDefaultInputDevice:
    case kAudioHardwarePropertyDefaultOutputDevice:
    case kAudioHardwarePropertyDefaultSystemOutputDevice: {
      std::lock_guard<std::mutex> guard(mLock);
      assign(value, address.mSelector == kAudioHardwarePropertyDefaultInputDevice    ? mDefaultInput
                    : address.mSelector == kAudioHardwarePropertyDefaultOutputDevice ? mDefaultOutput
                                                                                     : mDefaultSystemOutput);
      settable = true;
      return true;
    }
    case kAudioHardwarePropertyTranslateUIDToDevice:
    case kAudioHardwarePropertyTranslateUIDToBox: {
      CFStringRef uid = nullptr;
      if (qualifierSize == sizeof uid && qualifier) std::memcpy(&uid, qualifier, sizeof uid);
      AudioObjectID answer = kAudioObjectUnknown;
      if (uid && CFGetTypeID(uid) == CFStringGetTypeID()) {
        const bool toDevice = address.mSelector == kAudioHardwarePropertyTranslateUIDToDevice;
        if (toDevice) {
          for (const auto& device : devices()) {
            RefPtr<const __CFString> deviceUID =
                adopt(copyDriverString(*device->driver(), device->localID(), kAudioDevicePropertyDeviceUID));
            if (answer == kAudioObjectUnknown && SameString(uid, deviceUID.get()))
              answer = device->globalID();
          }
        } else {
          std::vector<UInt8> boxes;
          bool unused = false;
          systemProperty(GlobalAddress(kAudioHardwarePropertyBoxList), 0, nullptr, boxes, unused);
          for (size_t i = 0; i + sizeof(AudioObjectID) <= boxes.size(); i += sizeof(AudioObjectID)) {
            AudioObjectID box = 0;
            std::memcpy(&box, boxes.data() + i, sizeof box);
            ObjectEntry entry;
            if (!resolve(box, entry)) continue;
            RefPtr<const __CFString> boxUID =
                adopt(copyDriverString(*entry.driver, entry.localID, kAudioBoxPropertyBoxUID));
            if (answer == kAudioObjectUnknown && SameString(uid, boxUID.get())) answer = box;
          }
        }
      }
      assign(value, answer);
      return true;
    }
    default:
      return false;
  }
}

OSStatus Server::setSystemProperty(const AudioObjectPropertyAddress& address, UInt32 inDataSize,
                                   const void* inData) {
  const bool input = address.mSelector == kAudioHardwarePropertyDefaultInputDevice;
  const bool output = address.mSelector == kAudioHardwarePropertyDefaultOutputDevice ||
                      address.mSelector == kAudioHardwarePropertyDefaultSystemOutputDevice;
  if (!input && !output) return kAudioHardwareUnknownPropertyError;
  AudioObjectID deviceID = kAudioObjectUnknown;
  if (inDataSize != sizeof deviceID || !inData) return kAudioHardwareBadPropertySizeError;
  std::memcpy(&deviceID, inData, sizeof deviceID);
  std::shared_ptr<ServerDevice> found = device(deviceID);
  if (!found || found->streams(input).empty()) return kAudioHardwareBadDeviceError;
  {
    std::lock_guard<std::mutex> guard(mLock);
    AudioObjectID& slot = input ? mDefaultInput
                          : address.mSelector == kAudioHardwarePropertyDefaultOutputDevice
                              ? mDefaultOutput
                              : mDefaultSystemOutput;
    if (slot == deviceID) return kAudioHardwareNoError;
    slot = deviceID;
  }
  notifyClients(kAudioObjectSystemObject, {GlobalAddress(address.mSelector)});
  return kAudioHardwareNoError;
}

// ----- Devices -----

namespace {

// The device-level property that stands for a control's value: the volume scalar of a volume
// control, the value of a mute control.
bool ControlOfDeviceProperty(AudioObjectPropertySelector selector, AudioClassID& controlClass,
                             AudioObjectPropertySelector& controlSelector) {
  if (selector == kAudioDevicePropertyVolumeScalar) {
    controlClass = kAudioVolumeControlClassID;
    controlSelector = kAudioLevelControlPropertyScalarValue;
    return true;
  }
  if (selector == kAudioDevicePropertyMute) {
    controlClass = kAudioMuteControlClassID;
    controlSelector = kAudioBooleanControlPropertyValue;
    return true;
  }
  return false;
}

// The control (the driver's id) of the class on the address's scope and element; 0 for none.
AudioObjectID FindControl(const ServerDevice& device, AudioClassID controlClass,
                          const AudioObjectPropertyAddress& address) {
  const LoadedDriver& driver = *device.driver();
  for (AudioObjectID control : readDriverIDList(driver, device.localID(), kAudioObjectPropertyControlList,
                                                kAudioObjectPropertyScopeGlobal)) {
    AudioClassID found = 0;
    AudioObjectPropertyScope scope = 0;
    AudioObjectPropertyElement element = kAudioObjectPropertyElementWildcard;
    if (readDriverValue(driver, control, kAudioObjectPropertyClass, kAudioObjectPropertyScopeGlobal, found) &&
        found == controlClass &&
        readDriverValue(driver, control, kAudioControlPropertyScope, kAudioObjectPropertyScopeGlobal,
                        scope) &&
        scope == address.mScope &&
        readDriverValue(driver, control, kAudioControlPropertyElement, kAudioObjectPropertyScopeGlobal,
                        element) &&
        element == address.mElement) {
      return control;
    }
  }
  return kAudioObjectUnknown;
}

}  // namespace

bool Server::deviceProperty(const ServerDevice& device, const AudioObjectPropertyAddress& address,
                            std::vector<UInt8>& value, bool& settable) {
  settable = false;
  AudioClassID controlClass = 0;
  AudioObjectPropertySelector controlSelector = 0;
  if (ControlOfDeviceProperty(address.mSelector, controlClass, controlSelector)) {
    const AudioObjectID control = FindControl(device, controlClass, address);
    UInt32 controlValue = 0;
    if (!control || !readDriverValue(*device.driver(), control, controlSelector,
                                     kAudioObjectPropertyScopeGlobal, controlValue)) {
      return false;
    }
    const AudioObjectPropertyAddress controlAddress{controlSelector, kAudioObjectPropertyScopeGlobal,
                                                    kAudioObjectPropertyElementMain};
    Boolean canSet = false;
    device.driver()->calls().IsPropertySettable(device.driver()->ref(), control, getpid(), &controlAddress,
                                                &canSet);
    settable = canSet;
    assign(value, controlValue);
    return true;
  }
  switch (address.mSelector) {
    case kAudioDevicePropertyBufferFrameSize:
      assign(value, device.bufferFrameSize());
      settable = true;
      return true;
    case kAudioDevicePropertyBufferFrameSizeRange:
      assign(value, AudioValueRange{Float64(kMinIOBufferFrames), Float64(kMaxIOBufferFrames)});
      return true;
    case kAudioDevicePropertyDeviceIsRunningSomewhere:
      assign(value, UInt32(device.running() ? 1 : 0));
      return true;
    case kAudioDevicePropertyPlugIn:
      assign(value, globalIDOf(device.driver().get(), kAudioObjectPlugInObject));
      return true;
    case kAudioDevicePropertyStreamConfiguration: {
      if (!IsSideScope(address.mScope)) return false;
      const std::vector<StreamRecord> streams =
          device.streams(address.mScope == kAudioObjectPropertyScopeInput);
      value.assign(AudioBufferListSize(UInt32(streams.size())), 0);
      auto* list = reinterpret_cast<AudioBufferList*>(value.data());
      list->mNumberBuffers = UInt32(streams.size());
      for (size_t i = 0; i < streams.size(); ++i) list->mBuffers[i].mNumberChannels = streams[i].channels;
      return true;
    }
    case kAudioDevicePropertyStreamFormat: {
      if (!IsSideScope(address.mScope)) return false;
      const std::vector<StreamRecord> streams =
          device.streams(address.mScope == kAudioObjectPropertyScopeInput);
      AudioStreamBasicDescription format{};
      if (streams.empty() ||
          !readDriverValue(*device.driver(), streams.front().localID, kAudioStreamPropertyVirtualFormat,
                           kAudioObjectPropertyScopeGlobal, format)) {
        return false;
      }
      assign(value, format);
      settable = true;
      return true;
    }
    default:
      return false;
  }
}

OSStatus Server::setDeviceProperty(ServerDevice& device, UInt32 clientID,
                                   const AudioObjectPropertyAddress& address, UInt32 inDataSize,
                                   const void* inData, bool& handled) {
  handled = true;
  AudioClassID controlClass = 0;
  AudioObjectPropertySelector controlSelector = 0;
  if (ControlOfDeviceProperty(address.mSelector, controlClass, controlSelector)) {
    const AudioObjectID control = FindControl(device, controlClass, address);
    if (!control) return kAudioHardwareUnknownPropertyError;
    const AudioObjectPropertyAddress controlAddress{controlSelector, kAudioObjectPropertyScopeGlobal,
                                                    kAudioObjectPropertyElementMain};
    return device.driver()->calls().SetPropertyData(device.driver()->ref(), control, clientPID(clientID),
                                                    &controlAddress, 0, nullptr, inDataSize, inData);
  }
  if (address.mSelector == kAudioDevicePropertyBufferFrameSize) {
    UInt32 frames = 0;
    if (inDataSize != sizeof frames || !inData) return kAudioHardwareBadPropertySizeError;
    std::memcpy(&frames, inData, sizeof frames);
    if (frames == device.bufferFrameSize()) return kAudioHardwareNoError;
    if (!device.setBufferFrameSize(frames)) return kAudioHardwareIllegalOperationError;
    notifyClients(device.globalID(), {address});
    return kAudioHardwareNoError;
  }
  if (address.mSelector == kAudioDevicePropertyStreamFormat && IsSideScope(address.mScope)) {
    const std::vector<StreamRecord> streams =
        device.streams(address.mScope == kAudioObjectPropertyScopeInput);
    if (streams.empty()) return kAudioHardwareUnknownPropertyError;
    const AudioObjectPropertyAddress streamAddress{
        kAudioStreamPropertyVirtualFormat, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
    return device.driver()->calls().SetPropertyData(device.driver()->ref(), streams.front().localID,
                                                    clientPID(clientID), &streamAddress, 0, nullptr,
                                                    inDataSize, inData);
  }
  handled = false;
  return kAudioHardwareNoError;
}

// ----- Ids in driver answers -----

void Server::translateOutgoingIDs(const ObjectEntry& entry, const AudioObjectPropertyAddress& address,
                                  UInt32 size, void* data) {
  if (!NamesObjects(address.mSelector)) return;
  auto* ids = static_cast<UInt8*>(data);
  for (UInt32 offset = 0; offset + sizeof(AudioObjectID) <= size; offset += sizeof(AudioObjectID)) {
    AudioObjectID local = 0;
    std::memcpy(&local, ids + offset, sizeof local);
    AudioObjectID global = globalIDOf(entry.driver.get(), local);
    // A plug-in is owned by the system object.
    if (address.mSelector == kAudioObjectPropertyOwner && entry.localID == kAudioObjectPlugInObject) {
      global = kAudioObjectSystemObject;
    }
    std::memcpy(ids + offset, &global, sizeof global);
  }
}

// ----- The calls of clients -----

// What the server answers itself for the object: kAudioHardwareNoError with the value,
// kAudioHardwareUnknownPropertyError for a property of the system object it does not know,
// or 1 when the object's driver answers.
OSStatus Server::ownAnswer(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                           UInt32 qualifierSize, const void* qualifier, std::vector<UInt8>& value,
                           bool& settable) {
  if (objectID == kAudioObjectSystemObject) {
    return systemProperty(address, qualifierSize, qualifier, value, settable)
               ? kAudioHardwareNoError
               : kAudioHardwareUnknownPropertyError;
  }
  std::shared_ptr<ServerDevice> found = device(objectID);
  return found && deviceProperty(*found, address, value, settable) ? kAudioHardwareNoError : 1;
}

Boolean Server::hasProperty(UInt32 clientID, AudioObjectID objectID,
                            const AudioObjectPropertyAddress& address) {
  std::vector<UInt8> value;
  bool settable = false;
  const OSStatus own = ownAnswer(objectID, address, 0, nullptr, value, settable);
  if (own != 1) return own == kAudioHardwareNoError;
  ObjectEntry entry;
  if (!resolve(objectID, entry)) return false;
  return entry.driver->calls().HasProperty(entry.driver->ref(), entry.localID, clientPID(clientID), &address);
}

OSStatus Server::isPropertySettable(UInt32 clientID, AudioObjectID objectID,
                                    const AudioObjectPropertyAddress& address, Boolean* outIsSettable) {
  std::vector<UInt8> value;
  bool settable = false;
  const OSStatus own = ownAnswer(objectID, address, 0, nullptr, value, settable);
  if (own == kAudioHardwareNoError) *outIsSettable = settable;
  if (own != 1) return own;
  ObjectEntry entry;
  if (!resolve(objectID, entry)) return kAudioHardwareBadObjectError;
  return entry.driver->calls().IsPropertySettable(entry.driver->ref(), entry.localID, clientPID(clientID),
                                                  &address, outIsSettable);
}

OSStatus Server::getPropertyDataSize(UInt32 clientID, AudioObjectID objectID,
                                     const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                                     const void* qualifier, UInt32* outDataSize) {
  std::vector<UInt8> value;
  bool settable = false;
  const OSStatus own = ownAnswer(objectID, address, qualifierSize, qualifier, value, settable);
  if (own == kAudioHardwareNoError) *outDataSize = UInt32(value.size());
  if (own != 1) return own;
  ObjectEntry entry;
  if (!resolve(objectID, entry)) return kAudioHardwareBadObjectError;
  *outDataSize = 0;
  return entry.driver->calls().GetPropertyDataSize(entry.driver->ref(), entry.localID, clientPID(clientID),
                                                   &address, qualifierSize, qualifier, outDataSize);
}

OSStatus Server::getPropertyData(UInt32 clientID, AudioObjectID objectID,
                                 const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                                 const void* qualifier, UInt32 inDataSize, UInt32* outDataSize,
                                 void* outData) {
  *outDataSize = 0;
  std::vector<UInt8> value;
  bool settable = false;
  const OSStatus own = ownAnswer(objectID, address, qualifierSize, qualifier, value, settable);
  if (own == kAudioHardwareNoError)
    return copyOut(value, address.mSelector, inDataSize, outDataSize, outData);
  if (own != 1) return own;
  ObjectEntry entry;
  if (!resolve(objectID, entry)) return kAudioHardwareBadObjectError;
  const OSStatus status =
      entry.driver->calls().GetPropertyData(entry.driver->ref(), entry.localID, clientPID(clientID), &address,
                                            qualifierSize, qualifier, inDataSize, outDataSize, outData);
  // A driver never answers more than the buffer holds.
  if (*outDataSize > inDataSize) *outDataSize = inDataSize;
  if (status == kAudioHardwareNoError) translateOutgoingIDs(entry, address, *outDataSize, outData);
  return status;
}

OSStatus Server::setPropertyData(UInt32 clientID, AudioObjectID objectID,
                                 const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                                 const void* qualifier, UInt32 inDataSize, const void* inData) {
  if (objectID == kAudioObjectSystemObject) return setSystemProperty(address, inDataSize, inData);
  if (std::shared_ptr<ServerDevice> found = device(objectID)) {
    bool handled = false;
    const OSStatus status = setDeviceProperty(*found, clientID, address, inDataSize, inData, handled);
    if (handled) return status;
  }
  ObjectEntry entry;
  if (!resolve(objectID, entry)) return kAudioHardwareBadObjectError;
  return entry.driver->calls().SetPropertyData(entry.driver->ref(), entry.localID, clientPID(clientID),
                                               &address, qualifierSize, qualifier, inDataSize, inData);
}

}  // namespace AudioServer
