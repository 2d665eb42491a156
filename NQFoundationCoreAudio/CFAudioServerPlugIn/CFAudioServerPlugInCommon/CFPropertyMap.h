#pragma once
// Property maps: each object of the driver answers most property questions from constant
// tables of rows, looked up by selector alone (scope and element play no part).
#include <CoreAudio/AudioHardwareBase.h>
#include <CoreFoundation/CFString.h>

#include <vector>

namespace NQCFAudioServer {

struct tagCFPropertyMapEntry {
  UInt32 selector;        // 0 ends a table
  UInt32 sizeofProperty;  // what GetPropertyDataSize answers
  UInt8 readProperty;     // the object has the property
  UInt8 writeProperty;    // what IsPropertySettable answers
  SInt64 value;           // for rows of up to 8 bytes: the value copied out
};

// The value field of a row that holds a constant string.
inline SInt64 CFPropertyMapStringValue(CFStringRef string) {
  return SInt64(reinterpret_cast<intptr_t>(string));
}

class CFPropertyMap {
 public:
  explicit CFPropertyMap(const tagCFPropertyMapEntry* inPropertyMap);
  virtual ~CFPropertyMap() = default;
  CFPropertyMap(const CFPropertyMap&) = delete;
  CFPropertyMap& operator=(const CFPropertyMap&) = delete;

  virtual const char* ClassName() const { return "CFPropertyMap"; }
  // The first table that lists the selector, its first row: whether the object has it.
  virtual bool HasProperty(const AudioObjectPropertyAddress& address) const;
  // status 0 and the row's settable byte; an unlisted selector leaves both untouched.
  virtual void IsPropertySettable(OSStatus& status, const AudioObjectPropertyAddress& address,
                                  Boolean* outIsSettable) const;
  // The last table that lists the selector decides the size.
  virtual void GetPropertyDataSize(OSStatus& status, const AudioObjectPropertyAddress& address,
                                   UInt32 qualifierDataSize, const void* qualifierData,
                                   UInt32* outDataSize) const;
  // Tables are constant: a set is not theirs to carry out.
  virtual void SetPropertyData(const AudioObjectPropertyAddress& address, UInt32 qualifierDataSize,
                               const void* qualifierData, UInt32 inDataSize, const void* inData);
  // Copies a defined row's value when it fits; otherwise 'who?' with nothing written.
  void GetPropertyData(OSStatus& status, const AudioObjectPropertyAddress& address, UInt32 qualifierDataSize,
                       const void* qualifierData, UInt32 inDataSize, UInt32* outDataSize,
                       void* outData) const;

  // The platform's constant name of a selector, for logs; "unknown" for others.
  static const char* CStringFromSelector(UInt32 selector);

 protected:
  // Appends a table after those already there; a null table is reported and left out.
  void AppendPropertyMap(const tagCFPropertyMapEntry* inPropertyMap);

 private:
  const tagCFPropertyMapEntry* FindFirstRow(UInt32 selector) const;

  std::vector<const tagCFPropertyMapEntry*> mPropertyMaps;
};

}  // namespace NQCFAudioServer
