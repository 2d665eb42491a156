#include "COMHardwarePlugInInterface.h"

#include <URequirements.h>
#include <WithRequirements.h>

#include "CMIOStreamBase.h"

namespace NQCMIO {

COMHardwarePlugInInterface::COMHardwarePlugInInterface(CFUUIDRef inFactoryID)
    : mPlugIn(Ref<CMIOPlugIn>::adopt(new CMIOPlugIn())), mRecord{&sVTBL, kFirstMagic, {1}, this, kSecondMagic} {
  std::atomic_thread_fence(std::memory_order_seq_cst);
  if (REQUIRED_CFTYPEOF(inFactoryID, CFUUIDGetTypeID())) {
    mFactoryID = RefPtr(inFactoryID);
    CFPlugInAddInstanceForFactory(mFactoryID.get());
  }
  std::atomic_thread_fence(std::memory_order_seq_cst);
}

COMHardwarePlugInInterface::~COMHardwarePlugInInterface() {
  // Reported under the member's name, as the check of the raw reference read.
  if (URequirements::typeOf(mFactoryID.get(), CFUUIDGetTypeID(), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__,
                            "mFactoryID")) {
    CFPlugInRemoveInstanceForFactory(mFactoryID.get());
    mFactoryID = nullptr;
  }
  std::map<CMIOObjectID, Ref<CMIOObject>> removed;
  std::lock_guard<std::mutex> guard(mRegistryLock);
  removed.swap(mRegistry);
}

OSStatus COMHardwarePlugInInterface::InitializeWithObjectID(CMIOObjectID) { return kCMIOHardwareUnspecifiedError; }

OSStatus COMHardwarePlugInInterface::Teardown() { return kCMIOHardwareUnspecifiedError; }

CMIOHardwarePlugInRef COMHardwarePlugInInterface::IUnknown() const {
  return reinterpret_cast<CMIOHardwarePlugInRef>(const_cast<COMHardwarePlugInRecord*>(&mRecord));
}

CMIOHardwarePlugInRef COMHardwarePlugInInterface::Copy_IUnknown(COMHardwarePlugInInterface* pThis) {
  if (!REQUIRED_NOT_NULL(pThis)) return nullptr;
  return pThis->IUnknown();
}

COMHardwarePlugInInterface* COMHardwarePlugInInterface::FromReference(CMIOHardwarePlugInRef reference) {
  if (!reference) return nullptr;
  auto* record = reinterpret_cast<COMHardwarePlugInRecord*>(reference);
  if (!record->table || !record->owner) return nullptr;
  if (record->firstMagic != kFirstMagic || record->secondMagic != kSecondMagic) return nullptr;
  return record->owner;
}

void COMHardwarePlugInInterface::Delete(CMIOHardwarePlugInRef pIUnknown) {
  if (!REQUIRED_NOT_NULL(pIUnknown)) return;
  CMIOHardwarePlugInRef __ptr_IUnknown = pIUnknown;
  if (!REQUIREMENT(IUnknownValidPtr(__ptr_IUnknown))) return;
  delete FromReference(__ptr_IUnknown);
}

void* COMHardwarePlugInInterface::FactoryInstance(CFUUIDRef requestedTypeUUID,
                                                  COMHardwarePlugInInterface* (*create)(CFUUIDRef)) {
  // The type is spelled out as the system's header expands it, so that the report names it so.
  if (!REQUIREMENT(CFEqual(requestedTypeUUID,CFUUIDGetConstantUUIDWithBytes( __null, 0x30, 0x01, 0x0C, 0x1C, 0x93,
                                                                            0xBF, 0x11, 0xD8, 0x8B, 0x5B, 0x00, 0x0A,
                                                                            0x95, 0xAF, 0x9C, 0x6A)))) {
    return nullptr;
  }
  COMHardwarePlugInInterface* pThis = create(requestedTypeUUID);
  if (!REQUIRED_NOT_NULL(pThis)) return nullptr;
  CMIOHardwarePlugInRef IUnknown = Copy_IUnknown(pThis);
  REQUIRED_NOT_NULL(IUnknown);
  return IUnknown;
}

OSStatus COMHardwarePlugInInterface::CMIOObjectCreate(CMIOObjectID owningObjectID, CMIOClassID cmioClassID,
                                                      CMIOObjectID* objectID) {
  OSStatus result;
  REQUIRED_CMSTATUS(result=::CMIOObjectCreate(IUnknown(), owningObjectID, cmioClassID, objectID));
  return result;
}

OSStatus COMHardwarePlugInInterface::CMIOObjectPublish(CMIOObjectID owningObjectID, CMIOObjectID objectID) {
  OSStatus result;
  REQUIRED_CMSTATUS(result=CMIOObjectsPublishedAndDied(IUnknown(), owningObjectID, 1, &objectID, 0, 0));
  return result;
}

OSStatus COMHardwarePlugInInterface::CMIOObjectsDied(CMIOObjectID owningObjectID, UInt32 count,
                                                     const CMIOObjectID objectIDs[]) {
  OSStatus result;
  REQUIRED_CMSTATUS(result = CMIOObjectsPublishedAndDied(IUnknown(), owningObjectID, 0, 0, count, objectIDs));
  return result;
}

void COMHardwarePlugInInterface::SetObjectWithID(CMIOObject& object, CMIOObjectID objectID) {
  Ref<CMIOObject> held(&object);
  std::lock_guard<std::mutex> guard(mRegistryLock);
  mRegistry.insert_or_assign(objectID, std::move(held));
}

// The object is released outside the lock: its last release may stop its stream's timer.
void COMHardwarePlugInInterface::RemoveObjectWithID(CMIOObjectID objectID) {
  std::map<CMIOObjectID, Ref<CMIOObject>> removed;
  std::lock_guard<std::mutex> guard(mRegistryLock);
  if (auto found = mRegistry.find(objectID); found != mRegistry.end()) removed.insert(mRegistry.extract(found));
}

RefPtr<CMIOObject> COMHardwarePlugInInterface::GetObjectWithID(CMIOObjectID objectID) const {
  RefPtr<CMIOObject> held;
  {
    std::lock_guard<std::mutex> guard(mRegistryLock);
    auto found = mRegistry.find(objectID);
    if (found != mRegistry.end()) held = RefPtr<CMIOObject>(found->second.get());
  }
  const CMIOObject* objectWithID = held.get();
  REQUIRED_NOT_NULL(objectWithID);
  return held;
}

Boolean COMHardwarePlugInInterface::ObjectHasProperty(CMIOObjectID objectID, const CMIOObjectPropertyAddress* address) {
  const RefPtr<CMIOObject> held = GetObjectWithID(objectID);
  CMIOObject* object = held.get();
  if (!REQUIRED_NOT_NULL(object) || !address) return false;
  return object->HasProperty(*address);
}

OSStatus COMHardwarePlugInInterface::ObjectIsPropertySettable(CMIOObjectID objectID,
                                                              const CMIOObjectPropertyAddress* address,
                                                              Boolean* isSettable) {
  const RefPtr<CMIOObject> held = GetObjectWithID(objectID);
  CMIOObject* object = held.get();
  if (!REQUIRED_NOT_NULL(object)) return kCMIOHardwareBadObjectError;
  if (!address || !isSettable) return kCMIOHardwareIllegalOperationError;
  *isSettable = object->IsPropertySettable(*address);
  return object->IsPropertyDefined(*address) ? kCMIOHardwareNoError : kCMIOHardwareUnknownPropertyError;
}

OSStatus COMHardwarePlugInInterface::ObjectGetPropertyDataSize(CMIOObjectID objectID,
                                                               const CMIOObjectPropertyAddress* address,
                                                               UInt32 qualifierDataSize, const void* qualifierData,
                                                               UInt32* dataSize) {
  const RefPtr<CMIOObject> held = GetObjectWithID(objectID);
  CMIOObject* object = held.get();
  if (!REQUIRED_NOT_NULL(object)) return kCMIOHardwareBadObjectError;
  if (!address || !dataSize) return kCMIOHardwareIllegalOperationError;
  *dataSize = object->GetPropertyDataSize(*address, qualifierDataSize, qualifierData);
  return object->IsPropertyDefined(*address) ? kCMIOHardwareNoError : kCMIOHardwareUnknownPropertyError;
}

OSStatus COMHardwarePlugInInterface::ObjectGetPropertyData(CMIOObjectID objectID,
                                                           const CMIOObjectPropertyAddress* address,
                                                           UInt32 qualifierDataSize, const void* qualifierData,
                                                           UInt32 dataSize, UInt32* dataUsed, void* data) {
  const RefPtr<CMIOObject> held = GetObjectWithID(objectID);
  CMIOObject* object = held.get();
  if (!REQUIRED_NOT_NULL(object)) return kCMIOHardwareBadObjectError;
  if (!address) return kCMIOHardwareIllegalOperationError;
  return object->GetPropertyData(*address, qualifierDataSize, qualifierData, dataSize, dataUsed, data);
}

OSStatus COMHardwarePlugInInterface::ObjectSetPropertyData(CMIOObjectID objectID,
                                                           const CMIOObjectPropertyAddress* address,
                                                           UInt32 qualifierDataSize, const void* qualifierData,
                                                           UInt32 dataSize, const void* data) {
  const RefPtr<CMIOObject> held = GetObjectWithID(objectID);
  CMIOObject* object = held.get();
  if (!REQUIRED_NOT_NULL(object)) return kCMIOHardwareBadObjectError;
  if (!address) return kCMIOHardwareIllegalOperationError;
  return object->SetPropertyData(*address, qualifierDataSize, qualifierData, dataSize, data);
}

// The object of a stream id (held for the call), or the status that tells why there is none:
// an id of a device or of the plug-in object must not be driven as a stream.
static OSStatus streamWithID(const COMHardwarePlugInInterface& plugIn, CMIOStreamID streamID,
                             RefPtr<CMIOStreamBase>& streamFound) {
  const RefPtr<CMIOObject> held = plugIn.GetObjectWithID(streamID);
  CMIOObject* stream = held.get();
  if (!REQUIRED_NOT_NULL(stream)) return kCMIOHardwareBadObjectError;
  streamFound = RefPtr<CMIOStreamBase>(dynamic_cast<CMIOStreamBase*>(stream));
  return streamFound ? kCMIOHardwareNoError : kCMIOHardwareBadStreamError;
}

OSStatus COMHardwarePlugInInterface::StreamCopyBufferQueue(CMIOStreamID streamID,
                                                           CMIODeviceStreamQueueAlteredProc proc, void* refCon,
                                                           CMSimpleQueueRef* queue) {
  RefPtr<CMIOStreamBase> stream;
  if (OSStatus status = streamWithID(*this, streamID, stream)) return status;
  if (!queue) return kCMIOHardwareIllegalOperationError;
  *queue = stream->CopyBufferQueue(proc, refCon);
  return *queue ? kCMIOHardwareNoError : kCMIOHardwareUnspecifiedError;
}

OSStatus COMHardwarePlugInInterface::DeviceStartStream(CMIODeviceID, CMIOStreamID streamID) {
  RefPtr<CMIOStreamBase> stream;
  if (OSStatus status = streamWithID(*this, streamID, stream)) return status;
  stream->StartStream();
  return kCMIOHardwareNoError;
}

OSStatus COMHardwarePlugInInterface::DeviceStopStream(CMIODeviceID, CMIOStreamID streamID) {
  RefPtr<CMIOStreamBase> stream;
  if (OSStatus status = streamWithID(*this, streamID, stream)) return status;
  stream->StopStream();
  return kCMIOHardwareNoError;
}

}  // namespace NQCMIO
