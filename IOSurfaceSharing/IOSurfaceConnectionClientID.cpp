#include "IOSurfaceConnectionClientID.h"

OBJC_CLASS_DEFINE(IOSurfaceConnectionClientID)

uint32_t IOSurfaceConnectionClientID::uniqueIdentifierWithString(NSString* string) {
  const char* text = string ? string->UTF8String() : nullptr;
  if (!text) return 0;
  uint32_t crc = 0;
  for (const char* at = text; *at; ++at) {
    const auto byte = static_cast<uint8_t>(*at);
    for (int bit = 7; bit >= 0; --bit) {
      const bool feedback = ((crc >> 31) ^ (byte >> bit)) & 1;
      crc <<= 1;
      if (feedback) crc ^= 0x04C11DB7;
    }
  }
  return crc;
}
