#include "CFAudioServerPlugInMixDevice.h"

#include <syslog.h>

#include "CFAudioServerPlugInAnswers.h"
#include "CFAudioServerRequired.h"

using namespace NQCFAudioServer;

const CFStringRef CFAudioServerPlugInMixDevice::kPrimaryClientBundleID = CFSTR("com.quillfen.Moxicam");

CFAudioServerPlugInMixDevice::CFAudioServerPlugInMixDevice(CFStringRef inPlugInName, CFUUIDRef inFactoryID,
                                                           const char* inClassName)
    : CFAudioServerPlugInBase(inPlugInName, inFactoryID), mClassName(inClassName) {}

void CFAudioServerPlugInMixDevice::LogClientCall(const char* signature, UInt32 clientID) const {
  syslog(LOG_NOTICE, "virtual OSStatus %s::%s inClientID:%04x\n", mClassName, signature, unsigned(clientID));
}

void CFAudioServerPlugInMixDevice::LogPrimaryClientChange() const {
  syslog(LOG_NOTICE, "void %s::SetPrimaryClientID(UInt32)\n", mClassName);
}

void CFAudioServerPlugInMixDevice::SetDeviceHostTicksPerFrameWithMutex() {
  m_client.SetDeviceSampleRateWithMutex(Float32(GetDeviceSampleRateWithMutex()));
}

OSStatus CFAudioServerPlugInMixDevice::Initialize(AudioServerPlugInHostRef inHost) {
  const OSStatus result = CFAudioServerPlugInBase::Initialize(inHost);
  if (result == kAudioHardwareNoError) SetDeviceHostTicksPerFrameWithMutex();
  return result;
}

OSStatus CFAudioServerPlugInMixDevice::PerformDeviceConfigurationChange(AudioObjectID inDeviceObjectID,
                                                                        UInt64 inChangeAction,
                                                                        void* inChangeInfo) {
  const OSStatus result = CFAudioServerPlugInBase::PerformDeviceConfigurationChange(
      inDeviceObjectID, inChangeAction, inChangeInfo);
  SetDeviceHostTicksPerFrameWithMutex();
  REQUIRED_CODE(result == kAudioHardwareNoError, "result==kAudioHardwareNoError");
  return result;
}

// ----- Primary clients -----

void CFAudioServerPlugInMixDevice::SetPrimaryClientID(UInt32 inClientID) {
  if (inClientID == 0 || IsPrimaryClientID(inClientID)) return;
  LogPrimaryClientChange();
  for (std::atomic<UInt32>& slot : mPrimaryClientIDs) {
    UInt32 empty = 0;
    if (slot.compare_exchange_strong(empty, inClientID)) return;
  }
  REQUIRED_CODE(false, "primaryClientCount<kMaxPrimaryClients");
}

void CFAudioServerPlugInMixDevice::ClearPrimaryClientID(UInt32 inClientID) {
  for (std::atomic<UInt32>& slot : mPrimaryClientIDs) {
    UInt32 expected = inClientID;
    if (inClientID != 0 && slot.compare_exchange_strong(expected, 0)) {
      LogPrimaryClientChange();
      return;
    }
  }
}

bool CFAudioServerPlugInMixDevice::IsPrimaryClientID(UInt32 inClientID) const {
  if (inClientID == 0) return false;
  for (const std::atomic<UInt32>& slot : mPrimaryClientIDs) {
    if (slot.load() == inClientID) return true;
  }
  return false;
}

bool CFAudioServerPlugInMixDevice::IsPrimaryClientIDNotConnected() const {
  for (const std::atomic<UInt32>& slot : mPrimaryClientIDs) {
    if (slot.load() != 0) return false;
  }
  return true;
}

CFStringRef CFAudioServerPlugInMixDevice::BundleIDOf(const AudioServerPlugInClientInfo* inClientInfo) {
  CFStringRef bundleID = inClientInfo ? inClientInfo->mBundleID : nullptr;
  if (URequirements::isMissing(bundleID)) return nullptr;
  return REQUIRED_CFTYPEOF(bundleID, CFStringGetTypeID()) ? bundleID : nullptr;
}

bool CFAudioServerPlugInMixDevice::IsPrimaryBundleID(CFStringRef bundleID) {
  return bundleID &&
         CFStringCompare(kPrimaryClientBundleID, bundleID, kCFCompareCaseInsensitive) == kCFCompareEqualTo;
}

