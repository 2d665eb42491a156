#pragma once
// The platform's basic scalar types and status codes.
#include <cstdint>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;
typedef UInt16 UniChar;
typedef unsigned long UniCharCount;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;
typedef SInt16 ScriptCode;
typedef SInt16 RegionCode;
typedef UInt32 ByteCount;
typedef void* Ptr;
typedef Ptr* Handle;

enum { noErr = 0 };

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// A four-character code from its text, most significant byte first ('yuv2').
constexpr FourCharCode FOUR_CHAR_CODE(const char (&text)[5]) {
  return (FourCharCode(UInt8(text[0])) << 24) | (FourCharCode(UInt8(text[1])) << 16) |
         (FourCharCode(UInt8(text[2])) << 8) | FourCharCode(UInt8(text[3]));
}
