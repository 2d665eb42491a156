#include "HardwareDriver.h"

#include <CoreAudio/AudioHardware.h>
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace AudioServer {

namespace {

constexpr UInt32 kZeroTimeStampPeriod = 16384;

// What the driver reference points to: the table first, then the driver it belongs to.
struct DriverObject {
  AudioServerPlugInDriverInterface* table;
  HardwareDriver* owner;
};

}  // namespace

struct HardwareDriver::Device {
  HardwareDeviceDescription spec;  // the rate changes under the lock
  std::unique_ptr<DeviceHardware> hardware;
  RefPtr<const __CFString> name;
  RefPtr<const __CFString> uid;
  AudioObjectID deviceID = 0;
  AudioObjectID inputStreamID = 0;
  AudioObjectID outputStreamID = 0;
  bool published = true;

  std::mutex lock;
  int running = 0;
};

namespace {

// One property value: bytes, or a CoreFoundation object handed out +1.
struct Value {
  std::vector<UInt8> bytes;
  CFStringRef string = nullptr;  // borrowed; copied when answered
  bool list = false;             // may be read in part
};

template <class T>
Value scalar(const T& item) {
  Value value;
  value.bytes.resize(sizeof(T));
  std::memcpy(value.bytes.data(), &item, sizeof(T));
  return value;
}

template <class T>
Value listOf(const std::vector<T>& items) {
  Value value;
  value.list = true;
  value.bytes.resize(items.size() * sizeof(T));
  if (!items.empty()) std::memcpy(value.bytes.data(), items.data(), value.bytes.size());
  return value;
}

AudioStreamBasicDescription formatOf(Float64 rate, UInt32 channels) {
  return {rate,
          kAudioFormatLinearPCM,
          kAudioFormatFlagsNativeFloatPacked,
          4 * channels,
          1,
          4 * channels,
          channels,
          32,
          0};
}

}  // namespace

// The driver interface of the simulated devices.
struct HardwareDriverCalls {
  static HardwareDriver* owner(const void* driver) { return static_cast<const DriverObject*>(driver)->owner; }

  static std::optional<Value> answer(HardwareDriver& self, AudioObjectID objectID,
                                     const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                                     const void* qualifier);

  static HRESULT QueryInterface(void* driver, REFIID uuid, LPVOID* out) {
    const CFUUIDBytes wanted = CFUUIDGetUUIDBytes(kAudioServerPlugInDriverInterfaceUUID);
    const CFUUIDBytes unknown = CFUUIDGetUUIDBytes(IUnknownUUID);
    if (!out) return E_POINTER;
    if (std::memcmp(&uuid, &wanted, sizeof uuid) != 0 && std::memcmp(&uuid, &unknown, sizeof uuid) != 0) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = driver;
    return S_OK;
  }
  static ULONG AddRef(void*) { return 1; }
  static ULONG Release(void*) { return 1; }
  static OSStatus Initialize(AudioServerPlugInDriverRef driver, AudioServerPlugInHostRef host) {
    std::lock_guard<std::mutex> guard(owner(driver)->mLock);
    owner(driver)->mHost = host;
    return kAudioHardwareNoError;
  }
  static OSStatus Unsupported(AudioServerPlugInDriverRef, CFDictionaryRef, const AudioServerPlugInClientInfo*,
                              AudioObjectID*) {
    return kAudioHardwareUnsupportedOperationError;
  }
  static OSStatus DestroyDevice(AudioServerPlugInDriverRef, AudioObjectID) {
    return kAudioHardwareUnsupportedOperationError;
  }
  static OSStatus Client(AudioServerPlugInDriverRef, AudioObjectID, const AudioServerPlugInClientInfo*) {
    return kAudioHardwareNoError;
  }
  static OSStatus PerformChange(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, UInt64 action,
                                void*) {
    HardwareDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device) return kAudioHardwareBadObjectError;
    std::lock_guard<std::mutex> guard(device->lock);
    device->spec.sampleRate = Float64(action);
    // Hardware that runs through a change starts again at the new rate.
    if (device->running > 0) {
      device->hardware->stop();
      device->hardware->start(device->spec.sampleRate);
    }
    return kAudioHardwareNoError;
  }
  static OSStatus AbortChange(AudioServerPlugInDriverRef, AudioObjectID, UInt64, void*) {
    return kAudioHardwareNoError;
  }
  static Boolean HasProperty(AudioServerPlugInDriverRef driver, AudioObjectID objectID, pid_t,
                             const AudioObjectPropertyAddress* address) {
    return address && answer(*owner(driver), objectID, *address, 0, nullptr).has_value();
  }
  static OSStatus IsPropertySettable(AudioServerPlugInDriverRef driver, AudioObjectID objectID, pid_t,
                                     const AudioObjectPropertyAddress* address, Boolean* settable) {
    if (!address || !settable) return kAudioHardwareIllegalOperationError;
    if (!answer(*owner(driver), objectID, *address, 0, nullptr)) return kAudioHardwareUnknownPropertyError;
    *settable = address->mSelector == kAudioDevicePropertyNominalSampleRate;
    return kAudioHardwareNoError;
  }
  static OSStatus GetPropertyDataSize(AudioServerPlugInDriverRef driver, AudioObjectID objectID, pid_t,
                                      const AudioObjectPropertyAddress* address, UInt32 qualifierSize,
                                      const void* qualifier, UInt32* size) {
    if (!address || !size) return kAudioHardwareIllegalOperationError;
    std::optional<Value> value = answer(*owner(driver), objectID, *address, qualifierSize, qualifier);
    if (!value) return kAudioHardwareUnknownPropertyError;
    *size = value->string ? UInt32(sizeof(CFStringRef)) : UInt32(value->bytes.size());
    return kAudioHardwareNoError;
  }
  static OSStatus GetPropertyData(AudioServerPlugInDriverRef driver, AudioObjectID objectID, pid_t,
                                  const AudioObjectPropertyAddress* address, UInt32 qualifierSize,
                                  const void* qualifier, UInt32 inSize, UInt32* outSize, void* data) {
    if (!address || !outSize || !data) return kAudioHardwareIllegalOperationError;
    std::optional<Value> value = answer(*owner(driver), objectID, *address, qualifierSize, qualifier);
    if (!value) return kAudioHardwareUnknownPropertyError;
    if (value->string) {
      if (inSize < sizeof(CFStringRef)) return kAudioHardwareBadPropertySizeError;
      CFStringRef copy = CFStringCreateCopy(nullptr, value->string);
      std::memcpy(data, &copy, sizeof copy);
      *outSize = sizeof copy;
      return kAudioHardwareNoError;
    }
    UInt32 size = UInt32(value->bytes.size());
    if (inSize < size) {
      if (!value->list) return kAudioHardwareBadPropertySizeError;
      size = inSize - inSize % sizeof(AudioObjectID);
    }
    if (size) std::memcpy(data, value->bytes.data(), size);
    *outSize = size;
    return kAudioHardwareNoError;
  }
  static OSStatus SetPropertyData(AudioServerPlugInDriverRef driver, AudioObjectID objectID, pid_t,
                                  const AudioObjectPropertyAddress* address, UInt32, const void*, UInt32 size,
                                  const void* data) {
    HardwareDriver& self = *owner(driver);
    HardwareDriver::Device* device = self.deviceOfObject(objectID, nullptr);
    if (!address || !device || objectID != device->deviceID) return kAudioHardwareBadObjectError;
    if (address->mSelector != kAudioDevicePropertyNominalSampleRate)
      return kAudioHardwareUnknownPropertyError;
    Float64 rate = 0;
    if (size != sizeof rate || !data) return kAudioHardwareBadPropertySizeError;
    std::memcpy(&rate, data, sizeof rate);
    const std::vector<Float64>& rates = device->spec.sampleRates;
    if (std::find(rates.begin(), rates.end(), rate) == rates.end())
      return kAudioHardwareIllegalOperationError;
    AudioServerPlugInHostRef host;
    {
      std::lock_guard<std::mutex> guard(self.mLock);
      host = self.mHost;
    }
    Float64 current;
    {
      std::lock_guard<std::mutex> guard(device->lock);
      current = device->spec.sampleRate;
    }
    if (host && rate != current) {
      host->RequestDeviceConfigurationChange(host, device->deviceID, UInt64(rate), nullptr);
    }
    return kAudioHardwareNoError;
  }
  static OSStatus StartIO(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, UInt32) {
    HardwareDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device) return kAudioHardwareBadObjectError;
    std::lock_guard<std::mutex> guard(device->lock);
    if (device->running == 0 && !device->hardware->start(device->spec.sampleRate)) {
      return kAudioHardwareUnspecifiedError;
    }
    ++device->running;
    return kAudioHardwareNoError;
  }
  static OSStatus StopIO(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, UInt32) {
    HardwareDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device) return kAudioHardwareBadObjectError;
    std::lock_guard<std::mutex> guard(device->lock);
    if (device->running > 0 && --device->running == 0) device->hardware->stop();
    return kAudioHardwareNoError;
  }
  static OSStatus GetZeroTimeStamp(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, UInt32,
                                   Float64* sampleTime, UInt64* hostTime, UInt64* seed) {
    HardwareDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device || !sampleTime || !hostTime || !seed) return kAudioHardwareBadObjectError;
    device->hardware->zeroTimeStamp(*sampleTime, *hostTime, *seed);
    return kAudioHardwareNoError;
  }
  static OSStatus WillDo(AudioServerPlugInDriverRef, AudioObjectID, UInt32, UInt32 operation, Boolean* willDo,
                         Boolean* inPlace) {
    if (!willDo || !inPlace) return kAudioHardwareIllegalOperationError;
    *willDo = operation == kAudioServerPlugInIOOperationReadInput ||
              operation == kAudioServerPlugInIOOperationWriteMix;
    *inPlace = true;
    return kAudioHardwareNoError;
  }
  static OSStatus BeginOrEnd(AudioServerPlugInDriverRef, AudioObjectID, UInt32, UInt32, UInt32,
                             const AudioServerPlugInIOCycleInfo*) {
    return kAudioHardwareNoError;
  }
  static OSStatus DoIO(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, AudioObjectID streamID,
                       UInt32, UInt32 operation, UInt32 frames, const AudioServerPlugInIOCycleInfo* cycle,
                       void* buffer, void*) {
    HardwareDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device || !cycle || !buffer) return kAudioHardwareBadObjectError;
    auto* samples = static_cast<Float32*>(buffer);
    if (operation == kAudioServerPlugInIOOperationReadInput && streamID == device->inputStreamID) {
      device->hardware->read(cycle->mInputTime.mSampleTime, frames, device->spec.inputChannels, samples);
    } else if (operation == kAudioServerPlugInIOOperationWriteMix && streamID == device->outputStreamID) {
      device->hardware->write(cycle->mOutputTime.mSampleTime, frames, device->spec.outputChannels, samples);
    }
    return kAudioHardwareNoError;
  }
};

