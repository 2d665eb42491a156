#include "TCFString.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

#include "CoreMachDebug.h"

// The encodings a conversion falls back on, in order, when the asked one is not possible;
// only the first one available is tried.
static const CFStringEncoding kFallbackEncodings[] = {
    kCFStringEncodingUTF8,     kCFStringEncodingUTF8,          kCFStringEncodingMacRoman,
    kCFStringEncodingWindowsLatin1, kCFStringEncodingISOLatin1, kCFStringEncodingASCII,
    kCFStringEncodingNextStepLatin, kCFStringEncodingNonLossyASCII,
};

// Wide characters are UTF-32 here: characters beyond the 16-bit plane become surrogate pairs.
static std::u16string utf16FromWide(const wchar_t* wide) {
  std::u16string units;
  for (; *wide; ++wide) {
    const char32_t character = static_cast<char32_t>(*wide);
    if (character >= 0x10000 && character <= 0x10FFFF) {
      const char32_t offset = character - 0x10000;
      units += static_cast<char16_t>(0xD800 + (offset >> 10));
      units += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
    } else {
      units += static_cast<char16_t>(character);
    }
  }
  return units;
}

TCFString::TCFString(CFStringRef string, CFTypeRef_Ownership ownership) { construct(string, ownership); }
TCFString::TCFString(const char* in_cstring) { SetValue(in_cstring); }
TCFString::TCFString(const std::string& text) { SetValue(text); }
TCFString::TCFString(const wchar_t* in_wide_cstring) { SetValue(in_wide_cstring); }
TCFString::TCFString(const std::wstring& text) { SetValue(text.c_str()); }
TCFString::TCFString(const HFSUniStr255& name) { SetValue(name); }

TCFString& TCFString::operator=(const char* in_cstring) {
  SetValue(in_cstring);
  return *this;
}

TCFString& TCFString::operator=(const wchar_t* in_wide_cstring) {
  SetValue(in_wide_cstring);
  return *this;
}

TCFString& TCFString::operator=(const HFSUniStr255& name) {
  SetValue(name);
  return *this;
}

bool TCFString::holdMade(CFStringRef made) {
  if (!made) return false;
  return construct(made, kCFTypeRef_Owned);
}

bool TCFString::SetValue(const char* in_cstring, CFStringEncoding inFromThisEncoding) {
  if (!VERIFY(in_cstring!=NULL)) return false;
  CFStringRef made = CFStringCreateWithCString(nullptr, in_cstring, inFromThisEncoding);
  if (!made) {
    ZidaZoraDurodAri("TCFString::SetValue in_cstring:%s inFromThisEncoding:%d\n", in_cstring, int(inFromThisEncoding));
    return false;
  }
  return holdMade(made);
}

bool TCFString::SetValue(const std::string& text, CFStringEncoding inFromThisEncoding) {
  return SetValue(text.c_str(), inFromThisEncoding);
}

bool TCFString::SetValue(const unsigned char* in_pstring, CFStringEncoding inFromThisEncoding) {
  if (!VERIFY(in_pstring!=NULL)) return false;
  return holdMade(CFStringCreateWithPascalString(nullptr, in_pstring, inFromThisEncoding));
}

bool TCFString::SetValue(const wchar_t* in_wide_cstring) {
  if (!VERIFY(in_wide_cstring!=NULL)) return false;
  const std::u16string units = utf16FromWide(in_wide_cstring);
  return holdMade(CFStringCreateWithCharacters(nullptr, reinterpret_cast<const UniChar*>(units.data()),
                                               CFIndex(units.size())));
}

bool TCFString::SetValue(const UniChar* in_cstring) {
  if (!VERIFY(in_cstring!=NULL)) return false;
  CFIndex count = 0;
  while (in_cstring[count]) ++count;
  if (!holdMade(CFStringCreateWithCharacters(nullptr, in_cstring, count))) return false;
  const CFIndex string_length = CFStringGetLength(mValueRef);
  const auto strlen = [count] { return count; };
  VERIFY(string_length == strlen());
  return true;
}

bool TCFString::SetValue(const HFSUniStr255& name) {
  const CFIndex length = std::min<CFIndex>(name.length, CFIndex(std::size(name.unicode)));
  return holdMade(CFStringCreateWithCharacters(nullptr, name.unicode, length));
}

CFIndex TCFString::strlen() const {
  if (!VERIFY(IsValid())) return 0;
  return CFStringGetLength(mValueRef);
}

bool TCFString::GetValue(HFSUniStr255& name) const {
  name.length = 0;
  if (!VERIFY(IsValid())) return false;
  const CFIndex count = std::min<CFIndex>(CFStringGetLength(mValueRef), CFIndex(std::size(name.unicode)));
  CFStringGetCharacters(mValueRef, CFRangeMake(0, count), name.unicode);
  name.length = UInt16(count);
  return count != 0;
}

