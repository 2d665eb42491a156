#include "CFTypeIDCache.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBag.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFSet.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

namespace CFTypeIDCache {

CFTypeID String() {
  static const CFTypeID typeID = CFStringGetTypeID();
  return typeID;
}
CFTypeID Number() {
  static const CFTypeID typeID = CFNumberGetTypeID();
  return typeID;
}
CFTypeID Boolean() {
  static const CFTypeID typeID = CFBooleanGetTypeID();
  return typeID;
}
CFTypeID Array() {
  static const CFTypeID typeID = CFArrayGetTypeID();
  return typeID;
}
CFTypeID Dictionary() {
  static const CFTypeID typeID = CFDictionaryGetTypeID();
  return typeID;
}
CFTypeID Data() {
  static const CFTypeID typeID = CFDataGetTypeID();
  return typeID;
}
CFTypeID Set() {
  static const CFTypeID typeID = CFSetGetTypeID();
  return typeID;
}
CFTypeID Bag() {
  static const CFTypeID typeID = CFBagGetTypeID();
  return typeID;
}
CFTypeID Bundle() {
  static const CFTypeID typeID = CFBundleGetTypeID();
  return typeID;
}
CFTypeID URL() {
  static const CFTypeID typeID = CFURLGetTypeID();
  return typeID;
}

// Filled before main, so that readers on any thread only ever read them.
[[maybe_unused]] static const bool sFilled = (String(), Number(), Boolean(), Array(), Dictionary(), Data(), Set(),
                                              Bag(), Bundle(), URL(), true);

}  // namespace CFTypeIDCache
