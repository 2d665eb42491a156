#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include "backend/CFPropertyListXML.h"

namespace CFPropertyListXML {

namespace {

class Writer {
 public:
  explicit Writer(std::string& error) : mError(error) {}

  bool value(CFPropertyListRef object, int depth) {
    if (depth > kMaximumDepth) return fail("values nested too deeply (a container may hold itself)");
    CFTypeID type = CFGetTypeID(object);
    if (type == CFStringGetTypeID()) return element("string", static_cast<CFStringRef>(object), depth);
    if (type == CFBooleanGetTypeID()) {
      line(depth, CFBooleanGetValue(static_cast<CFBooleanRef>(object)) ? "<true/>" : "<false/>");
      return true;
    }
    if (type == CFNumberGetTypeID()) return number(static_cast<CFNumberRef>(object), depth);
    if (type == CFDataGetTypeID()) return data(static_cast<CFDataRef>(object), depth);
    if (type == CFDateGetTypeID()) return date(static_cast<CFDateRef>(object), depth);
    if (type == CFArrayGetTypeID()) return array(static_cast<CFArrayRef>(object), depth);
    if (type == CFDictionaryGetTypeID()) return dictionary(static_cast<CFDictionaryRef>(object), depth);
    return fail(object ? "a value that has no property-list form" : "a null value");
  }

  std::string mText;

 private:
  bool fail(const std::string& message) {
    if (mError.empty()) mError = message;
    return false;
  }

  void line(int depth, const std::string& text) {
    mText.append(static_cast<size_t>(depth), '\t');
    mText += text;
    mText += '\n';
  }

  // The text of a string escaped for XML; false for text that XML 1.0 cannot carry at all
  // (control characters, unpaired surrogates), which would make the whole document unreadable.
  bool escaped(CFStringRef string, std::string& out) {
    CFIndex length = CFStringGetLength(string);
    CFIndex size = 0;
    CFIndex converted = CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingUTF8, 0, false, nullptr, 0,
                                         &size);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (converted != length ||
        CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingUTF8, 0, false,
                         reinterpret_cast<UInt8*>(bytes.data()), size, nullptr) != length) {
      return fail("a string that is not valid Unicode text");
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(bytes[i]);
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        // A reader turns a raw carriage return into a line feed.
        case '\r': out += "&#13;"; break;
        case '\t':
        case '\n': out += static_cast<char>(c); break;
        default:
          if (c < 0x20) return fail("a string holding control character " + std::to_string(c) + ", which XML cannot carry");
          // U+FFFE and U+FFFF (EF BF BE/BF) are not XML characters either.
          if (c == 0xEF && i + 2 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) == 0xBF &&
              static_cast<unsigned char>(bytes[i + 2]) >= 0xBE) {
            return fail("a string holding a noncharacter, which XML cannot carry");
          }
          out += static_cast<char>(c);
      }
    }
    return true;
  }

  bool element(const char* name, CFStringRef string, int depth) {
    std::string text;
    if (!escaped(string, text)) return false;
    line(depth, std::string("<") + name + ">" + text + "</" + name + ">");
    return true;
  }

  bool number(CFNumberRef number, int depth) {
    if (!CFNumberIsFloatType(number)) {
      SInt64 value = 0;
      CFNumberGetValue(number, kCFNumberSInt64Type, &value);
      line(depth, "<integer>" + std::to_string(value) + "</integer>");
      return true;
    }
    double value = 0;
    CFNumberGetValue(number, kCFNumberFloat64Type, &value);
    std::string text;
    if (std::isnan(value)) {
      text = "nan";
    } else if (std::isinf(value)) {
      text = value > 0 ? "+infinity" : "-infinity";
    } else {
      // The shortest text that reads back as the same double.
      char buffer[64];
      auto [end, failure] = std::to_chars(buffer, buffer + sizeof buffer, value);
      text.assign(buffer, failure == std::errc() ? end : buffer);
    }
    line(depth, "<real>" + text + "</real>");
    return true;
  }

  bool data(CFDataRef data, int depth) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const UInt8* bytes = CFDataGetBytePtr(data);
    size_t length = static_cast<size_t>(CFDataGetLength(data));
    std::string encoded;
    for (size_t i = 0; i < length; i += 3) {
      unsigned chunk = unsigned(bytes[i]) << 16;
      if (i + 1 < length) chunk |= unsigned(bytes[i + 1]) << 8;
      if (i + 2 < length) chunk |= bytes[i + 2];
      encoded += alphabet[(chunk >> 18) & 63];
      encoded += alphabet[(chunk >> 12) & 63];
      encoded += i + 1 < length ? alphabet[(chunk >> 6) & 63] : '=';
      encoded += i + 2 < length ? alphabet[chunk & 63] : '=';
    }
    line(depth, "<data>");
    // Lines of 76 characters, as mail and most readers expect.
    for (size_t i = 0; i < encoded.size(); i += 76) line(depth, encoded.substr(i, 76));
    line(depth, "</data>");
    return true;
  }

  // The format keeps whole seconds in UTC; a fraction is dropped toward the past.
  bool date(CFDateRef date, int depth) {
    double seconds = std::floor(CFDateGetAbsoluteTime(date) + kCFAbsoluteTimeIntervalSince1970);
    std::tm parts{};
    bool representable = std::isfinite(seconds) && std::fabs(seconds) < 1e15;
    time_t time = representable ? static_cast<time_t>(seconds) : 0;
    if (!representable || !gmtime_r(&time, &parts) || parts.tm_year + 1900 < 0 || parts.tm_year + 1900 > 9999) {
      return fail("a date outside the years 0 to 9999");
    }
    char text[64];
    std::snprintf(text, sizeof text, "<date>%04d-%02d-%02dT%02d:%02d:%02dZ</date>", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    line(depth, text);
    return true;
  }

  bool array(CFArrayRef array, int depth) {
    CFIndex count = CFArrayGetCount(array);
    if (count == 0) {
      line(depth, "<array/>");
      return true;
    }
    line(depth, "<array>");
    for (CFIndex i = 0; i < count; ++i) {
      if (!value(CFArrayGetValueAtIndex(array, i), depth + 1)) return false;
    }
    line(depth, "</array>");
    return true;
  }

  bool dictionary(CFDictionaryRef dictionary, int depth) {
    CFIndex count = CFDictionaryGetCount(dictionary);
    if (count == 0) {
      line(depth, "<dict/>");
      return true;
    }
    std::vector<const void*> keys(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), nullptr);
    for (const void* key : keys) {
      if (CFGetTypeID(key) != CFStringGetTypeID()) return fail("a dictionary key that is not a string");
    }
    // Sorted keys give the same document for the same dictionary, whatever order it was built in.
    std::stable_sort(keys.begin(), keys.end(), [](const void* a, const void* b) {
      return CFStringCompare(static_cast<CFStringRef>(a), static_cast<CFStringRef>(b), 0) == kCFCompareLessThan;
    });
    line(depth, "<dict>");
    for (const void* key : keys) {
      if (!element("key", static_cast<CFStringRef>(key), depth + 1)) return false;
      if (!value(CFDictionaryGetValue(dictionary, key), depth + 1)) return false;
    }
    line(depth, "</dict>");
    return true;
  }

  std::string& mError;
};

}  // namespace

std::optional<std::string> write(CFPropertyListRef propertyList, std::string& error) {
  Writer writer(error);
  writer.mText =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n";
  if (!writer.value(propertyList, 0)) return std::nullopt;
  writer.mText += "</plist>\n";
  return writer.mText;
}

}  // namespace CFPropertyListXML