bool TCFString::GetValue(T_cstring<unsigned short>& out_cstring) const {
  if (!VERIFY(IsTypeValid())) return false;
  const CFIndex length = CFStringGetLength(mValueRef);
  if (!out_cstring.set_length(size_t(length) + 1)) return false;
  const CFIndex uszValue_sizebytes = length * 2 + 2;
  bool fOk;
  if (!VERIFY(fOk = ::CFStringGetCString(mValueRef,(char*)out_cstring.m_cstring,uszValue_sizebytes,kCFStringEncodingUnicode))) {
    out_cstring.free_cstring();
  }
  return fOk;
}

bool TCFString::GetValue(UniChar** out_units, CFIndex* out_count) const {
  if (!out_units || !out_count) return false;
  *out_units = nullptr;
  *out_count = 0;
  if (!VERIFY(IsTypeValid())) return false;
  const CFIndex length = CFStringGetLength(mValueRef);
  UniChar* uszValue = static_cast<UniChar*>(malloc(size_t(length + 1) * sizeof(UniChar)));
  if (!VERIFY(uszValue)) return false;
  if (!CFStringGetCString(mValueRef, reinterpret_cast<char*>(uszValue), (length + 1) * 2, kCFStringEncodingUnicode)) {
    free(uszValue);
    return false;
  }
  *out_units = uszValue;
  *out_count = length;
  return true;
}

bool TCFString::GetValue(std::wstring& text) const {
  text.clear();
  T_cstring<unsigned short> units;
  if (!GetValue(units)) return false;
  // Surrogate pairs become the one character they stand for.
  for (const unsigned short* unit = units.m_cstring; *unit; ++unit) {
    const char32_t high = *unit;
    if (high >= 0xD800 && high < 0xDC00 && unit[1] >= 0xDC00 && unit[1] < 0xE000) {
      text += static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (unit[1] - 0xDC00));
      ++unit;
    } else {
      text += static_cast<wchar_t>(high);
    }
  }
  return true;
}

bool TCFString::GetValue(std::string& text, CFStringEncoding encoding) const {
  if (GetConstCharStarValue(text, encoding)) return true;
  text.clear();
  return false;
}

// Converts the string into a new buffer in that encoding; null when it cannot.
static std::unique_ptr<char[]> convert(CFStringRef string, CFStringEncoding encoding) {
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), encoding) + 1;
  if (size <= 0) return nullptr;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[size_t(size)]);
  if (!buffer || !CFStringGetCString(string, buffer.get(), size, encoding)) return nullptr;
  return buffer;
}

bool TCFString::GetConstCharStarValue(std::string& text, CFStringEncoding encoding) const {
  if (!IsValid() || CFStringGetLength(mValueRef) == 0) return false;
  std::unique_ptr<char[]> converted;
  if (encoding != kCFStringEncodingInvalidId && CFStringIsEncodingAvailable(encoding)) {
    converted = convert(mValueRef, encoding);
  }
  if (!converted) {
    for (CFStringEncoding fallback : kFallbackEncodings) {
      if (!CFStringIsEncodingAvailable(fallback)) continue;
      converted = convert(mValueRef, fallback);
      VERIFY(converted);
      break;
    }
  }
  if (!converted) return false;
  text = converted.get();
  return true;
}

CFComparisonResult TCFString::strcmp(CFStringRef rhs_StringRef) const {
  if (!VERIFY(IsValid())) return kCFCompareLessThan;
  if (!VERIFY(rhs_StringRef!=NULL)) return kCFCompareLessThan;
  return CFStringCompare(mValueRef, rhs_StringRef, 0);
}

CFComparisonResult TCFString::strcmp(const char* in_rhs_utf8_cstring) const {
  if (!VERIFY(in_rhs_utf8_cstring!=NULL)) return kCFCompareLessThan;
  TCFString rhs(in_rhs_utf8_cstring);
  return strcmp(rhs.Get());
}

bool TCFString::ToUnicode(const unsigned char* in_pstring, HFSUniStr255& name, CFStringEncoding encoding) {
  if (!VERIFY(in_pstring!=NULL)) return false;
  TCFString string;
  return string.SetValue(in_pstring, encoding) && string.GetValue(name);
}

bool TCFString::ToUnicode(const char* in_utf8_cstring, HFSUniStr255& name, CFStringEncoding encoding) {
  if (!VERIFY(in_utf8_cstring!=NULL)) return false;
  TCFString string;
  return string.SetValue(in_utf8_cstring, encoding) && string.GetValue(name);
}

bool TCFString::ToUnicode(const char* in_utf8_cstring, std::wstring& text, CFStringEncoding encoding) {
  if (!VERIFY(in_utf8_cstring!=NULL)) return false;
  TCFString string;
  return string.SetValue(in_utf8_cstring, encoding) && string.GetValue(text);
}

bool TCFString::FromUnicode(const HFSUniStr255& name, std::string& text, CFStringEncoding encoding) {
  TCFString string(name);
  return string.GetValue(text, encoding);
}

bool TCFString::FromUnicode(const wchar_t* in_wide_cstring, std::string& text, CFStringEncoding encoding) {
  if (!VERIFY(in_wide_cstring!=NULL)) return false;
  TCFString string(in_wide_cstring);
  return string.GetValue(text, encoding);
}
