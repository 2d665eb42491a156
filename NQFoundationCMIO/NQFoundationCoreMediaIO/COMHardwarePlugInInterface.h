#pragma once
// The COM face of a plug-in instance: the record the system holds as its plug-in reference,
// the function table behind it, the reference count, the registry that maps object ids to
// the plug-in's objects, and the routing of every system call to the object it names. The
// registry holds a reference to each object and hands out references, so an object removed
// (on whatever thread) while the system is calling it lives until the call returns.
#include <CoreFoundation/CFUUID.h>
#include <CoreMediaIO/CMIOHardwarePlugIn.h>

#include <atomic>
#include <map>
#include <mutex>

#include "CMIOPlugIn.h"

namespace NQCMIO {

class COMHardwarePlugInInterface;

// What the system's plug-in reference points to; the first field points to the table.
struct COMHardwarePlugInRecord {
  CMIOHardwarePlugInInterface* table;
  UInt32 firstMagic;
  std::atomic<UInt32> count;
  COMHardwarePlugInInterface* owner;
  UInt32 secondMagic;
};

class COMHardwarePlugInInterface {
 public:
  static constexpr UInt32 kFirstMagic = FOUR_CHAR_CODE("ZQOW");
  static constexpr UInt32 kSecondMagic = FOUR_CHAR_CODE("YRVE");

  explicit COMHardwarePlugInInterface(CFUUIDRef inFactoryID);
  virtual ~COMHardwarePlugInInterface();
  COMHardwarePlugInInterface(const COMHardwarePlugInInterface&) = delete;
  COMHardwarePlugInInterface& operator=(const COMHardwarePlugInInterface&) = delete;

  virtual OSStatus InitializeWithObjectID(CMIOObjectID objectID);
  virtual OSStatus Teardown();
  virtual Boolean ObjectHasProperty(CMIOObjectID objectID, const CMIOObjectPropertyAddress* address);
  virtual OSStatus ObjectIsPropertySettable(CMIOObjectID objectID, const CMIOObjectPropertyAddress* address,
                                            Boolean* isSettable);
  virtual OSStatus ObjectGetPropertyDataSize(CMIOObjectID objectID, const CMIOObjectPropertyAddress* address,
                                             UInt32 qualifierDataSize, const void* qualifierData, UInt32* dataSize);
  virtual OSStatus ObjectGetPropertyData(CMIOObjectID objectID, const CMIOObjectPropertyAddress* address,
                                         UInt32 qualifierDataSize, const void* qualifierData, UInt32 dataSize,
                                         UInt32* dataUsed, void* data);
  virtual OSStatus ObjectSetPropertyData(CMIOObjectID objectID, const CMIOObjectPropertyAddress* address,
                                         UInt32 qualifierDataSize, const void* qualifierData, UInt32 dataSize,
                                         const void* data);
  virtual OSStatus StreamCopyBufferQueue(CMIOStreamID streamID, CMIODeviceStreamQueueAlteredProc proc, void* refCon,
                                         CMSimpleQueueRef* queue);
  virtual OSStatus DeviceStartStream(CMIODeviceID deviceID, CMIOStreamID streamID);
  virtual OSStatus DeviceStopStream(CMIODeviceID deviceID, CMIOStreamID streamID);

  CMIOHardwarePlugInRef IUnknown() const;
  static CMIOHardwarePlugInRef Copy_IUnknown(COMHardwarePlugInInterface* pThis);
  static void Delete(CMIOHardwarePlugInRef reference);
  // The owner of a valid plug-in reference, or null.
  static COMHardwarePlugInInterface* FromReference(CMIOHardwarePlugInRef reference);
  static bool IUnknownValidPtr(CMIOHardwarePlugInRef reference) { return FromReference(reference) != nullptr; }

  // What a factory does: check that the camera plug-in type is asked for, make the instance
  // and hand out its reference (null, reported, when any step fails).
  static void* FactoryInstance(CFUUIDRef requestedTypeUUID, COMHardwarePlugInInterface* (*create)(CFUUIDRef));

  OSStatus CMIOObjectCreate(CMIOObjectID owningObjectID, CMIOClassID classID, CMIOObjectID* objectID);
  OSStatus CMIOObjectPublish(CMIOObjectID owningObjectID, CMIOObjectID objectID);
  // Tells the system that objects it knew are gone (objects of one owner).
  OSStatus CMIOObjectsDied(CMIOObjectID owningObjectID, UInt32 count, const CMIOObjectID objectIDs[]);

  // The registry retains the object until it is removed.
  void SetObjectWithID(CMIOObject& object, CMIOObjectID objectID);
  void RemoveObjectWithID(CMIOObjectID objectID);
  void RegisterObject(CMIOObject& object) { SetObjectWithID(object, object.GetObjectID()); }
  void UnregisterObject(CMIOObject& object) { RemoveObjectWithID(object.GetObjectID()); }
  // The object of an id, held for the caller; null (reported) for an id the plug-in does not know.
  RefPtr<CMIOObject> GetObjectWithID(CMIOObjectID objectID) const;

  CMIOPlugIn& PlugIn() { return *mPlugIn; }
  CFUUIDRef FactoryID() const { return mFactoryID.get(); }
  UInt32 ReferenceCount() const { return mRecord.count.load(); }

  static CMIOHardwarePlugInInterface sVTBL;

 private:
  RefPtr<const __CFUUID> mFactoryID;
  mutable std::mutex mRegistryLock;
  std::map<CMIOObjectID, Ref<CMIOObject>> mRegistry;
  const Ref<CMIOPlugIn> mPlugIn;
  COMHardwarePlugInRecord mRecord;
};

}  // namespace NQCMIO
