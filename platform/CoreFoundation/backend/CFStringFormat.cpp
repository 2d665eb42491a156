#include "backend/CFStringFormat.h"

#include <CoreFoundation/CFStringFormatDescription.h>
#include <CoreFoundation/CFUUID.h>

#include <atomic>

#include <cstdio>
#include <cstdint>
#include <cstddef>
#include <sys/types.h>

#include "backend/CFStringEncodings.h"
#include "backend/CFStringObject.h"

namespace CFStringFormat {
namespace {

enum class Length { none, hh, h, l, ll, z, t, j, L };

// One conversion as written, with any '*' already replaced by its argument.
struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  Length length = Length::none;
  char16_t type = 0;

  bool leftAligned() const { return flags.find('-') != std::string::npos; }

  // The conversion for snprintf with the given length modifier and conversion letters.
  std::string spec(const char* lengthAndType) const {
    std::string text = "%" + flags;
    if (width >= 0) text += std::to_string(width);
    if (precision >= 0) text += "." + std::to_string(precision);
    return text + lengthAndType;
  }
};

// Widths and precisions beyond this are taken as this, so a bad format cannot ask for
// gigabytes of padding.
constexpr int kMaximumWidth = 1 << 20;

template <class T>
std::string print(const std::string& spec, T value) {
  char small[128];
  int needed = std::snprintf(small, sizeof small, spec.c_str(), value);
  if (needed < 0) return std::string();
  if (static_cast<size_t>(needed) < sizeof small) return std::string(small, static_cast<size_t>(needed));
  std::string large(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(large.data(), large.size(), spec.c_str(), value);
  large.resize(static_cast<size_t>(needed));
  return large;
}

// Bytes that C conversions produced: UTF-8 when they are, else each byte as Mac Roman so
// nothing is lost.
std::u16string fromBytes(const std::string& bytes) {
  const UInt8* data = reinterpret_cast<const UInt8*>(bytes.data());
  std::optional<std::u16string> text = CFStringEncodings::decode(data, bytes.size(), kCFStringEncodingUTF8);
  if (!text) text = CFStringEncodings::decode(data, bytes.size(), kCFStringEncodingMacRoman);
  if (!text) text = CFStringEncodings::decode(data, bytes.size(), kCFStringEncodingISOLatin1);
  return *text;
}

void appendPadded(std::u16string& out, std::u16string text, const Conversion& conversion) {
  if (conversion.precision >= 0 && text.size() > static_cast<size_t>(conversion.precision)) {
    text.resize(static_cast<size_t>(conversion.precision));
  }
  size_t padding = conversion.width > 0 && text.size() < static_cast<size_t>(conversion.width)
                       ? static_cast<size_t>(conversion.width) - text.size()
                       : 0;
  if (!conversion.leftAligned()) out.append(padding, u' ');
  out += text;
  if (conversion.leftAligned()) out.append(padding, u' ');
}

std::atomic<_CFStringFormatDescriptionFunction> sDescriptionFunction{nullptr};

std::u16string describe(const void* object) {
  if (!object) return u"(null)";
  if (const __CFString* string = __CFString::from(object)) return string->mCharacters;
  // A UUID formats as its canonical text; only its debug description shows its address.
  if (CFGetTypeID(object) == CFUUIDGetTypeID()) {
    CFStringRef text = CFUUIDCreateString(nullptr, static_cast<CFUUIDRef>(object));
    std::u16string characters = __CFString::from(text)->mCharacters;
    CFRelease(text);
    return characters;
  }
  _CFStringFormatDescriptionFunction function = sDescriptionFunction.load(std::memory_order_acquire);
  const __CFString* description =
      function ? function(object) : static_cast<const NSObject*>(object)->copyDescription();
  if (!description) return u"(null)";
  std::u16string text = description->mCharacters;
  description->release();
  return text;
}

bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int readNumber(const std::u16string& format, size_t& i) {
  long value = 0;
  while (i < format.size() && isAsciiDigit(format[i])) {
    if (value <= kMaximumWidth) value = value * 10 + (format[i] - u'0');
    ++i;
  }
  return static_cast<int>(value > kMaximumWidth ? kMaximumWidth : value);
}

Length readLength(const std::u16string& format, size_t& i) {
  auto next = [&](char16_t c) {
    if (i < format.size() && format[i] == c) {
      ++i;
      return true;
    }
    return false;
  };
  if (next(u'h')) return next(u'h') ? Length::hh : Length::h;
  if (next(u'l')) return next(u'l') ? Length::ll : Length::l;
  if (next(u'q')) return Length::ll;
  if (next(u'z')) return Length::z;
  if (next(u't')) return Length::t;
  if (next(u'j')) return Length::j;
  if (next(u'L')) return Length::L;
  return Length::none;
}

class Formatter {
 public:
  explicit Formatter(va_list arguments) { va_copy(mArguments, arguments); }
  ~Formatter() { va_end(mArguments); }
  Formatter(const Formatter&) = delete;
  Formatter& operator=(const Formatter&) = delete;

  std::u16string run(const std::u16string& format) {
    std::u16string out;
    size_t i = 0;
    while (i < format.size()) {
      if (format[i] != u'%') {
        out.push_back(format[i++]);
        continue;
      }
      size_t start = i++;
      Conversion conversion;
      if (!parse(format, i, conversion)) {
        // An incomplete or unknown conversion is kept as written.
        out.append(format, start, i - start);
        continue;
      }
      convert(conversion, out);
    }
    return out;
  }

 private:
  bool parse(const std::u16string& format, size_t& i, Conversion& conversion) {
    static constexpr std::u16string_view flagCharacters = u"-+ #0'";
    while (i < format.size() && flagCharacters.find(format[i]) != std::u16string::npos) {
      conversion.flags.push_back(static_cast<char>(format[i++]));
    }
    if (i < format.size() && format[i] == u'*') {
      ++i;
      int width = va_arg(mArguments, int);
      if (width < 0) {
        conversion.flags.push_back('-');
        width = width == INT32_MIN ? kMaximumWidth : -width;
      }
      conversion.width = width > kMaximumWidth ? kMaximumWidth : width;
    } else if (i < format.size() && isAsciiDigit(format[i])) {
      conversion.width = readNumber(format, i);
    }
    if (i < format.size() && format[i] == u'.') {
      ++i;
      if (i < format.size() && format[i] == u'*') {
        ++i;
        int precision = va_arg(mArguments, int);
        conversion.precision = precision < 0 ? -1 : (precision > kMaximumWidth ? kMaximumWidth : precision);
      } else {
        conversion.precision = readNumber(format, i);
      }
    }
    conversion.length = readLength(format, i);
    if (i >= format.size()) return false;
    conversion.type = format[i++];
    static constexpr std::u16string_view known = u"diuxXocspfFeEgGaA%@SCn";
    return known.find(conversion.type) != std::u16string::npos;
  }

  void convertSigned(const Conversion& c, std::u16string& out) {
    const char type[2] = {static_cast<char>(c.type), 0};
    std::string text;
    switch (c.length) {
      case Length::l: text = print(c.spec((std::string("l") + type).c_str()), va_arg(mArguments, long)); break;
      case Length::ll: text = print(c.spec((std::string("ll") + type).c_str()), va_arg(mArguments, long long)); break;
      case Length::z: text = print(c.spec((std::string("z") + type).c_str()), va_arg(mArguments, ssize_t)); break;
      case Length::t: text = print(c.spec((std::string("t") + type).c_str()), va_arg(mArguments, ptrdiff_t)); break;
      case Length::j: text = print(c.spec((std::string("j") + type).c_str()), va_arg(mArguments, intmax_t)); break;
      case Length::hh: text = print(c.spec((std::string("hh") + type).c_str()), va_arg(mArguments, int)); break;
      case Length::h: text = print(c.spec((std::string("h") + type).c_str()), va_arg(mArguments, int)); break;
      default: text = print(c.spec(type), va_arg(mArguments, int)); break;
    }
    out += fromBytes(text);
  }

  void convertUnsigned(const Conversion& c, std::u16string& out) {
    const char type[2] = {static_cast<char>(c.type), 0};
    std::string text;
    switch (c.length) {
      case Length::l: text = print(c.spec((std::string("l") + type).c_str()), va_arg(mArguments, unsigned long)); break;
      case Length::ll:
        text = print(c.spec((std::string("ll") + type).c_str()), va_arg(mArguments, unsigned long long));
        break;
      case Length::z: text = print(c.spec((std::string("z") + type).c_str()), va_arg(mArguments, size_t)); break;
      case Length::t: text = print(c.spec((std::string("t") + type).c_str()), va_arg(mArguments, ptrdiff_t)); break;
      case Length::j: text = print(c.spec((std::string("j") + type).c_str()), va_arg(mArguments, uintmax_t)); break;
      case Length::hh: text = print(c.spec((std::string("hh") + type).c_str()), va_arg(mArguments, unsigned)); break;
      case Length::h: text = print(c.spec((std::string("h") + type).c_str()), va_arg(mArguments, unsigned)); break;
      default: text = print(c.spec(type), va_arg(mArguments, unsigned)); break;
    }
    out += fromBytes(text);
  }

  void convertFloating(const Conversion& c, std::u16string& out) {
    const char type[2] = {static_cast<char>(c.type), 0};
    std::string text = c.length == Length::L ? print(c.spec((std::string("L") + type).c_str()), va_arg(mArguments, long double))
                                             : print(c.spec(type), va_arg(mArguments, double));
    out += fromBytes(text);
  }

  void convertPointer(const Conversion& c, std::u16string& out) {
    const void* pointer = va_arg(mArguments, const void*);
    Conversion hex = c;
    hex.precision = -1;
    if (!pointer) {
      appendPadded(out, u"0x0", hex);
      return;
    }
    hex.flags += '#';
    out += fromBytes(print(hex.spec("lx"), reinterpret_cast<uintptr_t>(pointer)));
  }

  void convert(const Conversion& c, std::u16string& out) {
    switch (c.type) {
      case u'%': out.push_back(u'%'); break;
      case u'd':
      case u'i': convertSigned(c, out); break;
      case u'u':
      case u'x':
      case u'X':
      case u'o': convertUnsigned(c, out); break;
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
      case u'a':
      case u'A': convertFloating(c, out); break;
      case u'p': convertPointer(c, out); break;
      case u'c': out += fromBytes(print(c.spec("c"), va_arg(mArguments, int))); break;
      case u's': {
        const char* text = va_arg(mArguments, const char*);
        out += fromBytes(print(c.spec("s"), text ? text : "(null)"));
        break;
      }
      case u'C': appendPadded(out, std::u16string(1, static_cast<char16_t>(va_arg(mArguments, int))), c); break;
      case u'S': {
        const char16_t* text = va_arg(mArguments, const char16_t*);
        if (!text) {
          appendPadded(out, u"(null)", c);
          break;
        }
        // With a precision, no more than that many units are read.
        size_t length = 0;
        while ((c.precision < 0 || length < static_cast<size_t>(c.precision)) && text[length] != 0) ++length;
        appendPadded(out, std::u16string(text, length), c);
        break;
      }
      case u'@': appendPadded(out, describe(va_arg(mArguments, const void*)), c); break;
      case u'n':
        // Writing through a pointer taken from a format is never done; the argument is skipped.
        va_arg(mArguments, void*);
        break;
    }
  }

  va_list mArguments;
};

}  // namespace

std::u16string format(const std::u16string& format, va_list arguments) { return Formatter(arguments).run(format); }

}  // namespace CFStringFormat

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, CFDictionaryRef, CFStringRef format,
                                                 va_list arguments) {
  const __CFString* pattern = __CFString::from(format);
  if (!pattern) {
    CFStringText::report("CFStringCreateWithFormatAndArguments", "the format is not a string");
    return nullptr;
  }
  return CFStringText::create(CFStringFormat::format(pattern->mCharacters, arguments));
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format, ...) {
  va_list arguments;
  va_start(arguments, format);
  CFStringRef string = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, arguments);
  va_end(arguments);
  return string;
}

void CFStringAppendFormatAndArguments(CFMutableStringRef theString, CFDictionaryRef, CFStringRef format,
                                      va_list arguments) {
  __CFString* string = CFStringText::mutableString(theString, "CFStringAppendFormatAndArguments");
  const __CFString* pattern = __CFString::from(format);
  if (!string) return;
  if (!pattern) {
    CFStringText::report("CFStringAppendFormatAndArguments", "the format is not a string");
    return;
  }
  string->mCharacters += CFStringFormat::format(pattern->mCharacters, arguments);
}

void CFStringAppendFormat(CFMutableStringRef theString, CFDictionaryRef formatOptions, CFStringRef format, ...) {
  va_list arguments;
  va_start(arguments, format);
  CFStringAppendFormatAndArguments(theString, formatOptions, format, arguments);
  va_end(arguments);
}

void _CFStringSetFormatDescriptionFunction(_CFStringFormatDescriptionFunction function) {
  CFStringFormat::sDescriptionFunction.store(function, std::memory_order_release);
}
