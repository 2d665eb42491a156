#include "LUnicodeTextConverter.h"

#include <cstring>

#include "CoreMachDebug.h"

namespace {

UnicodeMapping mappingOf(TextEncoding legacy, TextEncodingFormat format) {
  return UnicodeMapping{CreateTextEncoding(kTextEncodingUnicodeV2_0, kUnicodeCanonicalDecompVariant, format),
                        GetTextEncodingBase(legacy), kUnicodeUseHFSPlusMapping};
}

}  // namespace

LUnicodeTextConverter::LUnicodeTextConverter(TextEncoding hint) { InitUnicodeTextConverter(hint); }

LUnicodeTextConverter::LUnicodeTextConverter(ScriptCode script, RegionCode region) {
  InitUnicodeTextConverter(script, region);
}

LUnicodeTextConverter::~LUnicodeTextConverter() { DisposeAll(); }

void LUnicodeTextConverter::DisposeAll() {
  if (mUTF8ToUnicode) TECDisposeConverter(mUTF8ToUnicode);
  if (mUnicodeToUTF8) TECDisposeConverter(mUnicodeToUTF8);
  mUTF8ToUnicode = mUnicodeToUTF8 = nullptr;
  DisposeTextInfos();
}

void LUnicodeTextConverter::DisposeTextInfos() {
  if (mUTF8ToTextInfo) DisposeUnicodeToTextInfo(&mUTF8ToTextInfo);
  if (mUnicodeToTextInfo) DisposeUnicodeToTextInfo(&mUnicodeToTextInfo);
  if (mTextToUTF8Info) DisposeTextToUnicodeInfo(&mTextToUTF8Info);
  if (mTextToUnicodeInfo) DisposeTextToUnicodeInfo(&mTextToUnicodeInfo);
  mUTF8ToTextInfo = mUnicodeToTextInfo = nullptr;
  mTextToUTF8Info = mTextToUnicodeInfo = nullptr;
}

void LUnicodeTextConverter::InitUnicodeTextConverter(TextEncoding hint) {
  DisposeAll();
  CreateTextToUnicodeConverters(hint);
  CreateUnicodeToUnicodeConverters();
}

void LUnicodeTextConverter::InitUnicodeTextConverter(ScriptCode script, RegionCode region) {
  DisposeAll();
  CreateTextToUnicodeConverters(script, region);
  CreateUnicodeToUnicodeConverters();
}

OSStatus LUnicodeTextConverter::CreateTextToUnicodeConverters(TextEncoding legacy) {
  UnicodeMapping utf8 = mappingOf(legacy, kUnicodeUTF8Format);
  UnicodeMapping utf16 = mappingOf(legacy, kUnicode16BitFormat);
  OSStatus status = CreateTextToUnicodeInfo(&utf8, &mTextToUTF8Info);
  if (status == noErr) status = CreateUnicodeToTextInfo(&utf8, &mUTF8ToTextInfo);
  if (status == noErr) status = CreateTextToUnicodeInfo(&utf16, &mTextToUnicodeInfo);
  if (status == noErr) status = CreateUnicodeToTextInfo(&utf16, &mUnicodeToTextInfo);
  if (!VERIFY(status == noErr)) DisposeTextInfos();
  return status;
}

OSStatus LUnicodeTextConverter::CreateTextToUnicodeConverters(ScriptCode script, RegionCode region) {
  TextEncoding legacy = 0;
  OSStatus status = UpgradeScriptInfoToTextEncoding(script, kTextLanguageDontCare, region, nullptr, &legacy);
  // The check's text is part of the report: keep it exactly as written.
  // clang-format off
  bool regionKnown = VERIFY(status!=paramErr);
  // clang-format on
  if (!regionKnown) {
    status = UpgradeScriptInfoToTextEncoding(script, kTextLanguageDontCare, kTextRegionDontCare, nullptr, &legacy);
  }
  if (status != noErr) legacy = 0;
  return CreateTextToUnicodeConverters(legacy);
}

OSStatus LUnicodeTextConverter::CreateUnicodeToUnicodeConverters() {
  TextEncoding utf8 = CreateTextEncoding(kTextEncodingUnicodeDefault, kTextEncodingDefaultVariant, kUnicodeUTF8Format);
  TextEncoding utf16 =
      CreateTextEncoding(kTextEncodingUnicodeDefault, kTextEncodingDefaultVariant, kUnicode16BitFormat);
  OSStatus status = TECCreateConverter(&mUTF8ToUnicode, utf8, utf16);
  VERIFY_OSERR(status);
  OSStatus back = TECCreateConverter(&mUnicodeToUTF8, utf16, utf8);
  VERIFY_OSERR(back);
  return status != noErr ? status : back;
}

OSStatus LUnicodeTextConverter::UnicodeToUTF8(const HFSUniStr255& name, std::string& out) {
  UInt16 length = name.length > 255 ? 255 : name.length;
  out.assign(size_t(length) * 5, '\0');
  ByteCount read = 0;
  ByteCount written = 0;
  OSStatus status = TECConvertText(mUnicodeToUTF8, reinterpret_cast<ConstTextPtr>(name.unicode),
                                   ByteCount(length) * sizeof(UniChar), &read, reinterpret_cast<TextPtr>(out.data()),
                                   ByteCount(out.size()), &written);
  VERIFY_OSERR(status);
  out.resize(status == noErr ? size_t(written) : 0);
  return status;
}

OSStatus LUnicodeTextConverter::TextToUnicode(ConstStr255Param text, HFSUniStr255& name) {
  if (!text) return paramErr;
  return TextToUnicode(std::string(reinterpret_cast<const char*>(text) + 1, text[0]), name);
}

OSStatus LUnicodeTextConverter::TextToUnicode(const std::string& text, HFSUniStr255& name) {
  std::memset(&name, 0, sizeof name);
  ByteCount read = 0;
  ByteCount written = 0;
  OSStatus status = ConvertFromTextToUnicode(mTextToUnicodeInfo, ByteCount(text.size()), text.data(),
                                             kUnicodeLooseMappingsMask, 0, nullptr, nullptr, nullptr,
                                             sizeof name.unicode, &read, &written, name.unicode);
  VERIFY_OSERR(status);
  name.length = UInt16(written / sizeof(UniChar));
  return status;
}

OSStatus LUnicodeTextConverter::TextToUTF8(const std::string& in, std::string& out) {
  out.assign(in.size() * 5, '\0');
  ByteCount read = 0;
  ByteCount written = 0;
  OSStatus status;
  for (;;) {
    status = ConvertFromTextToUnicode(mTextToUTF8Info, ByteCount(in.size()), in.data(), kUnicodeLooseMappingsMask, 0,
                                      nullptr, nullptr, nullptr, ByteCount(out.size()), &read, &written,
                                      reinterpret_cast<UniChar*>(out.data()));
    if (status != kTECOutputBufferFullStatus) break;
    out.resize(out.size() + in.size());
  }
  VERIFY_OSERR(status);
  out.resize(status == noErr ? size_t(written) : 0);
  return status;
}
