#pragma once
// The Text Encoding Converter objects that file names need: legacy text (a script's
// encoding) to UTF-16 or UTF-8 and back, and UTF-16 to and from UTF-8.
#include <string>

#include <Carbon/Files.h>
#include <Carbon/TextEncodingConverter.h>

class LUnicodeTextConverter {
 public:
  LUnicodeTextConverter(TextEncoding hint);
  LUnicodeTextConverter(ScriptCode script, RegionCode region);
  ~LUnicodeTextConverter();
  LUnicodeTextConverter(const LUnicodeTextConverter&) = delete;
  LUnicodeTextConverter& operator=(const LUnicodeTextConverter&) = delete;

  void InitUnicodeTextConverter(TextEncoding hint);
  void InitUnicodeTextConverter(ScriptCode script, RegionCode region);

  OSStatus CreateTextToUnicodeConverters(TextEncoding legacy);
  OSStatus CreateTextToUnicodeConverters(ScriptCode script, RegionCode region);
  OSStatus CreateUnicodeToUnicodeConverters();

  OSStatus UnicodeToUTF8(const HFSUniStr255& name, std::string& out);
  // The name's units take what fits in 255 units; the caller checks the length it needs.
  OSStatus TextToUnicode(ConstStr255Param text, HFSUniStr255& name);
  OSStatus TextToUnicode(const std::string& text, HFSUniStr255& name);
  OSStatus TextToUTF8(const std::string& in, std::string& out);

 private:
  void DisposeAll();
  // The four legacy text converters alone: a failed start-up leaves none of them half made.
  void DisposeTextInfos();

  UnicodeToTextInfo mUTF8ToTextInfo = nullptr;
  UnicodeToTextInfo mUnicodeToTextInfo = nullptr;
  TextToUnicodeInfo mTextToUTF8Info = nullptr;
  TextToUnicodeInfo mTextToUnicodeInfo = nullptr;
  TECObjectRef mUTF8ToUnicode = nullptr;
  TECObjectRef mUnicodeToUTF8 = nullptr;
};
