#pragma once
// What every object of the plug-in has: its object id, its property table and its name.
// Objects are reference counted (the object root's count): the plug-in's registry and every
// call into an object hold references, so an object removed while the system asks it
// something lives until the answer is given. Make them with adopt(new ...).
#include <objc/NSObject.h>
#include <objc/RefPtr.h>

#include <atomic>

#include "CMIOPropertyMap.h"

namespace NQCMIO {

class CMIOObject : public NSObject, public CMIOPropertyMap {
 public:
  explicit CMIOObject(const tagCMIOPropertyMapEntry* map) : CMIOPropertyMap(map) {}

  const char* ClassName() const override { return "NQCMIO::CMIOObject"; }
  OSStatus GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                           const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data) const override;
  // Answers kCMIOHardwareUnknownPropertyError for what the object does not have and
  // kCMIOHardwareIllegalOperationError for what it has but cannot set.
  OSStatus SetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                           const void* qualifierData, UInt32 dataSize, const void* data) override;

  // The object's name (+1, the caller releases it), or null.
  virtual CFStringRef CopyObjectName() const { return nullptr; }
  virtual void Destruct() {}

  CMIOObjectID GetObjectID() const { return mObjectID; }
  void SetObjectID(CMIOObjectID objectID) { mObjectID = objectID; }

 protected:
  // The status of a set that the object does not serve itself.
  OSStatus RefuseSet(const CMIOObjectPropertyAddress& address) const;

  std::atomic<CMIOObjectID> mObjectID{kCMIOObjectUnknown};
};

// Writes a CF reference (the caller's to release) as a property value.
OSStatus CMIOPropertyWriteReference(CFTypeRef value, UInt32 dataSize, UInt32* dataUsed, void* data);
// Writes a 32-bit value.
OSStatus CMIOPropertyWriteUInt32(UInt32 value, UInt32 dataSize, UInt32* dataUsed, void* data);
// Writes doubles.
OSStatus CMIOPropertyWriteFloat64s(const Float64* values, UInt32 count, UInt32 dataSize, UInt32* dataUsed, void* data);

}  // namespace NQCMIO
