#include "PropertyText.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMFormatDescription.h>

#include <cstdio>
#include <cstring>

namespace CameraHost {

namespace {

enum class Kind { String, Integer, FourChar, Byte, Float64s, Format, Formats, Object, Bytes };

Kind kindOf(CMIOObjectPropertySelector selector) {
  switch (selector) {
    case kCMIOObjectPropertyName:
    case kCMIOObjectPropertyManufacturer:
    case kCMIOObjectPropertyElementName:
    case kCMIOObjectPropertyElementCategoryName:
    case kCMIOObjectPropertyElementNumberName:
    case kCMIODevicePropertyDeviceUID:
    case kCMIODevicePropertyModelUID:
    case kCMIODevicePropertyLinkedCoreAudioDeviceUID:
    case kCMIODevicePropertyLinkedAndSyncedCoreAudioDeviceUID:
      return Kind::String;
    case kCMIODevicePropertyTransportType:
      return Kind::FourChar;
    case kCMIODevicePropertyCanProcessAVCCommand:
    case kCMIODevicePropertyCanProcessRS422Command:
      return Kind::Byte;
    case kCMIOStreamPropertyFrameRate:
    case kCMIOStreamPropertyFrameRates:
    case kCMIOStreamPropertyMinimumFrameRate:
    case kCMIOStreamPropertyFrameRateRanges:
      return Kind::Float64s;
    case kCMIOStreamPropertyFormatDescription:
      return Kind::Format;
    case kCMIOStreamPropertyFormatDescriptions:
      return Kind::Formats;
    case kCMIOStreamPropertyClock:
      return Kind::Object;
    case kCMIOObjectPropertyListenerAdded:
    case kCMIOObjectPropertyListenerRemoved:
    case kCMIOStreamPropertyInitialPresentationTimeStampForLinkedAndSyncedAudio:
    case kCMIODevicePropertyStreamConfiguration:
      return Kind::Bytes;
    default:
      return Kind::Integer;
  }
}

std::string stringText(CFTypeRef value) {
  if (!value) return "null";
  if (CFGetTypeID(value) != CFStringGetTypeID()) return "<not a string>";
  char text[1024] = "";
  CFStringGetCString(static_cast<CFStringRef>(value), text, sizeof text, kCFStringEncodingUTF8);
  return std::string("\"") + text + "\"";
}

std::string formatText(CFTypeRef value) {
  if (!value || CFGetTypeID(value) != CMFormatDescriptionGetTypeID()) return "<not a format description>";
  auto description = static_cast<CMFormatDescriptionRef>(value);
  const CMVideoDimensions size = CMVideoFormatDescriptionGetDimensions(description);
  return fourCharText(CMFormatDescriptionGetMediaSubType(description)) + " " + std::to_string(size.width) + "x" +
         std::to_string(size.height);
}

std::string objectText(CFTypeRef value) {
  if (!value) return "null";
  CFStringRef description = CFCopyDescription(value);
  std::string text = stringText(description);
  if (description) CFRelease(description);
  return text;
}

std::string valueText(Kind kind, const std::vector<UInt8>& data) {
  char text[64];
  switch (kind) {
    case Kind::String:
    case Kind::Format:
    case Kind::Formats:
    case Kind::Object: {
      if (data.size() < sizeof(CFTypeRef)) break;
      CFTypeRef value;
      std::memcpy(&value, data.data(), sizeof value);
      std::string result;
      if (kind == Kind::String) {
        result = stringText(value);
      } else if (kind == Kind::Format) {
        result = formatText(value);
      } else if (kind == Kind::Formats) {
        if (value && CFGetTypeID(value) == CFArrayGetTypeID()) {
          auto array = static_cast<CFArrayRef>(value);
          result = "[";
          for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
            result += (i ? ", " : "") + formatText(CFArrayGetValueAtIndex(array, i));
          }
          result += "]";
        } else {
          result = "<not an array>";
        }
      } else {
        result = objectText(value);
      }
      // Object properties hand the reader a reference of its own.
      if (value) CFRelease(value);
      return result;
    }
    case Kind::Integer:
    case Kind::FourChar: {
      if (data.size() < 4) break;
      SInt32 value;
      std::memcpy(&value, data.data(), sizeof value);
      return kind == Kind::FourChar ? fourCharText(UInt32(value)) : std::to_string(value);
    }
    case Kind::Byte:
      if (data.empty()) break;
      return std::to_string(int(data[0]));
    case Kind::Float64s: {
      std::string result;
      for (size_t offset = 0; offset + sizeof(Float64) <= data.size(); offset += sizeof(Float64)) {
        Float64 value;
        std::memcpy(&value, data.data() + offset, sizeof value);
        std::snprintf(text, sizeof text, "%s%g", result.empty() ? "" : ",", value);
        result += text;
      }
      return result;
    }
    case Kind::Bytes:
      break;
  }
  std::string hex;
  for (UInt8 byte : data) {
    std::snprintf(text, sizeof text, "%02x", byte);
    hex += text;
  }
  return hex.empty() ? "-" : hex;
}

}  // namespace

const std::vector<CMIOObjectPropertySelector>& plugInSelectors() {
  static const std::vector<CMIOObjectPropertySelector> selectors{kCMIOObjectPropertyName,
                                                                 kCMIOObjectPropertyOwnedObjects};
  return selectors;
}

