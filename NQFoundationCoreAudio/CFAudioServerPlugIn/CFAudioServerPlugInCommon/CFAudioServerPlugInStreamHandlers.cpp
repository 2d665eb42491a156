// The property handlers of the two streams (4 input, 8 output).
#include <iterator>

#include "CFAudioServerPlugInAnswers.h"
#include "CFAudioServerPlugInBase.h"

using namespace NQCFAudioServer;

namespace {

bool IsStreamObjectID(AudioObjectID objectID) {
  return objectID == kObjectID_Stream_Input || objectID == kObjectID_Stream_Output;
}

// The only format the streams take: 2 channels of packed native Float32.
bool IsSupportedStreamFormat(const AudioStreamBasicDescription& format) {
  return format.mFormatID == kAudioFormatLinearPCM &&
         format.mFormatFlags == (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked) &&
         format.mBytesPerPacket == 8 && format.mFramesPerPacket == 1 && format.mBytesPerFrame == 8 &&
         format.mChannelsPerFrame == 2 && format.mBitsPerChannel == 32;
}

}  // namespace

// Any id but the input stream's answers from the output stream's map.
Boolean CFAudioServerPlugInBase::HasStreamProperty(const HasPropertyMessage_t& message) {
  if (!IsStreamObjectID(message.in.ObjectID)) return false;
  return ObjectForID(message.in.ObjectID).HasProperty(*message.in.Address);
}

OSStatus CFAudioServerPlugInBase::IsStreamPropertySettable(const IsSettableMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  OSStatus status = kAudioHardwareNoError;
  *message.outIsSettable = false;
  ObjectForID(message.in.ObjectID == kObjectID_Stream_Input ? kObjectID_Stream_Input
                                                            : kObjectID_Stream_Output)
      .IsPropertySettable(status, *message.in.Address, message.outIsSettable);
  return status;
}

OSStatus CFAudioServerPlugInBase::GetStreamPropertyDataSize(const GetDataSizeMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  OSStatus status = kAudioHardwareNoError;
  ObjectForID(message.in.ObjectID == kObjectID_Stream_Input ? kObjectID_Stream_Input
                                                            : kObjectID_Stream_Output)
      .GetPropertyDataSize(status, *message.in.Address, message.QualifierDataSize, message.QualifierData,
                           message.outDataSize);
  return status;
}

OSStatus CFAudioServerPlugInBase::GetStreamMapPropertyData(const GetDataMessage_t& message) {
  OSStatus status = kAudioHardwareUnknownPropertyError;
  ObjectForID(message.in.ObjectID)
      .GetPropertyData(message.in.ObjectID, status, *message.in.Address, message.QualifierDataSize,
                       message.QualifierData, message.InDataSize, message.outDataSize, message.outData);
  return status;
}

OSStatus CFAudioServerPlugInBase::GetStreamPropertyData(const GetDataMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  if (!IsStreamObjectID(message.in.ObjectID)) return kAudioHardwareBadObjectError;
  switch (message.in.Address->mSelector) {
    case kAudioStreamPropertyVirtualFormat:
    case kAudioStreamPropertyPhysicalFormat: {
      AudioStreamBasicDescription format;
      SetAudioStreamBasicDescriptionWithSampleRate(format, GetDeviceSampleRateWithMutex());
      return SetOutDataAtLeast_T(message, format);
    }
    case kAudioStreamPropertyAvailableVirtualFormats:
    case kAudioStreamPropertyAvailablePhysicalFormats: {
      AudioStreamRangedDescription formats[std::size(sSampleRateTable)];
      for (size_t i = 0; i < std::size(sSampleRateTable); ++i) {
        SetStreamRangedDescriptionWithSampleRate(formats[i], sSampleRateTable[i]);
      }
      SetOutDataArray_T(message, formats, UInt32(std::size(formats)));
      return kAudioHardwareNoError;
    }
    case kAudioStreamPropertyIsActive:
      return SetOutDataType_T(message, UInt32(GetStreamIsActiveWithMutex(message.in.ObjectID) ? 1 : 0));
    default:
      return GetStreamMapPropertyData(message);
  }
}

OSStatus CFAudioServerPlugInBase::SetStreamPropertyData(const SetDataMessage_t& message,
                                                        PropertiesChanged& changed) {
  MESSAGE_ANSWERED_HERE(message);
  if (!IsStreamObjectID(message.in.ObjectID)) return kAudioHardwareBadObjectError;
  switch (message.in.Address->mSelector) {
    case kAudioStreamPropertyVirtualFormat:
    case kAudioStreamPropertyPhysicalFormat: {
      AudioStreamBasicDescription format;
      if (!GetInDataOfType_T(message, format)) return kAudioHardwareBadPropertySizeError;
      if (!IsSupportedStreamFormat(format)) return kAudioDeviceUnsupportedFormatError;
      if (!IsSampleRateSupportedFloat64(format.mSampleRate)) return kAudioHardwareIllegalOperationError;
      if (format.mSampleRate != GetDeviceSampleRateWithMutex()) {
        HostRequesDeviceConfigurationChangeSampleRate(format.mSampleRate);
      }
      return kAudioHardwareNoError;
    }
    case kAudioStreamPropertyIsActive: {
      UInt32 active = 0;
      if (!GetInDataOfType_T(message, active)) return kAudioHardwareBadPropertySizeError;
      if (SetStreamActiveWithMutex(message.in.ObjectID, active)) {
        changed.AddPropertyChange(
            {kAudioStreamPropertyIsActive, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain});
      }
      return kAudioHardwareNoError;
    }
    default:
      return kAudioHardwareUnknownPropertyError;
  }
}
