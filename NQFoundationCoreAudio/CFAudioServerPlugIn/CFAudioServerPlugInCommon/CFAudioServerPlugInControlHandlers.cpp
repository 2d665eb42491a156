// The handlers of the controls: master volume (5 input, 9 output), master mute (6, 10) and
// data source (7, 11).
#include "CFAudioServerPlugInAnswers.h"
#include "CFAudioServerPlugInBase.h"
#include "CFAudioServerVolume.h"

using namespace NQCFAudioServer;

namespace {

enum class ControlKind { Volume, Mute, DataSource, None };

ControlKind KindOfControl(AudioObjectID objectID) {
  switch (objectID) {
    case kObjectID_Volume_Input_Master:
    case kObjectID_Volume_Output_Master:
      return ControlKind::Volume;
    case kObjectID_Mute_Input_Master:
    case kObjectID_Mute_Output_Master:
      return ControlKind::Mute;
    case kObjectID_DataSource_Input_Master:
    case kObjectID_DataSource_Output_Master:
      return ControlKind::DataSource;
    default:
      return ControlKind::None;
  }
}

constexpr AudioObjectPropertyAddress GlobalAddress(AudioObjectPropertySelector selector) {
  return {selector, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
}

// Converts the Float32 that the caller put in its buffer, in place.
OSStatus ConvertInPlace(const GetDataMessage_t& message, Float32 (*convert)(Float32)) {
  Float32 value = 0;
  if (message.InDataSize != sizeof value) return SetOutDataType_T(message, value);
  std::memcpy(&value, message.outData, sizeof value);
  return SetOutDataType_T(message, convert(value));
}

}  // namespace

Boolean CFAudioServerPlugInBase::HasControlProperty(const HasPropertyMessage_t& message) {
  if (KindOfControl(message.in.ObjectID) == ControlKind::None) return false;
  return ObjectForID(message.in.ObjectID).HasProperty(*message.in.Address);
}

OSStatus CFAudioServerPlugInBase::IsControlPropertySettable(const IsSettableMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  *message.outIsSettable = false;
  switch (message.in.ObjectID) {
    case kObjectID_Volume_Input_Master:
    case kObjectID_Mute_Input_Master:
      return kAudioHardwareNoError;
    case kObjectID_DataSource_Input_Master:
    case kObjectID_Volume_Output_Master:
    case kObjectID_Mute_Output_Master:
    case kObjectID_DataSource_Output_Master: {
      OSStatus status = kAudioHardwareNoError;
      ObjectForID(message.in.ObjectID).IsPropertySettable(status, *message.in.Address, message.outIsSettable);
      return status;
    }
    default:
      return kAudioHardwareUnknownPropertyError;
  }
}

OSStatus CFAudioServerPlugInBase::GetControlPropertyDataSize(const GetDataSizeMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  if (KindOfControl(message.in.ObjectID) == ControlKind::None) {
    *message.outDataSize = 0;
    return kAudioHardwareBadObjectError;
  }
  OSStatus status = kAudioHardwareUnknownPropertyError;
  ObjectForID(message.in.ObjectID)
      .GetPropertyDataSize(status, *message.in.Address, message.QualifierDataSize, message.QualifierData,
                           message.outDataSize);
  return status;
}

OSStatus CFAudioServerPlugInBase::GetControlPropertyData(const GetDataMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  const AudioObjectID object = message.in.ObjectID;
  const ControlKind kind = KindOfControl(object);
  if (kind == ControlKind::None) return kAudioHardwareBadObjectError;
  const AudioObjectPropertySelector selector = message.in.Address->mSelector;
  if (kind == ControlKind::Volume) {
    switch (selector) {
      case kAudioLevelControlPropertyDecibelRange:
        return SetOutDataType_T(message, AudioValueRange{kVolume_MinDB, kVolume_MaxDB});
      case kAudioLevelControlPropertyScalarValue:
        return SetOutDataType_T(
            message, Volume::DecibelsToScalar(Volume::GainToDecibels(GetMasterVolumeWithMutex(object))));
      case kAudioLevelControlPropertyDecibelValue:
        return SetOutDataType_T(message, Volume::GainToDecibels(GetMasterVolumeWithMutex(object)));
      case kAudioLevelControlPropertyConvertScalarToDecibels:
        return ConvertInPlace(
            message, [](Float32 scalar) { return Volume::ScalarToDecibels(Volume::ClampScalar(scalar)); });
      case kAudioLevelControlPropertyConvertDecibelsToScalar:
        return ConvertInPlace(message, [](Float32 decibels) {
          return Volume::DecibelsToScalar(Volume::ClampDecibels(decibels));
        });
      default:
        break;
    }
  } else if (kind == ControlKind::Mute && selector == kAudioBooleanControlPropertyValue) {
    return SetOutDataType_T(message, GetMuteChannelWithMutex(object));
  } else if (kind == ControlKind::DataSource) {
    switch (selector) {
      case kAudioSelectorControlPropertyCurrentItem:
        return SetOutDataType_T(message, GetDataSourceMasterWithMutex(object));
      case kAudioSelectorControlPropertyAvailableItems: {
        static const UInt32 kItems[] = {0};
        SetOutDataArray_T(message, kItems, 1);
        return kAudioHardwareNoError;
      }
      case kAudioSelectorControlPropertyItemName: {
        UInt32 item = 0;
        if (message.QualifierDataSize == sizeof item && message.QualifierData) {
          std::memcpy(&item, message.QualifierData, sizeof item);
        } else {
          __CFRequiredPrintf("GetInDataOfType_T inDataSize{%08lx} != sizeof(T){%08lx}\n",
                             static_cast<unsigned long>(message.QualifierDataSize),
                             static_cast<unsigned long>(sizeof item));
        }
        return SetOutDataCopy_T(message, adopt(CopyDataSourcePropertyNameString(item)), true);
      }
      default:
        break;
    }
  }
  OSStatus status = kAudioHardwareUnknownPropertyError;
  ObjectForID(object).GetPropertyData(object, status, *message.in.Address, message.QualifierDataSize,
                                      message.QualifierData, message.InDataSize, message.outDataSize,
                                      message.outData);
  return status;
}

OSStatus CFAudioServerPlugInBase::SetControlPropertyData(const SetDataMessage_t& message,
                                                         PropertiesChanged& changed) {
  MESSAGE_ANSWERED_HERE(message);
  const AudioObjectID object = message.in.ObjectID;
  const ControlKind kind = KindOfControl(object);
  const AudioObjectPropertySelector selector = message.in.Address->mSelector;
  const bool volume = kind == ControlKind::Volume && (selector == kAudioLevelControlPropertyDecibelValue ||
                                                      selector == kAudioLevelControlPropertyScalarValue);
  const bool mute = kind == ControlKind::Mute && selector == kAudioBooleanControlPropertyValue;
  const bool dataSource =
      kind == ControlKind::DataSource && selector == kAudioSelectorControlPropertyCurrentItem;
  if (!volume && !mute && !dataSource) return kAudioHardwareUnknownPropertyError;

  if (volume) {
    Float32 value = 0;
    if (!GetInDataOfType_T(message, value)) return kAudioHardwareBadPropertySizeError;
    Float32 gain;
    if (selector == kAudioLevelControlPropertyDecibelValue) {
      gain = Volume::DecibelsToGain(Volume::ClampDecibels(value));
      __CFRequiredPrintf("kAudioLevelControlPropertyDecibelValue:inMuteInputMasterValue theNewVolume=%f\n",
                         gain);
    } else {
      gain = std::clamp(Volume::DecibelsToGain(Volume::ScalarToDecibels(value)), 0.0f, 1.0f);
    }
    if (SetMasterVolumeWithMutex(object, gain)) {
      changed.AddPropertyChange(GlobalAddress(kAudioLevelControlPropertyScalarValue));
      changed.AddPropertyChange(GlobalAddress(kAudioLevelControlPropertyDecibelValue));
    }
    return kAudioHardwareNoError;
  }

  UInt32 value = 0;
  if (!GetInDataOfType_T(message, value)) return kAudioHardwareBadPropertySizeError;
  if (mute) {
    __CFRequiredPrintf("kAudioBooleanControlPropertyValue:inMuteInputMasterValue:%08x\n", unsigned(value));
    if (SetMuteChannelWithMutex(object, value != 0)) {
      changed.AddPropertyChange(GlobalAddress(kAudioBooleanControlPropertyValue));
    }
    return kAudioHardwareNoError;
  }
  if (value != 0) return kAudioHardwareIllegalOperationError;
  __CFRequiredPrintf("kAudioSelectorControlPropertyCurrentItem:inDataSourceMasterValue:%08x\n",
                     unsigned(value));
  if (SetDataSourceMasterWithMutex(object, value)) {
    changed.AddPropertyChange(GlobalAddress(kAudioSelectorControlPropertyCurrentItem));
  }
  return kAudioHardwareNoError;
}
