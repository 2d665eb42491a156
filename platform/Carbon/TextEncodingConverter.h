#pragma once
// The Text Encoding Converter: conversions between legacy Mac encodings and Unicode forms.
//
// Unicode is converted as given: a decomposition variant is accepted but names are not
// decomposed, so that they keep matching the names that other programs on this system make.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/MacTypes.h>

#include <Carbon/CarbonErrors.h>
#include <Carbon/Script.h>

typedef UInt32 TextEncoding;
typedef UInt32 TextEncodingBase;
typedef UInt32 TextEncodingVariant;
typedef UInt32 TextEncodingFormat;
typedef UInt32 OptionBits;
typedef unsigned long ItemCount;
typedef UInt32 ByteOffset;
typedef const void* ConstLogicalAddress;
typedef UInt8* TextPtr;
typedef const UInt8* ConstTextPtr;

enum : TextEncodingBase {
  kTextEncodingMacRoman = 0,
  kTextEncodingMacJapanese = 1,
  kTextEncodingMacChineseTrad = 2,
  kTextEncodingMacKorean = 3,
  kTextEncodingMacCyrillic = 7,
  kTextEncodingMacChineseSimp = 25,
  kTextEncodingMacCentralEurRoman = 29,
  kTextEncodingMacUnicode = 0x7E,
  kTextEncodingUnicodeDefault = 0x100,
  kTextEncodingUnicodeV2_0 = 0x103,
  kTextEncodingISOLatin1 = 0x201,
  kTextEncodingWindowsLatin1 = 0x500,
  kTextEncodingUS_ASCII = 0x600,
};

enum : TextEncodingVariant { kTextEncodingDefaultVariant = 0, kUnicodeCanonicalDecompVariant = 2 };
enum : TextEncodingFormat {
  kTextEncodingDefaultFormat = 0,
  kUnicode16BitFormat = 0,
  kUnicodeUTF8Format = 2,
  kUnicode32BitFormat = 3,
};

// Mapping versions and conversion options.
enum : TextEncoding { kUnicodeUseLatestMapping = 0xFFFFFFFF, kUnicodeUseHFSPlusMapping = 4 };
enum : OptionBits { kUnicodeUseFallbacksMask = 0x0001, kUnicodeLooseMappingsMask = 0x0020 };
enum : LangCode { kTextLanguageDontCare = -128 };
enum : RegionCode { kTextRegionDontCare = -128 };
enum : ScriptCode { kTextScriptDontCare = -128 };

struct UnicodeMapping {
  TextEncoding unicodeEncoding;
  TextEncoding otherEncoding;
  TextEncoding mappingVersion;
};
typedef const UnicodeMapping* ConstUnicodeMappingPtr;

typedef struct OpaqueTextToUnicodeInfo* TextToUnicodeInfo;
typedef struct OpaqueUnicodeToTextInfo* UnicodeToTextInfo;
typedef struct OpaqueTECObjectRef* TECObjectRef;

CF_EXPORT TextEncoding CreateTextEncoding(TextEncodingBase base, TextEncodingVariant variant,
                                          TextEncodingFormat format);
CF_EXPORT TextEncodingBase GetTextEncodingBase(TextEncoding encoding);
CF_EXPORT TextEncodingVariant GetTextEncodingVariant(TextEncoding encoding);
CF_EXPORT TextEncodingFormat GetTextEncodingFormat(TextEncoding encoding);

// The legacy encoding of a script (and region); paramErr for a script or region this system
// does not know.
CF_EXPORT OSStatus UpgradeScriptInfoToTextEncoding(ScriptCode script, LangCode language, RegionCode region,
                                                   ConstStr255Param fontName, TextEncoding* encoding);

CF_EXPORT OSStatus CreateTextToUnicodeInfo(ConstUnicodeMappingPtr mapping, TextToUnicodeInfo* info);
CF_EXPORT OSStatus CreateUnicodeToTextInfo(ConstUnicodeMappingPtr mapping, UnicodeToTextInfo* info);
CF_EXPORT OSStatus DisposeTextToUnicodeInfo(TextToUnicodeInfo* info);
CF_EXPORT OSStatus DisposeUnicodeToTextInfo(UnicodeToTextInfo* info);

// Converts legacy text to the info's Unicode form. Offsets are not supported (offsetCount
// must be 0). Answers kTECOutputBufferFullStatus when the output filled up before the input
// was used, with what fitted converted.
CF_EXPORT OSStatus ConvertFromTextToUnicode(TextToUnicodeInfo info, ByteCount sourceLength,
                                            ConstLogicalAddress source, OptionBits controlFlags, ItemCount offsetCount,
                                            const ByteOffset* offsetArray, ItemCount* offsetOutCount,
                                            ByteOffset* offsetOutArray, ByteCount outputBufferLength,
                                            ByteCount* sourceRead, ByteCount* unicodeLength, UniChar* unicodeString);

CF_EXPORT OSStatus TECCreateConverter(TECObjectRef* converter, TextEncoding inputEncoding,
                                      TextEncoding outputEncoding);
CF_EXPORT OSStatus TECDisposeConverter(TECObjectRef converter);
CF_EXPORT OSStatus TECConvertText(TECObjectRef converter, ConstTextPtr inputBuffer, ByteCount inputBufferLength,
                                  ByteCount* actualInputLength, TextPtr outputBuffer, ByteCount outputBufferLength,
                                  ByteCount* actualOutputLength);
