#include "backend/CFCollectionCallBacks.h"

#include <cstdarg>
#include <cstdio>

#include <CoreFoundation/CFString.h>
#include "backend/CFStringObject.h"

namespace CFCollection {

std::string CallBacks::describe(const void* value) const {
  if (!copyDescription) {
    char text[32];
    std::snprintf(text, sizeof text, "<%p>", value);
    return text;
  }
  CFStringRef description = copyDescription(value);
  if (!description) return "(null)";
  std::string text = CFStringText::utf8(description);
  CFRelease(description);
  return text;
}

const void* retainType(CFAllocatorRef, const void* value) { return CFRetain(value); }

void releaseType(CFAllocatorRef, const void* value) { CFRelease(value); }

const void* retainStringCopy(CFAllocatorRef, const void* value) {
  if (!value || CFGetTypeID(value) != CFStringGetTypeID()) return CFRetain(value);
  return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(value));
}

std::string describeObject(CFTypeRef object) {
  if (!object) return "(null)";
  CFStringRef description = CFCopyDescription(object);
  if (!description) return "(null)";
  std::string text = CFStringText::utf8(description);
  CFRelease(description);
  return text;
}

CFStringRef createString(const std::string& text) {
  return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                 static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false);
}

bool rangeInside(CFRange range, CFIndex count, const char* function) {
  if (range.location >= 0 && range.length >= 0 && range.location <= count && range.length <= count - range.location) {
    return true;
  }
  report(function, "range {%ld, %ld} is outside a count of %ld", static_cast<long>(range.location),
         static_cast<long>(range.length), static_cast<long>(count));
  return false;
}

void report(const char* function, const char* format, ...) {
  char message[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  std::fprintf(stderr, "%s: %s\n", function, message);
}

}  // namespace CFCollection