OSStatus CFAudioServerPlugInMixDevice::AddDeviceClient(AudioObjectID,
                                                       const AudioServerPlugInClientInfo* inClientInfo) {
  if (!inClientInfo) return kAudioHardwareNoError;
  LogClientCall("AddDeviceClient(AudioObjectID, const AudioServerPlugInClientInfo *)",
                inClientInfo->mClientID);
  if (IsPrimaryBundleID(BundleIDOf(inClientInfo))) SetPrimaryClientID(inClientInfo->mClientID);
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInMixDevice::RemoveDeviceClient(AudioObjectID,
                                                          const AudioServerPlugInClientInfo* inClientInfo) {
  if (!inClientInfo) return kAudioHardwareNoError;
  LogClientCall("RemoveDeviceClient(AudioObjectID, const AudioServerPlugInClientInfo *)",
                inClientInfo->mClientID);
  ClearPrimaryClientID(inClientInfo->mClientID);
  return kAudioHardwareNoError;
}

// ----- I/O -----

OSStatus CFAudioServerPlugInMixDevice::CheckIOOperation(AudioObjectID inDeviceObjectID,
                                                        AudioObjectID inStreamObjectID,
                                                        const void* ioMainBuffer,
                                                        const AudioServerPlugInIOCycleInfo* inIOCycleInfo,
                                                        bool& proceed) {
  proceed = false;
  if (inDeviceObjectID != kObjectID_Device ||
      (inStreamObjectID != kObjectID_Stream_Input && inStreamObjectID != kObjectID_Stream_Output) ||
      !ioMainBuffer || !inIOCycleInfo) {
    return kAudioHardwareBadObjectError;
  }
  proceed = REQUIRED_PRESENT_AS(ioMainBuffer, "ioMainBuffer");
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInMixDevice::StartIO(AudioObjectID inDeviceObjectID, UInt32 inClientID) {
  if (inDeviceObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  LogClientCall("StartIO(AudioObjectID, UInt32)", inClientID);
  // A device that starts from idle starts with empty rings.
  if (!m_client.GetDeviceIsIORunningWithMutex()) ClearCircularBuffers();
  m_client.ClientStartMixingIO(inClientID);
  CheckCircularBuffers();
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInMixDevice::StopIO(AudioObjectID inDeviceObjectID, UInt32 inClientID) {
  if (inDeviceObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  LogClientCall("StopIO(AudioObjectID, UInt32)", inClientID);
  m_client.ClientStopMixingIO(inClientID);
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInMixDevice::GetZeroTimeStamp(AudioObjectID inDeviceObjectID, UInt32 inClientID,
                                                        Float64* outSampleTime, UInt64* outHostTime,
                                                        UInt64* outSeed) {
  if (inDeviceObjectID != kObjectID_Device || !outSampleTime || !outHostTime || !outSeed) {
    return kAudioHardwareBadObjectError;
  }
  return m_client.GetClientZeroTimeStamp(inClientID, outSampleTime, outHostTime, outSeed);
}

OSStatus CFAudioServerPlugInMixDevice::WillDoIOOperation(AudioObjectID inDeviceObjectID, UInt32,
                                                         UInt32 inOperationID, Boolean* outWillDo,
                                                         Boolean* outWillDoInPlace) {
  if (inDeviceObjectID != kObjectID_Device || !outWillDo || !outWillDoInPlace)
    return kAudioHardwareBadObjectError;
  *outWillDo = inOperationID == kAudioServerPlugInIOOperationWriteMix ||
               inOperationID == kAudioServerPlugInIOOperationReadInput;
  *outWillDoInPlace = true;
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInMixDevice::GetDevicePropertyData(const GetDataMessage_t& message) {
  if (message.in.ObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  switch (message.in.Address->mSelector) {
    case kAudioDevicePropertyZeroTimeStampPeriod:
      MESSAGE_ANSWERED_HERE(message);
      return SetOutDataType_T(message, UInt32(CFAudioServerMixClient::kZeroTimeStampPeriod));
    case kAudioDevicePropertyDeviceIsRunning:
      MESSAGE_ANSWERED_HERE(message);
      return SetOutDataType_T(message, UInt32(m_client.GetDeviceIsIORunningWithMutex() ? 1 : 0));
    default:
      return CFAudioServerPlugInBase::GetDevicePropertyData(message);
  }
}
