#pragma once
// Readers that turn a CoreFoundation value into plain values or UTF-8 text. Each answers
// whether it could; a number reader also answers false when the number's value did not fit
// the type exactly (the nearest value is still written).
#include <CoreFoundation/CFNumber.h>

#include <string>

// A CF value that is released when it goes only if it is owned.
class CFValueHolder {
 public:
  CFValueHolder(CFTypeRef value, bool owned) : mValue(value), mOwned(owned) {}
  CFValueHolder(const CFValueHolder&) = delete;
  CFValueHolder& operator=(const CFValueHolder&) = delete;
  ~CFValueHolder() { release(); }

  void release();
  CFTypeRef Get() const { return mValue; }

 private:
  CFTypeRef mValue;
  bool mOwned;
};

namespace CFValueReaders {

bool TypeIDDescription(CFTypeID typeID, std::string& text);
bool Description(CFTypeRef value, std::string& text);
// A string's own text, or the description of any other object.
bool ValueAsText(CFTypeRef value, std::string& text);

bool NumberValue(CFNumberRef number, double& value);
bool NumberValue(CFNumberRef number, float& value);
bool NumberValue(CFNumberRef number, long& value);
bool NumberValue(CFNumberRef number, SInt32& value);
bool NumberValue(CFNumberRef number, UInt32& value);
bool NumberValue(CFNumberRef number, SInt16& value);
bool NumberValue(CFTypeRef value, double& number);
bool NumberValue(CFTypeRef value, float& number);
bool NumberValue(CFTypeRef value, long& number);
bool NumberValue(CFTypeRef value, SInt32& number);
bool NumberValue(CFTypeRef value, UInt32& number);
bool NumberValue(CFTypeRef value, SInt16& number);

}  // namespace CFValueReaders
