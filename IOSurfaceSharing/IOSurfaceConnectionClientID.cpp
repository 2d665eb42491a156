#include "IOSurfaceConnectionClientID.h"

#include <cstring>

#include "CRC32MSBFirst.h"

OBJC_CLASS_DEFINE(IOSurfaceConnectionClientID)

uint32_t IOSurfaceConnectionClientID::uniqueIdentifierWithString(NSString* string) {
  const char* text = string ? string->UTF8String() : nullptr;
  return text ? CRC32MSBFirst(text, strlen(text), 0) : 0;
}
