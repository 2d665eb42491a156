#include <URequirements.h>

#include "COMHardwarePlugInInterface.h"

// The function table the system calls through. Each entry that works on the instance checks
// the reference first and answers 'what' for one that is not ours.
namespace NQCMIO {
namespace COMEntries {

// The owner of a reference, or null with the two reports, which name the entry that asked.
COMHardwarePlugInInterface* validOwner(CMIOHardwarePlugInRef __ptr_IUnknown, const char* entry, int line) {
  if (COMHardwarePlugInInterface::IUnknownValidPtr(__ptr_IUnknown)) {
    return COMHardwarePlugInInterface::FromReference(__ptr_IUnknown);
  }
  __CFRequiredBody(REQUIRED_FILE_NAME, entry, line, "SRC>>IUnknownValidPtr(__ptr_IUnknown)");
  __CFRequiredNotCFNullBody(nullptr, REQUIRED_FILE_NAME, entry, line, "pThis");
  return nullptr;
}

#define VALID_OWNER(self) validOwner((self), __FUNCTION__, __LINE__)

COMHardwarePlugInRecord* recordOf(void* self) { return static_cast<COMHardwarePlugInRecord*>(self); }

HRESULT QueryInterface(void* self, REFIID uuid, LPVOID* lpInterface) {
  HRESULT result = lpInterface ? E_NOINTERFACE : E_POINTER;
  if (!REQUIRED_NOT_NULL(lpInterface)) return result;
  *lpInterface = nullptr;
  const RefPtr<const __CFUUID> requested = adopt(CFUUIDCreateFromUUIDBytes(nullptr, uuid));
  const RefPtr<const __CFString> requestedString =
      adopt(requested ? CFUUIDCreateString(nullptr, requested.get()) : nullptr);
  const RefPtr<const __CFString> interfaceString = adopt(CFUUIDCreateString(nullptr, kCMIOHardwarePlugInInterfaceID));
  CFStringRef uuidString = requestedString.get();
  CFStringRef hardwarePluginUuid = interfaceString.get();
  if (!REQUIRED_NOT_NULL(uuidString) || !REQUIREMENT(CFEqual(uuidString, hardwarePluginUuid))) return result;
  recordOf(self)->count.fetch_add(1);
  *lpInterface = self;
  return S_OK;
}

ULONG AddRef(void* self) { return recordOf(self)->count.fetch_add(1) + 1; }

// The count never goes below 0, and the answer is taken before the instance may be gone.
ULONG Release(void* self) {
  std::atomic<UInt32>& count = recordOf(self)->count;
  UInt32 current = count.load();
  do {
    if (!REQUIREMENT(current > 0)) return 0;
  } while (!count.compare_exchange_weak(current, current - 1));
  const ULONG remaining = current - 1;
  if (remaining == 0) COMHardwarePlugInInterface::Delete(static_cast<CMIOHardwarePlugInRef>(self));
  return remaining;
}

OSStatus Initialize(CMIOHardwarePlugInRef) { return kCMIOHardwareUnspecifiedError; }

OSStatus InitializeWithObjectID(CMIOHardwarePlugInRef self, CMIOObjectID objectID) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->InitializeWithObjectID(objectID) : kCMIOHardwareUnspecifiedError;
}

OSStatus Teardown(CMIOHardwarePlugInRef self) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->Teardown() : kCMIOHardwareUnspecifiedError;
}

void ObjectShow(CMIOHardwarePlugInRef, CMIOObjectID) {}

Boolean ObjectHasProperty(CMIOHardwarePlugInRef self, CMIOObjectID objectID, const CMIOObjectPropertyAddress* address) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->ObjectHasProperty(objectID, address) : false;
}

OSStatus ObjectIsPropertySettable(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                                  const CMIOObjectPropertyAddress* address, Boolean* isSettable) {
  if (isSettable) *isSettable = false;
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->ObjectIsPropertySettable(objectID, address, isSettable) : kCMIOHardwareUnspecifiedError;
}

OSStatus ObjectGetPropertyDataSize(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                                   const CMIOObjectPropertyAddress* address, UInt32 qualifierDataSize,
                                   const void* qualifierData, UInt32* dataSize) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->ObjectGetPropertyDataSize(objectID, address, qualifierDataSize, qualifierData, dataSize)
               : kCMIOHardwareUnspecifiedError;
}

