#include "CFAudioServerPlugInStatic.h"

#include <syslog.h>

#include <cstring>

#include "CFAudioServerPlugInBase.h"
#include "CFAudioServerRequired.h"

using namespace NQCFAudioServer;

namespace {

bool SameUUID(REFIID bytes, CFUUIDRef uuid) {
  const CFUUIDBytes wanted = CFUUIDGetUUIDBytes(uuid);
  return std::memcmp(&bytes, &wanted, sizeof wanted) == 0;
}

// The client's bundle identifier in UTF-8, or "(null)" for a process without one.
struct BundleIDText {
  char text[256] = "(null)";
  explicit BundleIDText(CFStringRef bundleID) {
    if (bundleID && CFGetTypeID(bundleID) == CFStringGetTypeID()) {
      CFStringGetCString(bundleID, text, sizeof text, kCFStringEncodingUTF8);
    }
  }
};

void LogClientCall(const char* function, const AudioServerPlugInClientInfo* clientInfo) {
  syslog(LOG_NOTICE, "'%s' = CFAudioServerPlugInBase CFAudioServerPlugInStatic_T::%s:mClientID:%08lx\n",
         BundleIDText(clientInfo->mBundleID).text, function,
         static_cast<unsigned long>(clientInfo->mClientID));
}

}  // namespace

HRESULT CFAudioServerPlugInStatic_T::QueryInterface(CFAudioServerPlugInBase* device, bool isOurs,
                                                    AudioServerPlugInDriverRef driver, REFIID inUUID,
                                                    LPVOID* outInterface) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  if (!outInterface) return kAudioHardwareIllegalOperationError;
  *outInterface = nullptr;
  if (!SameUUID(inUUID, IUnknownUUID) && !SameUUID(inUUID, kAudioServerPlugInDriverInterfaceUUID)) {
    REQUIRED_CODE(false, "CFEqual(requestedUUID,kAudioServerPlugInDriverInterfaceUUID)");
    return E_NOINTERFACE;
  }
  device->AddReference();
  *outInterface = driver;
  return S_OK;
}

ULONG CFAudioServerPlugInStatic_T::AddRef(CFAudioServerPlugInBase* device, bool isOurs) {
  if (!isOurs) return ULONG(E_INVALIDARG);
  return ULONG(device->AddReference());
}

ULONG CFAudioServerPlugInStatic_T::Release(CFAudioServerPlugInBase* device, bool isOurs) {
  if (!isOurs) return ULONG(E_INVALIDARG);
  return ULONG(device->RemoveReference());
}

OSStatus CFAudioServerPlugInStatic_T::Initialize(CFAudioServerPlugInBase* device, bool isOurs,
                                                 AudioServerPlugInHostRef inHost) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  return device->Initialize(inHost);
}

OSStatus CFAudioServerPlugInStatic_T::CreateDevice(bool isOurs) {
  return isOurs ? kAudioHardwareUnsupportedOperationError : kAudioHardwareBadObjectError;
}

// A process without a bundle identifier (a command-line tool) is a client like any other;
// only the primary client is recognised by its identifier.
static OSStatus ClientCall(CFAudioServerPlugInBase* device, bool isOurs, AudioObjectID inDeviceObjectID,
                           const AudioServerPlugInClientInfo* inClientInfo, bool add) {
  if (!isOurs || !inClientInfo) return kAudioHardwareBadObjectError;
  LogClientCall(add ? "AddDeviceClient" : "RemoveDeviceClient", inClientInfo);
  if (inDeviceObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  if (add) {
    device->AddDeviceClient(inDeviceObjectID, inClientInfo);
  } else {
    device->RemoveDeviceClient(inDeviceObjectID, inClientInfo);
  }
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInStatic_T::AddDeviceClient(CFAudioServerPlugInBase* device, bool isOurs,
                                                      AudioObjectID inDeviceObjectID,
                                                      const AudioServerPlugInClientInfo* inClientInfo) {
  return ClientCall(device, isOurs, inDeviceObjectID, inClientInfo, true);
}

OSStatus CFAudioServerPlugInStatic_T::RemoveDeviceClient(CFAudioServerPlugInBase* device, bool isOurs,
                                                         AudioObjectID inDeviceObjectID,
                                                         const AudioServerPlugInClientInfo* inClientInfo) {
  return ClientCall(device, isOurs, inDeviceObjectID, inClientInfo, false);
}

OSStatus CFAudioServerPlugInStatic_T::PerformDeviceConfigurationChange(CFAudioServerPlugInBase* device,
                                                                       bool isOurs,
                                                                       AudioObjectID inDeviceObjectID,
                                                                       UInt64 inChangeAction,
                                                                       void* inChangeInfo) {
  if (!isOurs || inDeviceObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  return device->PerformDeviceConfigurationChange(inDeviceObjectID, inChangeAction, inChangeInfo);
}

OSStatus CFAudioServerPlugInStatic_T::DeviceOnly(bool isOurs, AudioObjectID inDeviceObjectID) {
  return isOurs && inDeviceObjectID == kObjectID_Device ? kAudioHardwareNoError
                                                        : kAudioHardwareBadObjectError;
}

Boolean CFAudioServerPlugInStatic_T::HasProperty(CFAudioServerPlugInBase* device, bool isOurs,
                                                 AudioServerPlugInDriverRef driver, AudioObjectID inObjectID,
                                                 pid_t inClientProcessID,
                                                 const AudioObjectPropertyAddress* inAddress) {
  if (!isOurs || !inAddress) return false;
  WhereAnswered_t where;
  return device->HasProperty_Dispatch({&where, {driver, inObjectID, inClientProcessID, inAddress}});
}

OSStatus CFAudioServerPlugInStatic_T::IsPropertySettable(CFAudioServerPlugInBase* device, bool isOurs,
                                                         AudioServerPlugInDriverRef driver,
                                                         AudioObjectID inObjectID, pid_t inClientProcessID,
                                                         const AudioObjectPropertyAddress* inAddress,
                                                         Boolean* outIsSettable) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  if (!inAddress || !outIsSettable) return kAudioHardwareIllegalOperationError;
  WhereAnswered_t where;
  return device->IsPropertySettable_Dispatch(
      {&where, {driver, inObjectID, inClientProcessID, inAddress}, outIsSettable});
}

OSStatus CFAudioServerPlugInStatic_T::GetPropertyDataSize(CFAudioServerPlugInBase* device, bool isOurs,
                                                          AudioServerPlugInDriverRef driver,
                                                          AudioObjectID inObjectID, pid_t inClientProcessID,
                                                          const AudioObjectPropertyAddress* inAddress,
                                                          UInt32 inQualifierDataSize,
                                                          const void* inQualifierData, UInt32* outDataSize) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  if (!inAddress || !outDataSize) return kAudioHardwareIllegalOperationError;
  WhereAnswered_t where;
  return device->GetPropertyDataSize_Dispatch({&where,
                                               {driver, inObjectID, inClientProcessID, inAddress},
                                               inQualifierDataSize,
                                               inQualifierData,
                                               outDataSize});
}

OSStatus CFAudioServerPlugInStatic_T::GetPropertyData(CFAudioServerPlugInBase* device, bool isOurs,
                                                      AudioServerPlugInDriverRef driver,
                                                      AudioObjectID inObjectID, pid_t inClientProcessID,
                                                      const AudioObjectPropertyAddress* inAddress,
                                                      UInt32 inQualifierDataSize, const void* inQualifierData,
                                                      UInt32 inDataSize, UInt32* outDataSize, void* outData) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  if (!inAddress || !outDataSize || !outData) return kAudioHardwareIllegalOperationError;
  // Whatever a handler answers, the caller never finds an out size it did not write.
  *outDataSize = 0;
  WhereAnswered_t where;
  return device->GetPropertyData_Dispatch({&where,
                                           {driver, inObjectID, inClientProcessID, inAddress},
                                           inQualifierDataSize,
                                           inQualifierData,
                                           inDataSize,
                                           outDataSize,
                                           outData});
}

