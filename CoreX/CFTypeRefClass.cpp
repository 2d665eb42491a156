#include "CFTypeRefClass.h"

#include <CoreFoundation/CFString.h>

#include "CFTypeIDCache.h"

CFTypeRefClass::TypeException::~TypeException() = default;

void CFTypeRefClass::ThrowIfNotTypeMatch(CFTypeRef object, CFTypeID typeID) {
  if (!object || CFGetTypeID(object) != typeID) throw TypeException();
}

template <>
CFTypeID CFTypeIDOf<CFStringRef>() {
  return CFTypeIDCache::String();
}
