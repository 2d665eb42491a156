#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindow.h>
#include <objc/RefPtr.h>

namespace {

const CFStringRef kXKey = CFSTR("X");
const CFStringRef kYKey = CFSTR("Y");
const CFStringRef kWidthKey = CFSTR("Width");
const CFStringRef kHeightKey = CFSTR("Height");

bool readNumber(CFDictionaryRef dict, CFStringRef key, CGFloat& value) {
  CFTypeRef number = CFDictionaryGetValue(dict, key);
  if (!number || CFGetTypeID(number) != CFNumberGetTypeID()) return false;
  return CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberCGFloatType, &value);
}

}  // namespace

CFDictionaryRef CGRectCreateDictionaryRepresentation(CGRect rect) {
  const CFStringRef keys[] = {kXKey, kYKey, kWidthKey, kHeightKey};
  const CGFloat values[] = {rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
  RefPtr<const __CFNumber> numbers[4];
  const void* numberValues[4];
  for (int i = 0; i < 4; ++i) {
    numbers[i] = adopt(CFNumberCreate(nullptr, kCFNumberCGFloatType, &values[i]));
    if (!numbers[i]) return nullptr;
    numberValues[i] = numbers[i].get();
  }
  return CFDictionaryCreate(nullptr, reinterpret_cast<const void**>(const_cast<CFStringRef*>(keys)),
                            numberValues, 4, &kCFTypeDictionaryKeyCallBacks,
                            &kCFTypeDictionaryValueCallBacks);
}

bool CGRectMakeWithDictionaryRepresentation(CFDictionaryRef dict, CGRect* rect) {
  if (!dict || !rect || CFGetTypeID(dict) != CFDictionaryGetTypeID()) return false;
  CGRect read{};
  if (!readNumber(dict, kXKey, read.origin.x) || !readNumber(dict, kYKey, read.origin.y) ||
      !readNumber(dict, kWidthKey, read.size.width) || !readNumber(dict, kHeightKey, read.size.height)) {
    return false;
  }
  *rect = read;
  return true;
}
