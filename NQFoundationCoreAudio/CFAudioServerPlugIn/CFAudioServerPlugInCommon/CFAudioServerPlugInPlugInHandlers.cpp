// The property handlers of the plug-in object (1) and the box (2).
#include "CFAudioServerPlugInAnswers.h"
#include "CFAudioServerPlugInBase.h"

using namespace NQCFAudioServer;

namespace {

// A map answer through the object's table.
OSStatus MapPropertyData(const Object& object, const GetDataMessage_t& message) {
  OSStatus status = kAudioHardwareUnknownPropertyError;
  object.GetPropertyData(message.in.ObjectID, status, *message.in.Address, message.QualifierDataSize,
                         message.QualifierData, message.InDataSize, message.outDataSize, message.outData);
  return status;
}

OSStatus MapPropertyDataSize(const Object& object, const GetDataSizeMessage_t& message, OSStatus unlisted) {
  OSStatus status = unlisted;
  object.GetPropertyDataSize(status, *message.in.Address, message.QualifierDataSize, message.QualifierData,
                             message.outDataSize);
  return status;
}

OSStatus MapIsSettable(const Object& object, const IsSettableMessage_t& message, OSStatus unlisted) {
  OSStatus status = unlisted;
  *message.outIsSettable = false;
  object.IsPropertySettable(status, *message.in.Address, message.outIsSettable);
  return status;
}

}  // namespace

// ----- Plug-in -----

Boolean CFAudioServerPlugInBase::HasPlugInProperty(const HasPropertyMessage_t& message) {
  return ObjectForID(kObjectID_PlugIn).HasProperty(*message.in.Address);
}

OSStatus CFAudioServerPlugInBase::IsPlugInPropertySettable(const IsSettableMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  return MapIsSettable(ObjectForID(kObjectID_PlugIn), message, kAudioHardwareUnknownPropertyError);
}

OSStatus CFAudioServerPlugInBase::GetPlugInPropertyDataSize(const GetDataSizeMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  return MapPropertyDataSize(ObjectForID(kObjectID_PlugIn), message, kAudioHardwareUnknownPropertyError);
}

OSStatus CFAudioServerPlugInBase::SetPlugInPropertyData(const SetDataMessage_t& message, PropertiesChanged&) {
  MESSAGE_ANSWERED_HERE(message);
  return kAudioHardwareUnknownPropertyError;
}

OSStatus CFAudioServerPlugInBase::GetPlugInPropertyData(const GetDataMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  const AudioObjectPropertySelector selector = message.in.Address->mSelector;
  switch (selector) {
    case kAudioPlugInPropertyTranslateUIDToBox:
    case kAudioPlugInPropertyTranslateUIDToDevice: {
      CFStringRef uid = nullptr;
      if (message.InDataSize < sizeof(AudioObjectID) || message.QualifierDataSize != sizeof(CFStringRef) ||
          !message.QualifierData) {
        return kAudioHardwareBadPropertySizeError;
      }
      std::memcpy(&uid, message.QualifierData, sizeof uid);
      if (!uid) return kAudioHardwareBadPropertySizeError;
      AudioObjectID answer = kAudioObjectUnknown;
      if (REQUIRED_CFTYPE_AS(uid, CFStringGetTypeID(), "translateUIDString")) {
        const bool toBox = selector == kAudioPlugInPropertyTranslateUIDToBox;
        RefPtr<const __CFString> ours = adopt(toBox ? CopyBoxUIDString() : CopyDeviceUIDString());
        if (ours && CFStringCompare(uid, ours.get(), 0) == kCFCompareEqualTo) {
          answer = toBox ? kObjectID_Box : kObjectID_Device;
        }
      }
      return SetOutDataAtLeast_T(message, answer);
    }
    case kAudioObjectPropertyOwnedObjects: {
      // The plug-in owns its box and its device.
      static const AudioObjectID kOwned[] = {kObjectID_Box, kObjectID_Device};
      SetOutDataArray_T(message, kOwned, 2);
      return kAudioHardwareNoError;
    }
    case kAudioPlugInPropertyBoxList: {
      const OSStatus status = MapPropertyData(ObjectForID(kObjectID_PlugIn), message);
      AudioObjectID box = kAudioObjectUnknown;
      if (status == kAudioHardwareNoError && *message.outDataSize >= sizeof box) {
        std::memcpy(&box, message.outData, sizeof box);
        REQUIRED_CODE(box == kObjectID_Box, "boxObjectID==kObjectID_Box");
      }
      return status;
    }
    default:
      return MapPropertyData(ObjectForID(kObjectID_PlugIn), message);
  }
}

// ----- Box -----

Boolean CFAudioServerPlugInBase::HasBoxProperty(const HasPropertyMessage_t& message) {
  return ObjectForID(kObjectID_Box).HasProperty(*message.in.Address);
}

OSStatus CFAudioServerPlugInBase::IsBoxPropertySettable(const IsSettableMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  return MapIsSettable(ObjectForID(kObjectID_Box), message, kAudioHardwareNoError);
}

OSStatus CFAudioServerPlugInBase::GetBoxPropertyDataSize(const GetDataSizeMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  return MapPropertyDataSize(ObjectForID(kObjectID_Box), message, kAudioHardwareUnknownPropertyError);
}

OSStatus CFAudioServerPlugInBase::GetBoxPropertyData(const GetDataMessage_t& message) {
  MESSAGE_ANSWERED_HERE(message);
  switch (message.in.Address->mSelector) {
    case kAudioBoxPropertyBoxUID: {
      RefPtr<const __CFString> copyOfBoxUIDString = adopt(CopyBoxUIDString());
      __CFLogPrintf(CFSTR("%s copyOfBoxUIDString=%@\n"), __FUNCTION__, copyOfBoxUIDString.get());
      return SetOutDataCopy_T(message, copyOfBoxUIDString, true);
    }
    case kAudioObjectPropertyName:
      return SetOutDataCopy_T(message, adopt(CopyBoxPropertyNameStringWithMutex()), true);
    default:
      return MapPropertyData(ObjectForID(kObjectID_Box), message);
  }
}

// The box keeps no settings of its own: a set is refused rather than answered as done.
OSStatus CFAudioServerPlugInBase::SetBoxPropertyData(const SetDataMessage_t& message, PropertiesChanged&) {
  MESSAGE_ANSWERED_HERE(message);
  if (message.in.ObjectID != kObjectID_Box) return kAudioHardwareBadObjectError;
  return kAudioHardwareUnsupportedOperationError;
}