std::optional<Value> HardwareDriverCalls::answer(HardwareDriver& self, AudioObjectID objectID,
                                                 const AudioObjectPropertyAddress& address,
                                                 UInt32 qualifierSize, const void* qualifier) {
  const AudioObjectPropertySelector selector = address.mSelector;
  const bool input = address.mScope == kAudioObjectPropertyScopeInput;
  const bool output = address.mScope == kAudioObjectPropertyScopeOutput;
  if (objectID == kAudioObjectPlugInObject) {
    std::vector<AudioObjectID> devices;
    {
      std::lock_guard<std::mutex> guard(self.mLock);
      for (const auto& device : self.mDevices) {
        if (device->published) devices.push_back(device->deviceID);
      }
    }
    switch (selector) {
      case kAudioObjectPropertyBaseClass:
        return scalar(AudioClassID(kAudioObjectClassID));
      case kAudioObjectPropertyClass:
        return scalar(AudioClassID(kAudioPlugInClassID));
      case kAudioObjectPropertyOwner:
        return scalar(AudioObjectID(kAudioObjectUnknown));
      case kAudioObjectPropertyOwnedObjects:
      case kAudioPlugInPropertyDeviceList:
        return listOf(devices);
      case kAudioPlugInPropertyBoxList:
        return listOf(std::vector<AudioObjectID>{});
      case kAudioPlugInPropertyTranslateUIDToDevice: {
        CFStringRef uid = nullptr;
        if (qualifierSize == sizeof uid && qualifier) std::memcpy(&uid, qualifier, sizeof uid);
        AudioObjectID found = kAudioObjectUnknown;
        std::lock_guard<std::mutex> guard(self.mLock);
        for (const auto& device : self.mDevices) {
          RefPtr<const __CFString> text =
              adopt(CFStringCreateWithCString(nullptr, device->spec.uid.c_str(), kCFStringEncodingUTF8));
          if (device->published && uid && CFStringCompare(uid, text.get(), 0) == kCFCompareEqualTo) {
            found = device->deviceID;
          }
        }
        return scalar(found);
      }
      default:
        return std::nullopt;
    }
  }
  AudioObjectID role = 0;
  HardwareDriver::Device* device = self.deviceOfObject(objectID, &role);
  if (!device) return std::nullopt;
  std::lock_guard<std::mutex> guard(device->lock);
  const HardwareDeviceDescription& spec = device->spec;
  if (role == device->deviceID) {
    std::vector<AudioObjectID> streams;
    if (!output && spec.inputChannels) streams.push_back(device->inputStreamID);
    if (!input && spec.outputChannels) streams.push_back(device->outputStreamID);
    Value text;
    switch (selector) {
      case kAudioObjectPropertyName:
        text.string = device->name.get();
        return text;
      case kAudioDevicePropertyDeviceUID:
        text.string = device->uid.get();
        return text;
      case kAudioObjectPropertyManufacturer:
        text.string = CFSTR("Moxicam audio server");
        return text;
      case kAudioObjectPropertyBaseClass:
        return scalar(AudioClassID(kAudioObjectClassID));
      case kAudioObjectPropertyClass:
        return scalar(AudioClassID(kAudioDeviceClassID));
      case kAudioObjectPropertyOwner:
        return scalar(AudioObjectID(kAudioObjectPlugInObject));
      case kAudioDevicePropertyTransportType:
        return scalar(UInt32(kAudioDeviceTransportTypeBuiltIn));
      case kAudioDevicePropertyDeviceIsAlive:
      case kAudioDevicePropertyDeviceCanBeDefaultDevice:
      case kAudioDevicePropertyDeviceCanBeDefaultSystemDevice:
        return scalar(UInt32(1));
      case kAudioDevicePropertyDeviceIsRunning:
        return scalar(UInt32(device->running > 0 ? 1 : 0));
      case kAudioDevicePropertyLatency:
      case kAudioDevicePropertyClockDomain:
      case kAudioDevicePropertyIsHidden:
        return scalar(UInt32(0));
      case kAudioDevicePropertySafetyOffset:
        return scalar(spec.safetyOffset);
      case kAudioDevicePropertyZeroTimeStampPeriod:
        return scalar(kZeroTimeStampPeriod);
      case kAudioDevicePropertyNominalSampleRate:
        return scalar(spec.sampleRate);
      case kAudioDevicePropertyAvailableNominalSampleRates: {
        std::vector<AudioValueRange> ranges;
        for (Float64 rate : spec.sampleRates) ranges.push_back({rate, rate});
        return listOf(ranges);
      }
      case kAudioDevicePropertyStreams:
      case kAudioObjectPropertyOwnedObjects:
        return listOf(streams);
      case kAudioObjectPropertyControlList:
        return listOf(std::vector<AudioObjectID>{});
      default:
        return std::nullopt;
    }
  }
  const bool isInput = role == device->inputStreamID;
  const UInt32 channels = isInput ? spec.inputChannels : spec.outputChannels;
  switch (selector) {
    case kAudioObjectPropertyBaseClass:
      return scalar(AudioClassID(kAudioObjectClassID));
    case kAudioObjectPropertyClass:
      return scalar(AudioClassID(kAudioStreamClassID));
    case kAudioObjectPropertyOwner:
      return scalar(device->deviceID);
    case kAudioStreamPropertyIsActive:
      return scalar(UInt32(1));
    case kAudioStreamPropertyDirection:
      return scalar(UInt32(isInput ? 1 : 0));
    case kAudioStreamPropertyTerminalType:
      return scalar(UInt32(isInput ? kAudioStreamTerminalTypeMicrophone : kAudioStreamTerminalTypeSpeaker));
    case kAudioStreamPropertyStartingChannel:
      return scalar(UInt32(1));
    case kAudioStreamPropertyLatency:
      return scalar(UInt32(0));
    case kAudioStreamPropertyVirtualFormat:
    case kAudioStreamPropertyPhysicalFormat:
      return scalar(formatOf(spec.sampleRate, channels));
    case kAudioStreamPropertyAvailableVirtualFormats:
    case kAudioStreamPropertyAvailablePhysicalFormats: {
      std::vector<AudioStreamRangedDescription> formats;
      for (Float64 rate : spec.sampleRates) formats.push_back({formatOf(rate, channels), {rate, rate}});
      return listOf(formats);
    }
    default:
      return std::nullopt;
  }
}