OSStatus ObjectGetPropertyData(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                               const CMIOObjectPropertyAddress* address, UInt32 qualifierDataSize,
                               const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->ObjectGetPropertyData(objectID, address, qualifierDataSize, qualifierData, dataSize, dataUsed,
                                              data)
               : kCMIOHardwareUnspecifiedError;
}

OSStatus ObjectSetPropertyData(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                               const CMIOObjectPropertyAddress* address, UInt32 qualifierDataSize,
                               const void* qualifierData, UInt32 dataSize, const void* data) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->ObjectSetPropertyData(objectID, address, qualifierDataSize, qualifierData, dataSize, data)
               : kCMIOHardwareUnspecifiedError;
}

OSStatus DeviceSuspend(CMIOHardwarePlugInRef, CMIODeviceID) { return kCMIOHardwareNoError; }
OSStatus DeviceResume(CMIOHardwarePlugInRef, CMIODeviceID) { return kCMIOHardwareNoError; }

OSStatus DeviceStartStream(CMIOHardwarePlugInRef self, CMIODeviceID device, CMIOStreamID stream) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->DeviceStartStream(device, stream) : kCMIOHardwareUnspecifiedError;
}

OSStatus DeviceStopStream(CMIOHardwarePlugInRef self, CMIODeviceID device, CMIOStreamID stream) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->DeviceStopStream(device, stream) : kCMIOHardwareUnspecifiedError;
}

OSStatus DeviceProcessAVCCommand(CMIOHardwarePlugInRef, CMIODeviceID, CMIODeviceAVCCommand*) {
  return kCMIOHardwareNoError;
}

OSStatus DeviceProcessRS422Command(CMIOHardwarePlugInRef, CMIODeviceID, CMIODeviceRS422Command*) {
  return kCMIOHardwareNoError;
}

OSStatus StreamCopyBufferQueue(CMIOHardwarePlugInRef self, CMIOStreamID stream,
                               CMIODeviceStreamQueueAlteredProc queueAlteredProc, void* queueAlteredRefCon,
                               CMSimpleQueueRef* queue) {
  COMHardwarePlugInInterface* pThis = VALID_OWNER(self);
  return pThis ? pThis->StreamCopyBufferQueue(stream, queueAlteredProc, queueAlteredRefCon, queue)
               : kCMIOHardwareUnspecifiedError;
}

OSStatus StreamDeckPlay(CMIOHardwarePlugInRef, CMIOStreamID) { return kCMIOHardwareIllegalOperationError; }
OSStatus StreamDeckStop(CMIOHardwarePlugInRef, CMIOStreamID) { return kCMIOHardwareIllegalOperationError; }
OSStatus StreamDeckJog(CMIOHardwarePlugInRef, CMIOStreamID, SInt32) { return kCMIOHardwareIllegalOperationError; }
OSStatus StreamDeckCueTo(CMIOHardwarePlugInRef, CMIOStreamID, Float64, Boolean) {
  return kCMIOHardwareIllegalOperationError;
}

}  // namespace COMEntries

CMIOHardwarePlugInInterface COMHardwarePlugInInterface::sVTBL = {
    nullptr,
    COMEntries::QueryInterface,
    COMEntries::AddRef,
    COMEntries::Release,
    COMEntries::Initialize,
    COMEntries::InitializeWithObjectID,
    COMEntries::Teardown,
    COMEntries::ObjectShow,
    COMEntries::ObjectHasProperty,
    COMEntries::ObjectIsPropertySettable,
    COMEntries::ObjectGetPropertyDataSize,
    COMEntries::ObjectGetPropertyData,
    COMEntries::ObjectSetPropertyData,
    COMEntries::DeviceSuspend,
    COMEntries::DeviceResume,
    COMEntries::DeviceStartStream,
    COMEntries::DeviceStopStream,
    COMEntries::DeviceProcessAVCCommand,
    COMEntries::DeviceProcessRS422Command,
    COMEntries::StreamCopyBufferQueue,
    COMEntries::StreamDeckPlay,
    COMEntries::StreamDeckStop,
    COMEntries::StreamDeckJog,
    COMEntries::StreamDeckCueTo,
};

}  // namespace NQCMIO
