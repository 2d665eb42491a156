#pragma once
// Client ids made from text: a CRC-32 with the polynomial 0x04C11DB7, bits taken most
// significant first, the register starting at 0 and no final inversion.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <cstdint>

class IOSurfaceConnectionClientID : public NSObject {
  OBJC_CLASS_DECL(IOSurfaceConnectionClientID, NSObject)

 public:
  // 0 for null, for the empty string and for a string without a UTF-8 form.
  static uint32_t uniqueIdentifierWithString(NSString* string);

 protected:
  IOSurfaceConnectionClientID() = default;
};
