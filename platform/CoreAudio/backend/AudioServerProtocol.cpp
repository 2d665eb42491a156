#include "AudioServerProtocol.h"

#include <CoreAudio/AudioHardware.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFPlatformRoot.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFURL.h>
#include <objc/RefPtr.h>

namespace AudioServerProtocol {

namespace {

enum ObjectTag : uint8_t { kNone = 0, kString = 1, kURL = 2, kPropertyList = 3 };

std::vector<uint8_t> utf8Of(CFStringRef string) {
  const CFIndex length = CFStringGetLength(string);
  const CFIndex capacity = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(size_t(capacity), 0);
  if (!CFStringGetCString(string, buffer.data(), capacity, kCFStringEncodingUTF8)) return {};
  return std::vector<uint8_t>(buffer.begin(), buffer.begin() + std::strlen(buffer.data()));
}

CFStringRef stringOf(const std::vector<uint8_t>& bytes) {
  return CFStringCreateWithBytes(nullptr, bytes.data(), CFIndex(bytes.size()), kCFStringEncodingUTF8, false);
}

}  // namespace

std::string serverFolder() { return CFPlatform::runtimePath() + "/CoreAudio"; }
std::string socketPath() { return serverFolder() + "/audiod.socket"; }
std::string pidFilePath() { return serverFolder() + "/moxicam-audiod.pid"; }

void Writer::putBytes(const void* data, uint32_t size) {
  put(size);
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (size) mBytes.insert(mBytes.end(), bytes, bytes + size);
}

void Writer::putObject(CFTypeRef object) {
  if (!object) {
    put(uint8_t(kNone));
    return;
  }
  if (CFGetTypeID(object) == CFStringGetTypeID()) {
    const std::vector<uint8_t> text = utf8Of(static_cast<CFStringRef>(object));
    put(uint8_t(kString));
    putBytes(text.data(), uint32_t(text.size()));
    return;
  }
  if (CFGetTypeID(object) == CFURLGetTypeID()) {
    RefPtr<const __CFURL> absolute = adopt(CFURLCopyAbsoluteURL(static_cast<CFURLRef>(object)));
    const std::vector<uint8_t> text =
        utf8Of(CFURLGetString(absolute ? absolute.get() : static_cast<CFURLRef>(object)));
    put(uint8_t(kURL));
    putBytes(text.data(), uint32_t(text.size()));
    return;
  }
  RefPtr<const __CFData> data =
      adopt(CFPropertyListCreateData(nullptr, object, kCFPropertyListXMLFormat_v1_0, 0, nullptr));
  if (!data) {
    put(uint8_t(kNone));
    return;
  }
  put(uint8_t(kPropertyList));
  putBytes(CFDataGetBytePtr(data.get()), uint32_t(CFDataGetLength(data.get())));
}

bool Reader::getBytes(std::vector<uint8_t>& bytes, uint32_t limit) {
  uint32_t size = 0;
  if (!get(size)) return false;
  if (size > limit || mSize - mOffset < size) return mGood = false;
  bytes.assign(mData + mOffset, mData + mOffset + size);
  mOffset += size;
  return true;
}

bool Reader::getObject(CFTypeRef& object) {
  object = nullptr;
  uint8_t tag = 0;
  if (!get(tag)) return false;
  if (tag == kNone) return true;
  std::vector<uint8_t> bytes;
  if (!getBytes(bytes, kMaxPacket)) return false;
  if (tag == kString) {
    object = stringOf(bytes);
  } else if (tag == kURL) {
    RefPtr<const __CFString> text = adopt(stringOf(bytes));
    object = text ? CFURLCreateWithString(nullptr, text.get(), nullptr) : nullptr;
  } else if (tag == kPropertyList) {
    RefPtr<const __CFData> data = adopt(CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size())));
    object = data ? CFPropertyListCreateWithData(nullptr, data.get(), 0, nullptr, nullptr) : nullptr;
  } else {
    return mGood = false;
  }
  return mGood = object != nullptr;
}

bool DataIsObject(AudioObjectPropertySelector selector) {
  switch (selector) {
    case kAudioObjectPropertyName:
    case kAudioObjectPropertyModelName:
    case kAudioObjectPropertyManufacturer:
    case kAudioObjectPropertyElementName:
    case kAudioObjectPropertyElementCategoryName:
    case kAudioObjectPropertyElementNumberName:
    case kAudioObjectPropertySerialNumber:
    case kAudioObjectPropertyFirmwareVersion:
    case kAudioPlugInPropertyBundleID:
    case kAudioPlugInPropertyResourceBundle:
    case kAudioBoxPropertyBoxUID:
    case kAudioDevicePropertyDeviceUID:
    case kAudioDevicePropertyModelUID:
    case kAudioDevicePropertyIcon:
    case kAudioDevicePropertyConfigurationApplication:
    case kAudioSelectorControlPropertyItemName:
      return true;
    default:
      return false;
  }
}

bool QualifierIsObject(AudioObjectPropertySelector selector) {
  switch (selector) {
    case kAudioHardwarePropertyTranslateUIDToDevice:
    case kAudioHardwarePropertyTranslateUIDToBox:
    case kAudioHardwarePropertyTranslateUIDToClockDevice:
    case kAudioHardwarePropertyTranslateBundleIDToPlugIn:
      return true;
    default:
      return false;
  }
}

}  // namespace AudioServerProtocol