const std::vector<CMIOObjectPropertySelector>& deviceSelectors() {
  static const std::vector<CMIOObjectPropertySelector> selectors{
      kCMIOObjectPropertyName, kCMIOObjectPropertyManufacturer, kCMIOObjectPropertyElementCategoryName,
      kCMIOObjectPropertyElementNumberName, kCMIODevicePropertyPlugIn, kCMIODevicePropertyDeviceUID,
      kCMIODevicePropertyModelUID, kCMIODevicePropertyTransportType, kCMIODevicePropertyDeviceIsAlive,
      kCMIODevicePropertyDeviceHasChanged, kCMIODevicePropertyDeviceIsRunning,
      kCMIODevicePropertyDeviceIsRunningSomewhere, kCMIODevicePropertyDeviceCanBeDefaultDevice,
      kCMIODevicePropertyHogMode, kCMIODevicePropertyLatency, kCMIODevicePropertyStreams,
      kCMIODevicePropertyCanProcessAVCCommand, kCMIODevicePropertyCanProcessRS422Command,
      kCMIODevicePropertyStreamConfiguration, kCMIODevicePropertyLinkedCoreAudioDeviceUID,
      kCMIODevicePropertyLinkedAndSyncedCoreAudioDeviceUID, kCMIOObjectPropertyOwnedObjects,
      kCMIODevicePropertySuspendedByUser, kCMIODevicePropertyExcludeNonDALAccess, kCMIODevicePropertyDeviceMaster,
      kCMIOObjectPropertyListenerAdded, kCMIOObjectPropertyListenerRemoved};
  return selectors;
}

const std::vector<CMIOObjectPropertySelector>& streamSelectors() {
  static const std::vector<CMIOObjectPropertySelector> selectors{
      kCMIOObjectPropertyOwnedObjects, kCMIOStreamPropertyInitialPresentationTimeStampForLinkedAndSyncedAudio,
      kCMIOObjectPropertyName, kCMIOObjectPropertyManufacturer, kCMIOObjectPropertyElementName,
      kCMIOObjectPropertyElementCategoryName, kCMIOObjectPropertyElementNumberName, kCMIOStreamPropertyDirection,
      kCMIOStreamPropertyTerminalType, kCMIOStreamPropertyStartingChannel, kCMIODevicePropertyLatency,
      kCMIOStreamPropertyFormatDescriptions, kCMIOStreamPropertyFormatDescription, kCMIOStreamPropertyFrameRate,
      kCMIOStreamPropertyFrameRates, kCMIOStreamPropertyMinimumFrameRate, kCMIOStreamPropertyClock,
      kCMIOStreamPropertyOutputBuffersNeededForThrottledPlayback, kCMIOStreamPropertyFrameRateRanges};
  return selectors;
}

PropertyReading readProperty(CMIOHardwarePlugInRef plugIn, CMIOObjectID objectID, CMIOObjectPropertySelector selector) {
  PropertyReading reading;
  reading.selector = selector;
  const CMIOObjectPropertyAddress address{selector, kCMIOObjectPropertyScopeGlobal, kCMIOObjectPropertyElementMain};
  reading.has = (*plugIn)->ObjectHasProperty(plugIn, objectID, &address);
  Boolean settable = false;
  (*plugIn)->ObjectIsPropertySettable(plugIn, objectID, &address, &settable);
  reading.settable = settable;
  (*plugIn)->ObjectGetPropertyDataSize(plugIn, objectID, &address, 0, nullptr, &reading.size);
  if (!reading.has) return reading;
  std::vector<UInt8> data(reading.size);
  UInt32 used = 0;
  reading.status = (*plugIn)->ObjectGetPropertyData(plugIn, objectID, &address, 0, nullptr, reading.size, &used,
                                                    data.data());
  if (reading.status != kCMIOHardwareNoError) return reading;
  data.resize(std::min<size_t>(used, data.size()));
  reading.value = valueText(kindOf(selector), data);
  return reading;
}

std::string readStringProperty(CMIOHardwarePlugInRef plugIn, CMIOObjectID objectID,
                               CMIOObjectPropertySelector selector) {
  const CMIOObjectPropertyAddress address{selector, kCMIOObjectPropertyScopeGlobal, kCMIOObjectPropertyElementMain};
  CFStringRef value = nullptr;
  UInt32 used = 0;
  if ((*plugIn)->ObjectGetPropertyData(plugIn, objectID, &address, 0, nullptr, sizeof value, &used, &value) !=
          kCMIOHardwareNoError ||
      used != sizeof value || !value) {
    return "";
  }
  std::string text;
  if (CFGetTypeID(value) == CFStringGetTypeID()) {
    char buffer[1024] = "";
    CFStringGetCString(value, buffer, sizeof buffer, kCFStringEncodingUTF8);
    text = buffer;
  }
  CFRelease(value);
  return text;
}

std::string fourCharText(UInt32 code) {
  const char chars[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
  for (char c : chars) {
    if (c < 0x20 || c >= 0x7f) return std::to_string(code);
  }
  return std::string("'") + std::string(chars, 4) + "'";
}

std::string statusText(OSStatus status) {
  const std::string text = fourCharText(UInt32(status));
  return text[0] == '\'' ? text : std::to_string(status);
}

std::string describe(const PropertyReading& reading) {
  std::string line = "property " + fourCharText(reading.selector) + " has=" + (reading.has ? "1" : "0") +
                     " settable=" + (reading.settable ? "1" : "0") + " size=" + std::to_string(reading.size);
  if (!reading.has) return line;
  if (reading.status != kCMIOHardwareNoError) return line + " status=" + statusText(reading.status);
  return line + " value=" + reading.value;
}

}  // namespace CameraHost
