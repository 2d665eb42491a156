// Text encodings of CFString. UTF-8, UTF-16 and UTF-32 are converted here; the 8-bit
// Mac Roman and Windows Latin-1 tables are read once from glibc's iconv ("MACINTOSH",
// "CP1252") and then used in both directions.
#include "backend/CFStringEncodings.h"

#include <iconv.h>

#include <bit>
#include <unordered_map>

namespace CFStringEncodings {
namespace {

enum class Family { ascii, latin1, byteTable, utf8, utf16, utf32, unavailable };

struct Layout {
  Family family;
  bool bigEndian = false;
  // Unmarked UTF-16/UTF-32 take their order from a byte-order mark.
  bool unmarked = false;
};

constexpr bool kHostBigEndian = std::endian::native == std::endian::big;

Layout layoutOf(CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingASCII: return {Family::ascii};
    case kCFStringEncodingISOLatin1: return {Family::latin1};
    case kCFStringEncodingMacRoman:
    case kCFStringEncodingWindowsLatin1: return {Family::byteTable};
    case kCFStringEncodingUTF8: return {Family::utf8};
    case kCFStringEncodingUTF16: return {Family::utf16, kHostBigEndian, true};
    case kCFStringEncodingUTF16BE: return {Family::utf16, true};
    case kCFStringEncodingUTF16LE: return {Family::utf16, false};
    case kCFStringEncodingUTF32: return {Family::utf32, kHostBigEndian, true};
    case kCFStringEncodingUTF32BE: return {Family::utf32, true};
    case kCFStringEncodingUTF32LE: return {Family::utf32, false};
    default: return {Family::unavailable};
  }
}

struct ByteTable {
  bool valid = false;
  char16_t toUnicode[256] = {};
  std::unordered_map<char16_t, UInt8> fromUnicode;
};

ByteTable readTable(const char* iconvName, bool keepUndefinedBytes) {
  ByteTable table;
  iconv_t converter = iconv_open("UTF-16LE", iconvName);
  if (converter == reinterpret_cast<iconv_t>(-1)) return table;
  for (int byte = 0; byte < 256; ++byte) {
    char in = static_cast<char>(byte);
    unsigned char out[8];
    char* inPointer = &in;
    char* outPointer = reinterpret_cast<char*>(out);
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    bool converted = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1) &&
                     sizeof out - outLeft == 2;
    if (converted) {
      table.toUnicode[byte] = static_cast<char16_t>(out[0] | (out[1] << 8));
    } else if (keepUndefinedBytes) {
      // Bytes that Windows leaves undefined still come back as themselves, so no byte is lost.
      table.toUnicode[byte] = static_cast<char16_t>(byte);
    } else {
      iconv_close(converter);
      return table;
    }
  }
  iconv_close(converter);
  for (int byte = 0; byte < 256; ++byte) table.fromUnicode.emplace(table.toUnicode[byte], static_cast<UInt8>(byte));
  table.valid = true;
  return table;
}

const ByteTable& macRoman() {
  static const ByteTable table = [] {
    ByteTable read = readTable("MACINTOSH", false);
    if (read.valid) {
      // The platform's Mac Roman has the Apple logo at 0xF0, in the private use area.
      read.fromUnicode.erase(read.toUnicode[0xF0]);
      read.toUnicode[0xF0] = u'\uF8FF';
      read.fromUnicode[u'\uF8FF'] = 0xF0;
    }
    return read;
  }();
  return table;
}

const ByteTable& windowsLatin1() {
  static const ByteTable table = readTable("CP1252", true);
  return table;
}

const ByteTable* byteTableFor(CFStringEncoding encoding) {
  const ByteTable& table = encoding == kCFStringEncodingMacRoman ? macRoman() : windowsLatin1();
  return table.valid ? &table : nullptr;
}

bool isSurrogate(char32_t c) { return c >= 0xD800 && c < 0xE000; }

void appendCodePoint(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

std::optional<std::u16string> decodeUTF8(const UInt8* bytes, size_t length) {
  std::u16string out;
  out.reserve(length);
  size_t i = 0;
  while (i < length) {
    UInt8 lead = bytes[i];
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    size_t extra;
    char32_t c;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
      extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
      return std::nullopt;
    }
    if (length - i <= extra) return std::nullopt;
    for (size_t k = 1; k <= extra; ++k) {
      UInt8 next = bytes[i + k];
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || isSurrogate(c)) return std::nullopt;
    appendCodePoint(out, c);
    i += extra + 1;
  }
  return out;
}

UInt32 readUnit(const UInt8* bytes, size_t size, bool bigEndian) {
  UInt32 value = 0;
  for (size_t k = 0; k < size; ++k) {
    UInt32 byte = bytes[bigEndian ? k : size - 1 - k];
    value = (value << 8) | byte;
  }
  return value;
}

