// The property handlers of the device object (3).
#include <CoreAudio/AudioHardware.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFURL.h>

#include "CFAudioServerPlugInAnswers.h"
#include "CFAudioServerPlugInBase.h"

using namespace NQCFAudioServer;

namespace {

bool IsSideScope(AudioObjectPropertyScope scope) {
  return scope == kAudioObjectPropertyScopeInput || scope == kAudioObjectPropertyScopeOutput;
}

// Selectors that the device has only on its input and output sides.
bool IsSideOnlySelector(AudioObjectPropertySelector selector) {
  switch (selector) {
    case kAudioDevicePropertyPreferredChannelsForStereo:
    case kAudioDevicePropertyDeviceCanBeDefaultDevice:
    case kAudioDevicePropertyLatency:
    case kAudioDevicePropertySafetyOffset:
    case kAudioDevicePropertyDeviceCanBeDefaultSystemDevice:
    case kAudioDevicePropertyPreferredChannelLayout:
      return true;
    default:
      return false;
  }
}

const AudioObjectID kInputObjects[] = {kObjectID_Stream_Input, kObjectID_Volume_Input_Master,
                                       kObjectID_Mute_Input_Master, kObjectID_DataSource_Input_Master};
const AudioObjectID kOutputObjects[] = {kObjectID_Stream_Output, kObjectID_Volume_Output_Master,
                                        kObjectID_Mute_Output_Master, kObjectID_DataSource_Output_Master};
const AudioObjectID kAllObjects[] = {kObjectID_Stream_Input,       kObjectID_Volume_Input_Master,
                                     kObjectID_Mute_Input_Master,  kObjectID_DataSource_Input_Master,
                                     kObjectID_Stream_Output,      kObjectID_Volume_Output_Master,
                                     kObjectID_Mute_Output_Master, kObjectID_DataSource_Output_Master};
const AudioObjectID kControls[] = {kObjectID_Volume_Input_Master,     kObjectID_Mute_Input_Master,
                                   kObjectID_DataSource_Input_Master, kObjectID_Volume_Output_Master,
                                   kObjectID_Mute_Output_Master,      kObjectID_DataSource_Output_Master};
const AudioObjectID kStreams[] = {kObjectID_Stream_Input, kObjectID_Stream_Output};

struct StereoLayout {
  AudioChannelLayout layout;
  AudioChannelDescription second;
};
static_assert(sizeof(StereoLayout) == AudioChannelLayoutSize(2));

}  // namespace

Boolean CFAudioServerPlugInBase::HasDeviceProperty(const AudioObjectPropertyAddress& address) {
  if (IsSideOnlySelector(address.mSelector) && !IsSideScope(address.mScope)) return false;
  return ObjectForID(kObjectID_Device).HasProperty(address);
}

Boolean CFAudioServerPlugInBase::HasDeviceProperty(const HasPropertyMessage_t& message) {
  return HasDeviceProperty(*message.in.Address);
}

OSStatus CFAudioServerPlugInBase::IsDevicePropertySettable(const IsSettableMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  OSStatus status = kAudioHardwareNoError;
  *message.outIsSettable = false;
  ObjectForID(kObjectID_Device).IsPropertySettable(status, *message.in.Address, message.outIsSettable);
  return status;
}

OSStatus CFAudioServerPlugInBase::GetDevicePropertyDataSize(const GetDataSizeMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  const AudioObjectPropertyAddress& address = *message.in.Address;
  const bool side = IsSideScope(address.mScope);
  const bool global = address.mScope == kAudioObjectPropertyScopeGlobal;
  switch (address.mSelector) {
    case kAudioObjectPropertyOwnedObjects:
      // A scope that owns nothing answers an empty list rather than leaving the size unset.
      *message.outDataSize = side ? 4 * sizeof(AudioObjectID) : global ? 8 * sizeof(AudioObjectID) : 0;
      return kAudioHardwareNoError;
    case kAudioDevicePropertyStreams:
      *message.outDataSize = side ? sizeof(AudioObjectID) : global ? 2 * sizeof(AudioObjectID) : 0;
      return kAudioHardwareNoError;
    case kAudioDevicePropertyPreferredChannelLayout:
      *message.outDataSize = UInt32(AudioChannelLayoutSize(kChannelCount));
      return kAudioHardwareNoError;
    default: {
      OSStatus status = kAudioHardwareUnknownPropertyError;
      ObjectForID(kObjectID_Device)
          .GetPropertyDataSize(status, address, message.QualifierDataSize, message.QualifierData,
                               message.outDataSize);
      return status;
    }
  }
}