HardwareDriver::HardwareDriver() {
  static AudioServerPlugInDriverInterface table = {
      nullptr,
      HardwareDriverCalls::QueryInterface,
      HardwareDriverCalls::AddRef,
      HardwareDriverCalls::Release,
      HardwareDriverCalls::Initialize,
      HardwareDriverCalls::Unsupported,
      HardwareDriverCalls::DestroyDevice,
      HardwareDriverCalls::Client,
      HardwareDriverCalls::Client,
      HardwareDriverCalls::PerformChange,
      HardwareDriverCalls::AbortChange,
      HardwareDriverCalls::HasProperty,
      HardwareDriverCalls::IsPropertySettable,
      HardwareDriverCalls::GetPropertyDataSize,
      HardwareDriverCalls::GetPropertyData,
      HardwareDriverCalls::SetPropertyData,
      HardwareDriverCalls::StartIO,
      HardwareDriverCalls::StopIO,
      HardwareDriverCalls::GetZeroTimeStamp,
      HardwareDriverCalls::WillDo,
      HardwareDriverCalls::BeginOrEnd,
      HardwareDriverCalls::DoIO,
      HardwareDriverCalls::BeginOrEnd,
  };
  auto* object = new DriverObject{&table, this};
  mDriverObject = object;
  mLoaded = std::make_shared<LoadedDriver>(reinterpret_cast<AudioServerPlugInDriverRef>(object),
                                           std::string(), nullptr);
}

