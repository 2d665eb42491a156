// The Text Encoding Converter over the C library's iconv (IconvConverter).
#include <Carbon/TextEncodingConverter.h>

#include <cerrno>
#include <memory>

#include "backend/IconvConverter.h"

using CarbonText::IconvConverter;

struct OpaqueTECObjectRef {
  IconvConverter converter;
  OpaqueTECObjectRef(const char* to, const char* from) : converter(to, from) {}
};
struct OpaqueTextToUnicodeInfo : OpaqueTECObjectRef {
  using OpaqueTECObjectRef::OpaqueTECObjectRef;
};
struct OpaqueUnicodeToTextInfo : OpaqueTECObjectRef {
  using OpaqueTECObjectRef::OpaqueTECObjectRef;
};

namespace {

// The iconv name of an encoding; null for one this system cannot convert.
const char* iconvNameOf(TextEncoding encoding) {
  TextEncodingBase base = GetTextEncodingBase(encoding);
  if (base == kTextEncodingUnicodeDefault || (base >= 0x101 && base <= 0x106) || base == kTextEncodingMacUnicode) {
    switch (GetTextEncodingFormat(encoding)) {
      case kUnicode16BitFormat: return CarbonText::nativeUTF16Name();
      case kUnicodeUTF8Format: return "UTF-8";
      case kUnicode32BitFormat: return CarbonText::nativeUTF32Name();
      default: return nullptr;
    }
  }
  switch (base) {
    case kTextEncodingMacRoman: return "MACINTOSH";
    case kTextEncodingMacJapanese: return "SHIFT_JIS";
    case kTextEncodingMacChineseTrad: return "BIG5";
    case kTextEncodingMacKorean: return "EUC-KR";
    case kTextEncodingMacCyrillic: return "MAC-CYRILLIC";
    case kTextEncodingMacChineseSimp: return "GB2312";
    case kTextEncodingMacCentralEurRoman: return "MAC-CENTRALEUROPE";
    case kTextEncodingISOLatin1: return "ISO-8859-1";
    case kTextEncodingWindowsLatin1: return "CP1252";
    case kTextEncodingUS_ASCII: return "ASCII";
    default: return nullptr;
  }
}

template <typename Object>
OSStatus createConverter(const char* to, const char* from, Object** made) {
  if (!made) return paramErr;
  *made = nullptr;
  if (!to || !from) return kTextUnsupportedEncodingErr;
  auto object = std::make_unique<Object>(to, from);
  if (!object->converter.isOpen()) return kTECNoConversionPathErr;
  *made = object.release();
  return noErr;
}

OSStatus convert(IconvConverter& converter, const void* input, ByteCount inputLength, void* output,
                 ByteCount outputLength, ByteCount* read, ByteCount* written) {
  size_t used = 0;
  size_t made = 0;
  int error = converter.convert(input, inputLength, output, outputLength, used, made);
  if (read) *read = ByteCount(used);
  if (written) *written = ByteCount(made);
  switch (error) {
    case 0: return noErr;
    case E2BIG: return kTECOutputBufferFullStatus;
    default: return kTextMalformedInputErr;
  }
}

}  // namespace

TextEncoding CreateTextEncoding(TextEncodingBase base, TextEncodingVariant variant, TextEncodingFormat format) {
  return (base & 0xFFFF) | ((variant & 0x3FF) << 16) | ((format & 0x3F) << 26);
}

TextEncodingBase GetTextEncodingBase(TextEncoding encoding) { return encoding & 0xFFFF; }
TextEncodingVariant GetTextEncodingVariant(TextEncoding encoding) { return (encoding >> 16) & 0x3FF; }
TextEncodingFormat GetTextEncodingFormat(TextEncoding encoding) { return (encoding >> 26) & 0x3F; }

long GetScriptManagerVariable(short selector) { return selector == smRegionCode ? verUS : 0; }

OSStatus UpgradeScriptInfoToTextEncoding(ScriptCode script, LangCode, RegionCode region, ConstStr255Param,
                                         TextEncoding* encoding) {
  if (!encoding) return paramErr;
  if (script == kTextScriptDontCare) script = smRoman;
  // Mac script codes are the bases of their legacy encodings.
  if (script < 0 || script > 32) return paramErr;
  if (region != kTextRegionDontCare && (region < 0 || region > 120)) return paramErr;
  if (!iconvNameOf(TextEncoding(script))) return kTextUnsupportedEncodingErr;
  *encoding = TextEncoding(script);
  return noErr;
}

OSStatus CreateTextToUnicodeInfo(ConstUnicodeMappingPtr mapping, TextToUnicodeInfo* info) {
  if (!mapping) return paramErr;
  return createConverter(iconvNameOf(mapping->unicodeEncoding), iconvNameOf(mapping->otherEncoding), info);
}

OSStatus CreateUnicodeToTextInfo(ConstUnicodeMappingPtr mapping, UnicodeToTextInfo* info) {
  if (!mapping) return paramErr;
  return createConverter(iconvNameOf(mapping->otherEncoding), iconvNameOf(mapping->unicodeEncoding), info);
}

OSStatus DisposeTextToUnicodeInfo(TextToUnicodeInfo* info) {
  if (!info || !*info) return paramErr;
  delete *info;
  *info = nullptr;
  return noErr;
}

OSStatus DisposeUnicodeToTextInfo(UnicodeToTextInfo* info) {
  if (!info || !*info) return paramErr;
  delete *info;
  *info = nullptr;
  return noErr;
}

OSStatus ConvertFromTextToUnicode(TextToUnicodeInfo info, ByteCount sourceLength, ConstLogicalAddress source,
                                  OptionBits, ItemCount offsetCount, const ByteOffset*, ItemCount* offsetOutCount,
                                  ByteOffset*, ByteCount outputBufferLength, ByteCount* sourceRead,
                                  ByteCount* unicodeLength, UniChar* unicodeString) {
  if (offsetOutCount) *offsetOutCount = 0;
  if (!info || (!source && sourceLength) || (!unicodeString && outputBufferLength) || offsetCount) return paramErr;
  return convert(info->converter, source, sourceLength, unicodeString, outputBufferLength, sourceRead, unicodeLength);
}

OSStatus TECCreateConverter(TECObjectRef* converter, TextEncoding inputEncoding, TextEncoding outputEncoding) {
  return createConverter(iconvNameOf(outputEncoding), iconvNameOf(inputEncoding), converter);
}

OSStatus TECDisposeConverter(TECObjectRef converter) {
  if (!converter) return paramErr;
  delete converter;
  return noErr;
}

OSStatus TECConvertText(TECObjectRef converter, ConstTextPtr inputBuffer, ByteCount inputBufferLength,
                        ByteCount* actualInputLength, TextPtr outputBuffer, ByteCount outputBufferLength,
                        ByteCount* actualOutputLength) {
  if (!converter || (!inputBuffer && inputBufferLength) || (!outputBuffer && outputBufferLength)) return paramErr;
  return convert(converter->converter, inputBuffer, inputBufferLength, outputBuffer, outputBufferLength,
                 actualInputLength, actualOutputLength);
}