OSStatus CFAudioServerPlugInStatic_T::SetPropertyData(CFAudioServerPlugInBase* device, bool isOurs,
                                                      AudioServerPlugInDriverRef driver,
                                                      AudioObjectID inObjectID, pid_t inClientProcessID,
                                                      const AudioObjectPropertyAddress* inAddress,
                                                      UInt32 inQualifierDataSize, const void* inQualifierData,
                                                      UInt32 inDataSize, const void* inData) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  if (!inAddress) return kAudioHardwareIllegalOperationError;
  WhereAnswered_t where;
  return device->SetPropertyData_Dispatch({&where,
                                           {driver, inObjectID, inClientProcessID, inAddress},
                                           inQualifierDataSize,
                                           inQualifierData,
                                           inDataSize,
                                           inData});
}

OSStatus CFAudioServerPlugInStatic_T::StartIO(CFAudioServerPlugInBase* device, bool isOurs,
                                              AudioObjectID inDeviceObjectID, UInt32 inClientID) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  return device->StartIO(inDeviceObjectID, inClientID);
}

OSStatus CFAudioServerPlugInStatic_T::StopIO(CFAudioServerPlugInBase* device, bool isOurs,
                                             AudioObjectID inDeviceObjectID, UInt32 inClientID) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  return device->StopIO(inDeviceObjectID, inClientID);
}

OSStatus CFAudioServerPlugInStatic_T::GetZeroTimeStamp(CFAudioServerPlugInBase* device, bool isOurs,
                                                       AudioObjectID inDeviceObjectID, UInt32 inClientID,
                                                       Float64* outSampleTime, UInt64* outHostTime,
                                                       UInt64* outSeed) {
  if (!isOurs) return kAudioHardwareBadObjectError;
  return device->GetZeroTimeStamp(inDeviceObjectID, inClientID, outSampleTime, outHostTime, outSeed);
}

OSStatus CFAudioServerPlugInStatic_T::WillDoIOOperation(CFAudioServerPlugInBase* device, bool isOurs,
                                                        AudioObjectID inDeviceObjectID, UInt32 inClientID,
                                                        UInt32 inOperationID, Boolean* outWillDo,
                                                        Boolean* outWillDoInPlace) {
  if (!isOurs || inDeviceObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  return device->WillDoIOOperation(inDeviceObjectID, inClientID, inOperationID, outWillDo, outWillDoInPlace);
}

OSStatus CFAudioServerPlugInStatic_T::DoIOOperation(CFAudioServerPlugInBase* device, bool isOurs,
                                                    AudioObjectID inDeviceObjectID,
                                                    AudioObjectID inStreamObjectID, UInt32 inClientID,
                                                    UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                                                    const AudioServerPlugInIOCycleInfo* inIOCycleInfo,
                                                    void* ioMainBuffer, void* ioSecondaryBuffer) {
  if (!isOurs || inDeviceObjectID != kObjectID_Device) return kAudioHardwareBadObjectError;
  return device->DoIOOperation(inDeviceObjectID, inStreamObjectID, inClientID, inOperationID,
                               inIOBufferFrameSize, inIOCycleInfo, ioMainBuffer, ioSecondaryBuffer);
}
