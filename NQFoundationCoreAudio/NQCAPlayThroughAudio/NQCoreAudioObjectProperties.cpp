#include "NQCoreAudioObjectProperties.h"

#include <CoreAudio/AudioServerPlugIn.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSValue.h>
#include <URequirements.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "NQCoreAudioProperties.h"

NSString* const NQCoreAudioObjectPropertyName = NSSTR("NQCoreAudioObjectPropertyName");
NSString* const NQCoreAudioObjectPropertyValue = NSSTR("NQCoreAudioObjectPropertyValue");

namespace NQCoreAudio {

namespace {

struct ClassName {
  const char code[5];
  const char* name;
};

constexpr ClassName kClassNames[] = {
    {"actl", "kAudioControlClassID"},
    {"adev", "kAudioDeviceClassID"},
    {"aobj", "kAudioObjectClassID"},
    {"aplg", "kAudioPlugInClassID"},
    {"astr", "kAudioStreamClassID"},
    {"clck", "kAudioClockSourceControlClassID"},
    {"clip", "kAudioClipLightControlClassID"},
    {"dest", "kAudioDataDestinationControlClassID"},
    {"dsrc", "kAudioDataSourceControlClassID"},
    {"edev", "kAudioEndPointDeviceClassID"},
    {"endp", "kAudioEndPointClassID"},
    {"hipf", "kAudioHighPassFilterControlClassID"},
    {"jack", "kAudioJackControlClassID"},
    {"levl", "kAudioLevelControlClassID"},
    {"lsnb", "kAudioListenbackControlClassID"},
    {"mute", "kAudioMuteControlClassID"},
    {"nlvl", "kAudioLineLevelControlClassID"},
    {"phan", "kAudioPhantomPowerControlClassID"},
    {"phsi", "kAudioPhaseInvertControlClassID"},
    {"slct", "kAudioSelectorControlClassID"},
    {"sldr", "kAudioSliderControlClassID"},
    {"solo", "kAudioSoloControlClassID"},
    {"span", "kAudioStereoPanControlClassID"},
    {"subm", "kAudioLFEMuteControlClassID"},
    {"subv", "kAudioLFEVolumeControlClassID"},
    {"talb", "kAudioTalkbackControlClassID"},
    {"togl", "kAudioBooleanControlClassID"},
    {"trpm", "kAudioTransportManagerClassID"},
    {"vlme", "kAudioVolumeControlClassID"},
};

bool Printable(UInt32 value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    if (!isprint(static_cast<unsigned char>(value >> shift))) return false;
  return true;
}

std::string Characters(UInt32 value) {
  return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

NSString* Text(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

// The rows being built, with the flags that decide which failures still give one.
class Rows {
 public:
  Rows(AudioObjectID objectID, UInt32 flags)
      : mObjectID(objectID), mFlags(flags), mRows(NSMutableArray::array()) {}

  NSArray* rows() const { return mRows; }

  void add(const char* label, NSObject* value) {
    if (!value) return;
    mRows->addObject(NSDictionary::dictionaryWithObjects_forKeys(
        {Text(label), value}, {NQCoreAudioObjectPropertyName, NQCoreAudioObjectPropertyValue}));
  }
  // A row for a failed read, when the flags ask for one.
  void failed(const char* label, OSStatus status) {
    if (status == kAudioHardwareUnknownPropertyError) {
      if (mFlags & kObjectPropertiesIncludeMissing) add(label, NSSTR("kAudioHardwareUnknownPropertyError"));
    } else if (mFlags & kObjectPropertiesIncludeFailed) {
      add(label, Text(Format("error(code:%s)", SelectorText(UInt32(status)).c_str())));
    }
  }

  // Reads the property's whole value, its size asked first.
  OSStatus read(AudioObjectPropertySelector selector, std::vector<UInt8>& value, UInt32 qualifierSize = 0,
                const void* qualifier = nullptr) {
    const AudioObjectPropertyAddress address{selector, kAudioObjectPropertyScopeGlobal,
                                             kAudioObjectPropertyElementMain};
    UInt32 size = 0;
    OSStatus status = AudioObjectGetPropertyDataSize(mObjectID, &address, qualifierSize, qualifier, &size);
    if (status != noErr) return status;
    value.assign(size, 0);
    status = AudioObjectGetPropertyData(mObjectID, &address, qualifierSize, qualifier, &size, value.data());
    value.resize(size);
    return status;
  }
  // Reads a value of exactly the type's size.
  template <class T>
  OSStatus readValue(AudioObjectPropertySelector selector, T& value) {
    std::vector<UInt8> bytes;
    const OSStatus status = read(selector, bytes);
    if (status != noErr) return status;
    if (bytes.size() != 0 && bytes.size() != sizeof(T)) {
      __CFRequiredPrintf("sizeofData_T(%u) != sizeof(T:%u) FOR SELECTOR %s", unsigned(bytes.size()),
                         unsigned(sizeof(T)), SelectorText(selector).c_str());
      return kAudioHardwareBadPropertySizeError;
    }
    if (bytes.size() != sizeof(T)) return kAudioHardwareBadPropertySizeError;
    memcpy(&value, bytes.data(), sizeof(T));
    return noErr;
  }

  void integer(const char* label, AudioObjectPropertySelector selector, const char* typeName) {
    UInt32 value = 0;
    const OSStatus status = readValue(selector, value);
    if (status != noErr) return failed(label, status);
    add(label, Text(IntegerDescription(value, typeName)));
  }
  void boolean(const char* label, AudioObjectPropertySelector selector) {
    UInt32 value = 0;
    const OSStatus status = readValue(selector, value);
    if (status != noErr) return failed(label, status);
    add(label, value ? NSSTR("true") : NSSTR("false"));
  }
  // A string or URL the property hands out, passed through.
  void object(const char* label, AudioObjectPropertySelector selector) {
    CFTypeRef value = nullptr;
    const OSStatus status = readValue(selector, value);
    if (status != noErr) return failed(label, status);
    RefPtr<NSObject> owned = adopt(bridge_cast<NSObject*>(value));
    add(label, owned.get());
  }
  void format(const char* label, AudioObjectPropertySelector selector) {
    AudioStreamBasicDescription value{};
    const OSStatus status = readValue(selector, value);
    if (status != noErr) return failed(label, status);
    add(label, Text(StreamFormatDescription(value)));
  }
  void sampleRate(const char* label) {
    Float64 rate = 0;
    const OSStatus status = readValue(kAudioDevicePropertyNominalSampleRate, rate);
    if (status != noErr) return failed(label, status);
    add(label, NSNumber::numberWithUnsignedLongLong(static_cast<unsigned long long>(rate)));
  }
  // Both preferred stereo channels, read whole.
  void stereoChannels(const char* label) {
    std::vector<UInt8> bytes;
    const OSStatus status = read(kAudioDevicePropertyPreferredChannelsForStereo, bytes);
    if (status != noErr) return failed(label, status);
    std::string text;
    for (size_t i = 0; i + sizeof(UInt32) <= bytes.size(); i += sizeof(UInt32)) {
      UInt32 channel = 0;
      memcpy(&channel, bytes.data() + i, sizeof channel);
      text += (text.empty() ? "" : ", ") + IntegerDescription(channel, "UInt32");
    }
    add(label, Text(text));
  }
  // The number of channel descriptions of the layout, read whole.
  void channelLayout(const char* label) {
    std::vector<UInt8> bytes;
    const OSStatus status = read(kAudioDevicePropertyPreferredChannelLayout, bytes);
    if (status != noErr) return failed(label, status);
    if (bytes.size() < offsetof(AudioChannelLayout, mChannelDescriptions))
      return failed(label, kAudioHardwareBadPropertySizeError);
    const auto* layout = reinterpret_cast<const AudioChannelLayout*>(bytes.data());
    add(label, NSNumber::numberWithUnsignedInt(layout->mNumberChannelDescriptions));
  }
  void customProperties() {
    std::vector<UInt8> bytes;
    if (read(kAudioObjectPropertyCustomPropertyInfoList, bytes) != noErr) return;
    const size_t count = bytes.size() / sizeof(AudioServerPlugInCustomPropertyInfo);
    for (size_t i = 0; i < count; ++i) {
      AudioServerPlugInCustomPropertyInfo property{};
      memcpy(&property, bytes.data() + i * sizeof property, sizeof property);
      CFStringRef qualifierData = CFSTR("inQualifierData");
      CFTypeRef customPropertyValue = nullptr;
      UInt32 size = sizeof customPropertyValue;
      const AudioObjectPropertyAddress address{property.mSelector, kAudioObjectPropertyScopeGlobal,
                                               kAudioObjectPropertyElementMain};
      const OSStatus err = AudioObjectGetPropertyData(mObjectID, &address, sizeof qualifierData,
                                                      &qualifierData, &size, &customPropertyValue);
      if (err != noErr) {
        __CoreAudioRequiredBody(err, __FUNCTION__, REQUIRED_FILE_NAME, __LINE__,
                                "err = ObjectGetGlobalProperty(inObjectID, property.mSelector, "
                                "customPropertyValue, qualifierData)");
        customPropertyValue = nullptr;
      }
      RefPtr<NSObject> owned = adopt(bridge_cast<NSObject*>(customPropertyValue));
      const std::string label =
          Format("kAudioObjectPropertyCustomProperty(selector:%s)", SelectorText(property.mSelector).c_str());
      add(label.c_str(), owned ? owned.get() : NSSTR("NULL"));
    }
  }

 private:
  AudioObjectID mObjectID;
  UInt32 mFlags;
  NSMutableArray* mRows;
};

}  // namespace

std::string ObjectIDDescription(AudioObjectID objectID) { return Format("0x%02x", objectID); }

std::string ClassIDDescription(AudioClassID classID) {
  const std::string code = classID == 0         ? "'0000'"
                           : Printable(classID) ? "'" + Characters(classID) + "'"
                                                : Format("%04x", classID);
  const char* name = "";
  for (const ClassName& entry : kClassNames)
    if (FOUR_CHAR_CODE(entry.code) == classID) name = entry.name;
  return Format("%s %s", code.c_str(), name);
}

std::string IntegerDescription(UInt32 value, const char* typeName) {
  const std::string type = typeName;
  if (type == "AudioObjectID") return ObjectIDDescription(value);
  if (type == "AudioClassID") return ClassIDDescription(value);
  if (type == "UInt32") {
    if (value == 0) return "0000";
    return Printable(value) ? Characters(value) : Format("%04x", value);
  }
  return Format("%u %s", value, typeName);
}

std::string StreamFormatDescription(const AudioStreamBasicDescription& format) {
  const UInt32 id = format.mFormatID;
  std::string formatID;
  if (Printable(id)) {
    formatID = "'" + Characters(id) + "'";
  } else {
    formatID = "0x";
    for (int shift = 24; shift >= 0; shift -= 8) formatID += Format("%02X", (id >> shift) & 0xFF);
  }
  std::string text = Format("%2d ch, %6.0f Hz, %s (0x%08X) ", int(format.mChannelsPerFrame),
                            format.mSampleRate, formatID.c_str(), format.mFormatFlags);
  const UInt32 flags = format.mFormatFlags;
  if (id == FOUR_CHAR_CODE("alac")) {
    static const int kSourceBits[] = {16, 20, 24, 32};
    text += flags >= 1 && flags <= 4 ? Format("from %d-bit source, ", kSourceBits[flags - 1])
                                     : std::string("from UNKNOWN source bit depth, ");
    return text + Format("%d frames/packet", int(format.mFramesPerPacket));
  }
  if (id != kAudioFormatLinearPCM) {
    return text + Format("%d bits/channel, %d bytes/packet, %d frames/packet, %d bytes/frame",
                         int(format.mBitsPerChannel), int(format.mBytesPerPacket),
                         int(format.mFramesPerPacket), int(format.mBytesPerFrame));
  }
  const bool interleaved = !(flags & kAudioFormatFlagIsNonInterleaved);
  const UInt32 sampleBytes = format.mChannelsPerFrame == 0 || format.mBytesPerFrame == 0 ? 0
                             : interleaved ? format.mBytesPerFrame / format.mChannelsPerFrame
                                           : format.mBytesPerFrame;
  const UInt32 fraction = (flags >> 7) & 0x3F;
  const std::string bits = fraction ? Format("%d.%d", int(format.mBitsPerChannel), int(fraction))
                                    : Format("%d", int(format.mBitsPerChannel));
  const std::string endian =
      sampleBytes > 1 ? (flags & kAudioFormatFlagIsBigEndian ? " big-endian" : " little-endian") : "";
  const bool isFloat = flags & kAudioFormatFlagIsFloat;
  const std::string sign = isFloat ? "" : (flags & kAudioFormatFlagIsSignedInteger ? " signed" : " unsigned");
  std::string packing;
  if (sampleBytes * 8 != format.mBitsPerChannel) {
    packing =
        Format("%s in %d bytes", flags & kAudioFormatFlagIsPacked ? "packed" : "unpacked", int(sampleBytes));
    if (sampleBytes * 8 > format.mBitsPerChannel)
      packing += flags & kAudioFormatFlagIsAlignedHigh ? " high-aligned" : " low-aligned";
  }
  return text + Format("%s-bit%s%s %s%s%s%s", bits.c_str(), endian.c_str(), sign.c_str(),
                       isFloat ? "float" : "integer", packing.empty() ? "" : ", ", packing.c_str(),
                       interleaved ? "" : ", deinterleaved");
}

NSArray* sObjectAddProperties(AudioObjectID objectID, UInt32 flags) {
  Rows rows(objectID, flags);
  rows.add("AudioObjectID", Text(ObjectIDDescription(objectID)));
  rows.integer("kAudioObjectPropertyBaseClass", kAudioObjectPropertyBaseClass, "AudioClassID");
  rows.integer("kAudioObjectPropertyClass", kAudioObjectPropertyClass, "AudioClassID");
  rows.integer("kAudioObjectPropertyOwner", kAudioObjectPropertyOwner, "AudioObjectID");
  rows.object("kAudioObjectPropertyManufacturer", kAudioObjectPropertyManufacturer);
  rows.object("kAudioObjectPropertyName", kAudioObjectPropertyName);
  rows.object("kAudioObjectPropertyModelName", kAudioObjectPropertyModelName);
  rows.object("kAudioObjectPropertyElementName", kAudioObjectPropertyElementName);
  rows.object("kAudioObjectPropertyElementCategoryName", kAudioObjectPropertyElementCategoryName);
  rows.object("kAudioObjectPropertyElementNumberName", kAudioObjectPropertyElementNumberName);
  rows.customProperties();

  AudioClassID classID = 0;
  if (rows.readValue(kAudioObjectPropertyClass, classID) != noErr) {
    rows.add("AudioObjectID", Text(ObjectIDDescription(objectID)));
    return rows.rows();
  }
  if (classID == kAudioDeviceClassID) {
    rows.object("kAudioDevicePropertyConfigurationApplication", kAudioDevicePropertyConfigurationApplication);
    rows.object("kAudioDevicePropertyDeviceUID", kAudioDevicePropertyDeviceUID);
    rows.object("kAudioDevicePropertyModelUID", kAudioDevicePropertyModelUID);
    rows.integer("kAudioDevicePropertyTransportType", kAudioDevicePropertyTransportType, "UInt32");
    rows.integer("kAudioDevicePropertyClockDomain", kAudioDevicePropertyClockDomain, "UInt32");
    rows.boolean("kAudioDevicePropertyDeviceIsAlive", kAudioDevicePropertyDeviceIsAlive);
    rows.boolean("kAudioDevicePropertyDeviceIsRunning", kAudioDevicePropertyDeviceIsRunning);
    rows.boolean("kAudioDevicePropertyDeviceCanBeDefaultDevice",
                 kAudioDevicePropertyDeviceCanBeDefaultDevice);
    rows.boolean("kAudioDevicePropertyDeviceCanBeDefaultSystemDevice",
                 kAudioDevicePropertyDeviceCanBeDefaultSystemDevice);
    rows.integer("kAudioDevicePropertyLatency", kAudioDevicePropertyLatency, "UInt32");
    rows.integer("kAudioDevicePropertySafetyOffset", kAudioDevicePropertySafetyOffset, "UInt32");
    rows.sampleRate("kAudioDevicePropertyNominalSampleRate");
    rows.object("kAudioDevicePropertyIcon", kAudioDevicePropertyIcon);
    rows.boolean("kAudioDevicePropertyIsHidden", kAudioDevicePropertyIsHidden);
    rows.stereoChannels("kAudioDevicePropertyPreferredChannelsForStereo");
    rows.channelLayout("kAudioDevicePropertyPreferredChannelLayout");
  } else if (classID == kAudioObjectClassID || classID == kAudioPlugInClassID ||
             classID == kAudioStreamClassID) {
    rows.integer("kAudioStreamPropertyIsActive", kAudioStreamPropertyIsActive, "UInt32");
    rows.integer("kAudioStreamPropertyDirection", kAudioStreamPropertyDirection, "UInt32");
    rows.integer("kAudioStreamPropertyTerminalType", kAudioStreamPropertyTerminalType, "UInt32");
    rows.integer("kAudioStreamPropertyStartingChannel", kAudioStreamPropertyStartingChannel, "UInt32");
    rows.integer("kAudioStreamPropertyLatency", kAudioStreamPropertyLatency, "UInt32");
    rows.format("kAudioStreamPropertyVirtualFormat", kAudioStreamPropertyVirtualFormat);
    rows.format("kAudioStreamPropertyPhysicalFormat", kAudioStreamPropertyPhysicalFormat);
  }
  return NSArray::arrayWithArray(rows.rows());
}

}  // namespace NQCoreAudio