OSStatus CFAudioServerPlugInBase::GetDevicePropertyData(const GetDataMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  const AudioObjectPropertyAddress& address = *message.in.Address;
  switch (address.mSelector) {
    case kAudioObjectPropertyControlList:
      SetOutDataArray_T(message, kControls, 6);
      return kAudioHardwareNoError;
    case kAudioDevicePropertyPreferredChannelsForStereo: {
      if (message.InDataSize < 2 * sizeof(UInt32)) return kAudioHardwareBadPropertySizeError;
      static const UInt32 kStereo[] = {1, 2};
      SetOutDataArray_T(message, kStereo, 2);
      return kAudioHardwareNoError;
    }
    case kAudioDevicePropertyIcon: {
      if (message.InDataSize < sizeof(CFURLRef)) return kAudioHardwareBadPropertySizeError;
      CFBundleRef bundle =
          ResourceBundleIdentifier() ? CFBundleGetBundleWithIdentifier(ResourceBundleIdentifier()) : nullptr;
      if (!bundle) return kAudioHardwareUnspecifiedError;
      RefPtr<const __CFURL> icon =
          adopt(CFBundleCopyResourceURL(bundle, CFSTR("MoxicamAudioIO.icns"), nullptr, nullptr));
      if (!icon) return kAudioHardwareUnspecifiedError;
      return SetOutDataCopy_T(message, icon, false);
    }
    case kAudioObjectPropertyName:
      return SetOutDataCopy_T(message, adopt(CopyDevicePropertyNameStringRef()), false);
    case kAudioDevicePropertyDeviceUID:
      return SetOutDataCopy_T(message, adopt(CopyDeviceUIDString()), true);
    case kAudioDevicePropertyModelUID:
      return SetOutDataCopy_T(message, adopt(CopyDeviceModelUIDString()), true);
    case kAudioDevicePropertyAvailableNominalSampleRates: {
      AudioValueRange ranges[std::size(sSampleRateTable)];
      for (size_t i = 0; i < std::size(sSampleRateTable); ++i)
        SetSampleRangeWithSampleRate(ranges[i], sSampleRateTable[i]);
      SetOutDataArray_T(message, ranges, UInt32(std::size(ranges)));
      return kAudioHardwareNoError;
    }
    case kAudioDevicePropertyNominalSampleRate:
      return SetOutDataType_T(message, GetDeviceSampleRateWithMutex());
    case kAudioObjectPropertyOwnedObjects:
      *message.outDataSize = 0;
      if (address.mScope == kAudioObjectPropertyScopeInput) SetOutDataArray_T(message, kInputObjects, 4);
      if (address.mScope == kAudioObjectPropertyScopeOutput) SetOutDataArray_T(message, kOutputObjects, 4);
      if (address.mScope == kAudioObjectPropertyScopeGlobal) SetOutDataArray_T(message, kAllObjects, 8);
      return kAudioHardwareNoError;
    case kAudioDevicePropertyPreferredChannelLayout: {
      if (message.InDataSize < sizeof(StereoLayout)) return kAudioHardwareBadPropertySizeError;
      StereoLayout layout{};
      layout.layout.mChannelLayoutTag = kAudioChannelLayoutTag_UseChannelDescriptions;
      layout.layout.mNumberChannelDescriptions = kChannelCount;
      layout.layout.mChannelDescriptions[0].mChannelLabel = kAudioChannelLabel_Left;
      layout.second.mChannelLabel = kAudioChannelLabel_Right;
      return SetOutDataAtLeast_T(message, layout);
    }
    case kAudioDevicePropertyStreams:
      *message.outDataSize = 0;
      if (address.mScope == kAudioObjectPropertyScopeInput) SetOutDataArray_T(message, &kStreams[0], 1);
      if (address.mScope == kAudioObjectPropertyScopeOutput) SetOutDataArray_T(message, &kStreams[1], 1);
      if (address.mScope == kAudioObjectPropertyScopeGlobal) SetOutDataArray_T(message, kStreams, 2);
      return kAudioHardwareNoError;
    default: {
      OSStatus status = kAudioHardwareUnknownPropertyError;
      ObjectForID(kObjectID_Device)
          .GetPropertyData(message.in.ObjectID, status, address, message.QualifierDataSize,
                           message.QualifierData, message.InDataSize, message.outDataSize, message.outData);
      return status;
    }
  }
}

OSStatus CFAudioServerPlugInBase::SetDevicePropertyData(const SetDataMessage_t& message, PropertiesChanged&) {
  MESSAGE_ANSWERED_HERE(message);
  if (message.in.ObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  if (message.in.Address->mSelector != kAudioDevicePropertyNominalSampleRate) {
    return kAudioHardwareUnknownPropertyError;
  }
  Float64 rate = 0;
  if (!GetInDataOfType_T(message, rate)) return kAudioHardwareBadPropertySizeError;
  if (!IsSampleRateSupportedFloat64(rate)) return kAudioHardwareIllegalOperationError;
  // The rate changes when the server performs the change it is asked for; it notifies then.
  if (rate != GetDeviceSampleRateWithMutex()) HostRequesDeviceConfigurationChangeSampleRate(rate);
  return kAudioHardwareNoError;
}
