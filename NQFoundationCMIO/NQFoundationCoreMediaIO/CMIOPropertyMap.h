#pragma once
// Property tables: every object of the plug-in answers the system's property questions first
// from a constant table (per selector: has, settable, size and, for constants, the value) and
// from its own fields for the rest.
#include <CoreFoundation/CFString.h>
#include <CoreMediaIO/CMIOHardwareObject.h>

#include <cstdint>

struct tagCMIOPropertyMapEntry {
  UInt32 selector;  // 0 ends a table
  UInt32 size;
  UInt8 has;
  UInt8 settable;
  UInt64 value;  // an integer in its low-order bytes, or a constant CFString reference
};

// The inline value of a table entry that holds a constant string.
inline UInt64 CMIOPropertyStringValue(CFStringRef string) { return reinterpret_cast<uintptr_t>(string); }

namespace NQCMIO {

class CMIOPropertyMap {
 public:
  explicit CMIOPropertyMap(const tagCMIOPropertyMapEntry* map) : mPropertyMap(map) {}
  virtual ~CMIOPropertyMap() = default;

  virtual const char* ClassName() const { return "NQCMIO::CMIOPropertyMap"; }
  virtual bool HasProperty(const CMIOObjectPropertyAddress& address) const;
  virtual bool IsPropertySettable(const CMIOObjectPropertyAddress& address) const;
  virtual UInt32 GetPropertyDataSize(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                                     const void* qualifierData) const;
  // Writes the property's data when the caller's buffer holds it. kCMIOHardwareUnknownPropertyError
  // (with *dataUsed 0) for a property the table does not serve, kCMIOHardwareBadPropertySizeError
  // (nothing written) for a buffer that is too small.
  virtual OSStatus GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                                   const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data) const;
  virtual OSStatus SetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                                   const void* qualifierData, UInt32 dataSize, const void* data) = 0;

  CMIOPropertyMap& operator=(const tagCMIOPropertyMapEntry* map) {
    mPropertyMap = map;
    return *this;
  }
  // Whether any entry has the address's selector, served or not.
  bool IsPropertyDefined(const CMIOObjectPropertyAddress& address) const;

  static const char* CStringFromSelector(UInt32 selector);

 protected:
  // The entry of a selector, or null (reported when there is no table at all).
  const tagCMIOPropertyMapEntry* FindEntry(UInt32 selector) const;
  // The "unhandled" line, for properties that nothing serves.
  void LogUnhandled(UInt32 selector) const;

  const tagCMIOPropertyMapEntry* mPropertyMap;
};

// What every property getter checks before writing: the caller's buffer is there and large
// enough. Answers kCMIOHardwareBadPropertySizeError (and sets *dataUsed to 0) otherwise.
OSStatus CMIOPropertyCheckSize(UInt32 needed, UInt32 dataSize, UInt32* dataUsed, const void* data);

}  // namespace NQCMIO
