#include "SimulatedDriver.h"

#include <CoreAudio/AudioHardware.h>
#include <CoreFoundation/CFString.h>
#include <mach/mach_time.h>
#include <objc/RefPtr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace AudioServer {

namespace {

constexpr UInt32 kZeroTimeStampPeriod = 16384;
constexpr size_t kPlayedFrames = size_t(1) << 20;
constexpr double kPi = 3.14159265358979323846;
const Float64 kRates[] = {44100, 48000, 88200, 96000};

// What the driver reference points to: the table first, then the driver it belongs to.
struct DriverObject {
  AudioServerPlugInDriverInterface* table;
  SimulatedDriver* owner;
};

}  // namespace

struct SimulatedDriver::Device {
  SimulatedDeviceSpec spec;
  RefPtr<const __CFString> name;
  RefPtr<const __CFString> uid;
  AudioObjectID deviceID = 0;
  AudioObjectID inputStreamID = 0;
  AudioObjectID outputStreamID = 0;
  bool published = true;

  std::mutex clockLock;
  int running = 0;
  UInt64 anchorHostTime = 0;
  UInt64 seed = 0;

  std::mutex playedLock;
  std::vector<Float32> played = std::vector<Float32>(kPlayedFrames);
  std::vector<SInt64> playedTimes = std::vector<SInt64>(kPlayedFrames, -1);

  Float64 hostTicksPerFrame() const { return 1e9 / spec.sampleRate * spec.rateScalar; }
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
struct SimulatedDriverCalls {
  static SimulatedDriver* owner(const void* driver) {
    return static_cast<const DriverObject*>(driver)->owner;
  }

  static std::optional<Value> answer(SimulatedDriver& self, AudioObjectID objectID,
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
    SimulatedDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device) return kAudioHardwareBadObjectError;
    std::lock_guard<std::mutex> guard(device->clockLock);
    device->spec.sampleRate = Float64(action);
    ++device->seed;
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
    SimulatedDriver& self = *owner(driver);
    SimulatedDriver::Device* device = self.deviceOfObject(objectID, nullptr);
    if (!address || !device || objectID != device->deviceID) return kAudioHardwareBadObjectError;
    if (address->mSelector != kAudioDevicePropertyNominalSampleRate)
      return kAudioHardwareUnknownPropertyError;
    Float64 rate = 0;
    if (size != sizeof rate || !data) return kAudioHardwareBadPropertySizeError;
    std::memcpy(&rate, data, sizeof rate);
    if (std::find(std::begin(kRates), std::end(kRates), rate) == std::end(kRates)) {
      return kAudioHardwareIllegalOperationError;
    }
    AudioServerPlugInHostRef host;
    {
      std::lock_guard<std::mutex> guard(self.mLock);
      host = self.mHost;
    }
    if (host && rate != device->spec.sampleRate) {
      host->RequestDeviceConfigurationChange(host, device->deviceID, UInt64(rate), nullptr);
    }
    return kAudioHardwareNoError;
  }
  static OSStatus StartIO(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, UInt32) {
    SimulatedDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device) return kAudioHardwareBadObjectError;
    std::lock_guard<std::mutex> guard(device->clockLock);
    if (device->running++ == 0) {
      device->anchorHostTime = mach_absolute_time();
      ++device->seed;
    }
    return kAudioHardwareNoError;
  }
  static OSStatus StopIO(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, UInt32) {
    SimulatedDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device) return kAudioHardwareBadObjectError;
    std::lock_guard<std::mutex> guard(device->clockLock);
    if (device->running > 0) --device->running;
    return kAudioHardwareNoError;
  }
  static OSStatus GetZeroTimeStamp(AudioServerPlugInDriverRef driver, AudioObjectID deviceID, UInt32,
                                   Float64* sampleTime, UInt64* hostTime, UInt64* seed) {
    SimulatedDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device || !sampleTime || !hostTime || !seed) return kAudioHardwareBadObjectError;
    std::lock_guard<std::mutex> guard(device->clockLock);
    const Float64 period = kZeroTimeStampPeriod * device->hostTicksPerFrame();
    const UInt64 now = mach_absolute_time();
    const UInt64 periods =
        now > device->anchorHostTime ? UInt64(Float64(now - device->anchorHostTime) / period) : 0;
    *sampleTime = Float64(periods * kZeroTimeStampPeriod);
    *hostTime = device->anchorHostTime + UInt64(Float64(periods) * period);
    *seed = device->seed;
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
    SimulatedDriver::Device* device = owner(driver)->deviceOfObject(deviceID, nullptr);
    if (!device || !cycle || !buffer) return kAudioHardwareBadObjectError;
    auto* samples = static_cast<Float32*>(buffer);
    if (operation == kAudioServerPlugInIOOperationReadInput && streamID == device->inputStreamID) {
      const UInt32 channels = device->spec.inputChannels;
      for (UInt32 i = 0; i < frames; ++i) {
        const Float32 value = SimulatedDriver::inputSample(device->spec, cycle->mInputTime.mSampleTime + i);
        for (UInt32 c = 0; c < channels; ++c) samples[i * channels + c] = value;
      }
    } else if (operation == kAudioServerPlugInIOOperationWriteMix && streamID == device->outputStreamID) {
      const UInt32 channels = device->spec.outputChannels;
      std::lock_guard<std::mutex> guard(device->playedLock);
      for (UInt32 i = 0; i < frames; ++i) {
        const SInt64 time = SInt64(cycle->mOutputTime.mSampleTime) + i;
        const size_t slot = size_t(time) % kPlayedFrames;
        if (device->playedTimes[slot] != time) {
          device->playedTimes[slot] = time;
          device->played[slot] = 0;
        }
        device->played[slot] += samples[i * channels];
      }
    }
    return kAudioHardwareNoError;
  }
};