void writeUnit(std::string& out, UInt32 value, size_t size, bool bigEndian) {
  for (size_t k = 0; k < size; ++k) {
    size_t shift = 8 * (bigEndian ? size - 1 - k : k);
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

// For unmarked UTF-16/UTF-32: reads and skips a leading byte-order mark.
bool takeByteOrderMark(const UInt8*& bytes, size_t& length, size_t unitSize, bool& bigEndian) {
  if (length < unitSize) return false;
  if (readUnit(bytes, unitSize, true) == 0xFEFF) {
    bigEndian = true;
  } else if (readUnit(bytes, unitSize, false) == 0xFEFF) {
    bigEndian = false;
  } else {
    return false;
  }
  bytes += unitSize;
  length -= unitSize;
  return true;
}

}  // namespace

bool isAvailable(CFStringEncoding encoding) {
  Layout layout = layoutOf(encoding);
  if (layout.family == Family::unavailable) return false;
  if (layout.family == Family::byteTable) return byteTableFor(encoding) != nullptr;
  return true;
}

std::optional<std::u16string> decode(const UInt8* bytes, size_t length, CFStringEncoding encoding,
                                     bool honourByteOrderMark) {
  if (!bytes && length > 0) return std::nullopt;
  Layout layout = layoutOf(encoding);
  std::u16string out;
  switch (layout.family) {
    case Family::ascii:
      for (size_t i = 0; i < length; ++i) {
        if (bytes[i] >= 0x80) return std::nullopt;
        out.push_back(bytes[i]);
      }
      return out;
    case Family::latin1:
      out.assign(bytes, bytes + length);
      return out;
    case Family::byteTable: {
      const ByteTable* table = byteTableFor(encoding);
      if (!table) return std::nullopt;
      out.reserve(length);
      for (size_t i = 0; i < length; ++i) out.push_back(table->toUnicode[bytes[i]]);
      return out;
    }
    case Family::utf8: return decodeUTF8(bytes, length);
    case Family::utf16: {
      bool bigEndian = layout.bigEndian;
      if (layout.unmarked && honourByteOrderMark) takeByteOrderMark(bytes, length, 2, bigEndian);
      if (length % 2 != 0) return std::nullopt;
      out.reserve(length / 2);
      for (size_t i = 0; i < length; i += 2) out.push_back(static_cast<char16_t>(readUnit(bytes + i, 2, bigEndian)));
      return out;
    }
    case Family::utf32: {
      bool bigEndian = layout.bigEndian;
      if (layout.unmarked && honourByteOrderMark) takeByteOrderMark(bytes, length, 4, bigEndian);
      if (length % 4 != 0) return std::nullopt;
      for (size_t i = 0; i < length; i += 4) {
        char32_t c = readUnit(bytes + i, 4, bigEndian);
        if (c > 0x10FFFF || isSurrogate(c)) return std::nullopt;
        appendCodePoint(out, c);
      }
      return out;
    }
    case Family::unavailable: break;
  }
  return std::nullopt;
}

bool encodeCharacter(char32_t c, CFStringEncoding encoding, std::string& out) {
  Layout layout = layoutOf(encoding);
  switch (layout.family) {
    case Family::ascii:
      if (c >= 0x80) return false;
      out.push_back(static_cast<char>(c));
      return true;
    case Family::latin1:
      if (c >= 0x100) return false;
      out.push_back(static_cast<char>(c));
      return true;
    case Family::byteTable: {
      const ByteTable* table = byteTableFor(encoding);
      if (!table || c >= 0x10000) return false;
      auto found = table->fromUnicode.find(static_cast<char16_t>(c));
      if (found == table->fromUnicode.end()) return false;
      out.push_back(static_cast<char>(found->second));
      return true;
    }
    case Family::utf8:
      if (isSurrogate(c) || c > 0x10FFFF) return false;
      if (c < 0x80) {
        out.push_back(static_cast<char>(c));
      } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      }
      return true;
    case Family::utf16:
      if (c >= 0x10000) {
        writeUnit(out, 0xD800 + ((c - 0x10000) >> 10), 2, layout.bigEndian);
        writeUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), 2, layout.bigEndian);
      } else {
        writeUnit(out, c, 2, layout.bigEndian);
      }
      return true;
    case Family::utf32:
      if (isSurrogate(c)) return false;
      writeUnit(out, c, 4, layout.bigEndian);
      return true;
    case Family::unavailable: break;
  }
  return false;
}

size_t terminatorSize(CFStringEncoding encoding) {
  switch (layoutOf(encoding).family) {
    case Family::utf16: return 2;
    case Family::utf32: return 4;
    default: return 1;
  }
}

std::string byteOrderMark(CFStringEncoding encoding) {
  Layout layout = layoutOf(encoding);
  std::string mark;
  if (layout.unmarked) encodeCharacter(0xFEFF, encoding, mark);
  return mark;
}

char32_t characterAt(const std::u16string& characters, size_t index, size_t* units) {
  char32_t c = characters[index];
  if (c >= 0xD800 && c < 0xDC00 && index + 1 < characters.size()) {
    char32_t low = characters[index + 1];
    if (low >= 0xDC00 && low < 0xE000) {
      *units = 2;
      return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  *units = 1;
  return c;
}

std::string toUTF8(const std::u16string& characters) {
  std::string out;
  out.reserve(characters.size());
  for (size_t i = 0; i < characters.size();) {
    size_t units;
    char32_t c = characterAt(characters, i, &units);
    if (!encodeCharacter(c, kCFStringEncodingUTF8, out)) encodeCharacter(0xFFFD, kCFStringEncodingUTF8, out);
    i += units;
  }
  return out;
}

}  // namespace CFStringEncodings