HardwareDriver::~HardwareDriver() {
  mLoaded.reset();
  delete static_cast<DriverObject*>(mDriverObject);
}

HardwareDriver::Device* HardwareDriver::deviceOfObject(AudioObjectID objectID, AudioObjectID* role) {
  std::lock_guard<std::mutex> guard(mLock);
  for (const auto& device : mDevices) {
    if (objectID == device->deviceID || objectID == device->inputStreamID ||
        objectID == device->outputStreamID) {
      if (role) *role = objectID;
      return device->published ? device.get() : nullptr;
    }
  }
  return nullptr;
}

void HardwareDriver::addDevice(const HardwareDeviceDescription& spec,
                               std::unique_ptr<DeviceHardware> hardware) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    auto device = std::make_unique<Device>();
    device->spec = spec;
    device->hardware = std::move(hardware);
    device->name = adopt(CFStringCreateWithCString(nullptr, spec.name.c_str(), kCFStringEncodingUTF8));
    device->uid = adopt(CFStringCreateWithCString(nullptr, spec.uid.c_str(), kCFStringEncodingUTF8));
    device->deviceID = mNextObjectID++;
    device->inputStreamID = mNextObjectID++;
    device->outputStreamID = mNextObjectID++;
    mDevices.push_back(std::move(device));
  }
  tellDeviceListChanged();
}

void HardwareDriver::removeDevice(const std::string& uid) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    // The device stays in memory: an I/O thread may still be in one of its calls.
    for (const auto& device : mDevices) {
      if (device->spec.uid == uid) device->published = false;
    }
  }
  tellDeviceListChanged();
}

void HardwareDriver::tellDeviceListChanged() {
  AudioServerPlugInHostRef host;
  {
    std::lock_guard<std::mutex> guard(mLock);
    host = mHost;
  }
  if (!host) return;
  const AudioObjectPropertyAddress changed{kAudioPlugInPropertyDeviceList, kAudioObjectPropertyScopeGlobal,
                                           kAudioObjectPropertyElementMain};
  host->PropertiesChanged(host, kAudioObjectPlugInObject, 1, &changed);
}

DeviceHardware* HardwareDriver::hardware(const std::string& uid) {
  std::lock_guard<std::mutex> guard(mLock);
  for (const auto& device : mDevices) {
    if (device->spec.uid == uid && device->published) return device->hardware.get();
  }
  return nullptr;
}

}  // namespace AudioServer