std::optional<Value> SimulatedDriverCalls::answer(SimulatedDriver& self, AudioObjectID objectID,
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
  SimulatedDriver::Device* device = self.deviceOfObject(objectID, &role);
  if (!device) return std::nullopt;
  const SimulatedDeviceSpec& spec = device->spec;
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
        text.string = CFSTR("Simulated");
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
      case kAudioDevicePropertyDeviceIsRunning: {
        std::lock_guard<std::mutex> guard(device->clockLock);
        return scalar(UInt32(device->running > 0 ? 1 : 0));
      }
      case kAudioDevicePropertyLatency:
      case kAudioDevicePropertyClockDomain:
      case kAudioDevicePropertyIsHidden:
        return scalar(UInt32(0));
      case kAudioDevicePropertySafetyOffset:
        return scalar(spec.safetyOffset);
      case kAudioDevicePropertyZeroTimeStampPeriod:
        return scalar(kZeroTimeStampPeriod);
      case kAudioDevicePropertyNominalSampleRate: {
        std::lock_guard<std::mutex> guard(device->clockLock);
        return scalar(spec.sampleRate);
      }
      case kAudioDevicePropertyAvailableNominalSampleRates: {
        std::vector<AudioValueRange> ranges;
        for (Float64 rate : kRates) ranges.push_back({rate, rate});
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
    case kAudioStreamPropertyPhysicalFormat: {
      std::lock_guard<std::mutex> guard(device->clockLock);
      return scalar(formatOf(spec.sampleRate, channels));
    }
    case kAudioStreamPropertyAvailableVirtualFormats:
    case kAudioStreamPropertyAvailablePhysicalFormats: {
      std::vector<AudioStreamRangedDescription> formats;
      for (Float64 rate : kRates) formats.push_back({formatOf(rate, channels), {rate, rate}});
      return listOf(formats);
    }
    default:
      return std::nullopt;
  }
}

SimulatedDriver::SimulatedDriver() {
  static AudioServerPlugInDriverInterface table = {
      nullptr,
      SimulatedDriverCalls::QueryInterface,
      SimulatedDriverCalls::AddRef,
      SimulatedDriverCalls::Release,
      SimulatedDriverCalls::Initialize,
      SimulatedDriverCalls::Unsupported,
      SimulatedDriverCalls::DestroyDevice,
      SimulatedDriverCalls::Client,
      SimulatedDriverCalls::Client,
      SimulatedDriverCalls::PerformChange,
      SimulatedDriverCalls::AbortChange,
      SimulatedDriverCalls::HasProperty,
      SimulatedDriverCalls::IsPropertySettable,
      SimulatedDriverCalls::GetPropertyDataSize,
      SimulatedDriverCalls::GetPropertyData,
      SimulatedDriverCalls::SetPropertyData,
      SimulatedDriverCalls::StartIO,
      SimulatedDriverCalls::StopIO,
      SimulatedDriverCalls::GetZeroTimeStamp,
      SimulatedDriverCalls::WillDo,
      SimulatedDriverCalls::BeginOrEnd,
      SimulatedDriverCalls::DoIO,
      SimulatedDriverCalls::BeginOrEnd,
  };
  auto* object = new DriverObject{&table, this};
  mDriverObject = object;
  mLoaded = std::make_shared<LoadedDriver>(reinterpret_cast<AudioServerPlugInDriverRef>(object),
                                           std::string(), nullptr);
}

SimulatedDriver::~SimulatedDriver() {
  mLoaded.reset();
  delete static_cast<DriverObject*>(mDriverObject);
}

SimulatedDriver::Device* SimulatedDriver::deviceOfObject(AudioObjectID objectID, AudioObjectID* role) {
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

void SimulatedDriver::addDevice(const SimulatedDeviceSpec& spec) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    auto device = std::make_unique<Device>();
    device->spec = spec;
    device->name = adopt(CFStringCreateWithCString(nullptr, spec.name.c_str(), kCFStringEncodingUTF8));
    device->uid = adopt(CFStringCreateWithCString(nullptr, spec.uid.c_str(), kCFStringEncodingUTF8));
    device->deviceID = mNextObjectID++;
    device->inputStreamID = mNextObjectID++;
    device->outputStreamID = mNextObjectID++;
    mDevices.push_back(std::move(device));
  }
  tellDeviceListChanged();
}

void SimulatedDriver::removeDevice(const std::string& uid) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    // The device stays in memory: an I/O thread may still be in one of its calls.
    for (const auto& device : mDevices) {
      if (device->spec.uid == uid) device->published = false;
    }
  }
  tellDeviceListChanged();
}

void SimulatedDriver::tellDeviceListChanged() {
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

std::vector<Float32> SimulatedDriver::played(const std::string& uid, Float64 fromSampleTime, UInt32 frames) {
  std::vector<Float32> samples(frames, 0);
  Device* found = nullptr;
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (const auto& device : mDevices) {
      if (device->spec.uid == uid) found = device.get();
    }
  }
  if (!found) return samples;
  std::lock_guard<std::mutex> guard(found->playedLock);
  for (UInt32 i = 0; i < frames; ++i) {
    const SInt64 time = SInt64(fromSampleTime) + i;
    if (time < 0) continue;
    const size_t slot = size_t(time) % kPlayedFrames;
    if (found->playedTimes[slot] == time) samples[i] = found->played[slot];
  }
  return samples;
}

Float32 SimulatedDriver::inputSample(const SimulatedDeviceSpec& spec, Float64 sampleTime) {
  if (spec.toneFrequency <= 0) return 0;
  return Float32(spec.toneAmplitude * std::sin(2 * kPi * spec.toneFrequency * sampleTime / spec.sampleRate));
}

}  // namespace AudioServer
