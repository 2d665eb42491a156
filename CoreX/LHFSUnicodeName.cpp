#include "LHFSUnicodeName.h"

#include <cstring>
#include <vector>

#include <CoreFoundation/CFString.h>

#include "CoreMachDebug.h"
#include "LUnicodeTextConverter.h"

const LHFSUnicodeName LHFSUnicodeName::sDataForkName(LHFSUnicodeName::kDataForkName);
const LHFSUnicodeName LHFSUnicodeName::sResourceForkName(LHFSUnicodeName::kResourceForkName);

namespace {

// The UTF-16 units of a CF string, refused when there are more than `capacity`.
bool unitsOfString(CFStringRef string, HFSUniStr255& name, CFIndex capacity) {
  std::memset(&name, 0, sizeof name);
  if (!string) return false;
  CFIndex count = CFStringGetLength(string);
  if (count > capacity) {
    CFRelease(string);
    return false;
  }
  CFStringGetCharacters(string, CFRangeMake(0, count), name.unicode);
  name.length = UInt16(count);
  CFRelease(string);
  return true;
}

}  // namespace

LHFSUnicodeName::LHFSUnicodeName() { Empty(); }

LHFSUnicodeName::LHFSUnicodeName(Special special) {
  VERIFY(Construct(special));
  VERIFY(IsValid());
}

LHFSUnicodeName::LHFSUnicodeName(const char* utf8) {
  VERIFY(Construct(utf8));
  VERIFY(IsValid());
}

LHFSUnicodeName::LHFSUnicodeName(const std::string& utf8) {
  VERIFY(Construct(utf8));
  VERIFY(IsValid());
}

LHFSUnicodeName::LHFSUnicodeName(ConstStr255Param macRoman) {
  VERIFY(Construct(macRoman));
  VERIFY(IsValid());
}

LHFSUnicodeName::LHFSUnicodeName(ConstStr255Param text, ScriptCode script) {
  VERIFY(Construct(text, script));
  VERIFY(IsValid());
}

LHFSUnicodeName::LHFSUnicodeName(const UniChar* utf16) {
  VERIFY(Construct(utf16));
  VERIFY(IsValid());
}

LHFSUnicodeName::LHFSUnicodeName(const char32_t* utf32) {
  VERIFY(Construct(utf32));
  VERIFY(IsValid());
}

LHFSUnicodeName::LHFSUnicodeName(const LHFSUnicodeName& other) : HFSUniStr255() {
  Empty();
  VERIFY(Construct(static_cast<const HFSUniStr255&>(other)));
}

LHFSUnicodeName& LHFSUnicodeName::operator=(const LHFSUnicodeName& other) {
  if (this != &other) VERIFY(Construct(static_cast<const HFSUniStr255&>(other)));
  return *this;
}

LHFSUnicodeName::~LHFSUnicodeName() { VERIFY(IsMarked()); }

void LHFSUnicodeName::Empty() {
  length = 0;
  std::memset(unicode, 0, sizeof unicode);
  mGuard1 = kGuard1;
  mGuard2 = kGuard2;
}

bool LHFSUnicodeName::Construct(Special special) {
  Empty();
  switch (special) {
    case kEmptyName: return true;
    case kDataForkName: {
      HFSUniStr255 units;
      return FSGetDataForkName(&units) == noErr && Construct(units);
    }
    case kResourceForkName: {
      HFSUniStr255 units;
      return FSGetResourceForkName(&units) == noErr && Construct(units);
    }
  }
  return false;
}

bool LHFSUnicodeName::Construct(const char* utf8) {
  Empty();
  if (!VERIFY(utf8 != nullptr)) return false;
  return Construct(std::string(utf8));
}

bool LHFSUnicodeName::Construct(const std::string& in_file_name) {
  Empty();
  // The conversion fills at most the 255 units of the structure; the guard words lie beyond.
  if (!VERIFY(ConvertFileName(in_file_name, *this))) {
    Empty();
    return false;
  }
  // A name of kMaxLength units or more leaves no room for the terminating 0.
  if (!VERIFY(length < kMaxLength)) {
    Empty();
    return false;
  }
  unicode[length] = 0;
  return true;
}

bool LHFSUnicodeName::Construct(ConstStr255Param macRoman) {
  Empty();
  if (!VERIFY(macRoman != nullptr)) return false;
  HFSUniStr255 units;
  CFStringRef string = CFStringCreateWithPascalString(kCFAllocatorDefault, macRoman, kCFStringEncodingMacRoman);
  if (!VERIFY(unitsOfString(string, units, 255))) return false;
  return Construct(units);
}

bool LHFSUnicodeName::Construct(ConstStr255Param text, ScriptCode script) {
  Empty();
  HFSUniStr255 units;
  if (!VERIFY(ConvertFileName(text, script, units))) return false;
  return Construct(units);
}

bool LHFSUnicodeName::Construct(const UniChar* utf16) {
  Empty();
  if (!VERIFY(utf16 != nullptr)) return false;
  size_t in_length = 0;
  while (in_length <= kMaxLength && utf16[in_length]) ++in_length;
  if (in_length == 0) return false;
  // clang-format off
  if (!VERIFY(in_length<=kMaxLength)) return false;
  // clang-format on
  std::memcpy(unicode, utf16, in_length * sizeof(UniChar));
  length = UInt16(in_length);
  return true;
}

// Characters outside the Basic Multilingual Plane take two UTF-16 units (a surrogate pair).
bool LHFSUnicodeName::Construct(const char32_t* utf32) {
  Empty();
  if (!VERIFY(utf32 != nullptr)) return false;
  if (!*utf32) return false;
  std::vector<UniChar> units;
  for (const char32_t* character = utf32; *character; ++character) {
    char32_t code = *character;
    if (!VERIFY(code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF))) return false;
    if (code >= 0x10000) {
      code -= 0x10000;
      units.push_back(UniChar(0xD800 + (code >> 10)));
      units.push_back(UniChar(0xDC00 + (code & 0x3FF)));
    } else {
      units.push_back(UniChar(code));
    }
    if (units.size() > kMaxLength) break;
  }
  size_t in_length = units.size();
  // clang-format off
  if (!VERIFY(in_length<=kMaxLength)) return false;
  // clang-format on
  std::memcpy(unicode, units.data(), in_length * sizeof(UniChar));
  length = UInt16(in_length);
  return true;
}

// Every other construction ends here: the length is checked before any unit is copied, so
// the terminating 0 and the guard words are never overwritten.
bool LHFSUnicodeName::Construct(const HFSUniStr255& units) {
  Empty();
  if (!VERIFY(units.length < kMaxLength)) return false;
  std::memcpy(unicode, units.unicode, units.length * sizeof(UniChar));
  length = units.length;
  return true;
}

bool LHFSUnicodeName::GetUnixPath(std::string& utf8) const {
  utf8.clear();
  if (length == 0) return true;
  if (!VERIFY(IsNullTerminated())) return false;
  CFStringRef string = CFStringCreateWithCharacters(kCFAllocatorDefault, unicode, length);
  if (!VERIFY(string != nullptr)) return false;
  CFIndex size = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8) + 1;
  std::vector<char> text(size_t(size), '\0');
  bool converted = CFStringGetCString(string, text.data(), size, kCFStringEncodingUTF8);
  CFRelease(string);
  if (!VERIFY(converted)) return false;
  utf8 = text.data();
  return true;
}

bool LHFSUnicodeName::GetUnixPath(std::u32string& utf32) const {
  utf32.clear();
  if (length == 0) return true;
  if (!VERIFY(IsNullTerminated())) return false;
  for (UInt16 i = 0; i < length; ++i) {
    char32_t unit = unicode[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && unicode[i + 1] >= 0xDC00 && unicode[i + 1] <= 0xDFFF) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (unicode[i + 1] - 0xDC00);
      ++i;
    } else if (!VERIFY(unit < 0xD800 || unit > 0xDFFF)) {
      utf32.clear();
      return false;
    }
    utf32.push_back(unit);
  }
  return true;
}

bool LHFSUnicodeName::ConvertFileName(const std::string& utf8, HFSUniStr255& name) {
  CFStringRef string = CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                               CFIndex(utf8.size()), kCFStringEncodingUTF8, false);
  return unitsOfString(string, name, 255);
}

bool LHFSUnicodeName::ConvertFileName(ConstStr255Param text, ScriptCode script, HFSUniStr255& name) {
  std::memset(&name, 0, sizeof name);
  if (!text) return false;
  LUnicodeTextConverter converter(script, RegionCode(GetScriptManagerVariable(smRegionCode)));
  return converter.TextToUnicode(text, name) == noErr;
}

bool LHFSUnicodeName::operator==(const LHFSUnicodeName& other) const {
  return length == other.length && std::memcmp(unicode, other.unicode, length * sizeof(UniChar)) == 0;
}
