#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFSet.h>
#include <CoreFoundation/CFStringFormatDescription.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDescription.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backend/FoundationSupport.h"

namespace {

std::string describe(const NSObject* object, unsigned level);

// Strings inside collections are quoted unless they are plain words of the old syntax.
std::string quoted(const std::string& text) {
  bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_$+/:.-").find(c) != std::string_view::npos;
  });
  if (plain) return text;
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

std::string element(const NSObject* object, unsigned level) {
  if (object && object->cfTypeID() == CFStringGetTypeID()) {
    return quoted(Foundation::utf8(bridge_cast<CFStringRef>(object)));
  }
  return describe(object, level);
}

std::string indent(unsigned level) { return std::string(size_t(level) * 4, ' '); }

std::string list(const std::vector<const void*>& values, unsigned level, const char* open,
                 const char* close) {
  // A nested collection opens at its own indent after the indent of its place, as the
  // platform writes it ("    key =     {").
  std::string text = indent(level) + open + "\n";
  for (size_t i = 0; i < values.size(); ++i) {
    text += indent(level + 1) + element(static_cast<const NSObject*>(values[i]), level + 1);
    text += i + 1 < values.size() ? ",\n" : "\n";
  }
  return text + indent(level) + close;
}

std::string dictionary(CFDictionaryRef dictionary, unsigned level) {
  const CFIndex count = CFDictionaryGetCount(dictionary);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
  std::vector<size_t> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const bool stringKeys = std::all_of(
      keys.begin(), keys.end(), [](const void* key) { return CFGetTypeID(key) == CFStringGetTypeID(); });
  if (stringKeys) {
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return CFStringCompare(static_cast<CFStringRef>(keys[a]), static_cast<CFStringRef>(keys[b]), 0) ==
             kCFCompareLessThan;
    });
  }
  std::string text = indent(level) + "{\n";
  for (size_t i : order) {
    text += indent(level + 1) + element(static_cast<const NSObject*>(keys[i]), level + 1) + " = " +
            element(static_cast<const NSObject*>(values[i]), level + 1) + ";\n";
  }
  return text + indent(level) + "}";
}

std::string describe(const NSObject* object, unsigned level) {
  if (!object) return "(null)";
  const CFTypeID type = object->cfTypeID();
  if (type == CFStringGetTypeID()) return Foundation::utf8(bridge_cast<CFStringRef>(object));
  if (type == CFArrayGetTypeID()) {
    auto array = bridge_cast<CFArrayRef>(object);
    std::vector<const void*> values(size_t(CFArrayGetCount(array)));
    CFArrayGetValues(array, CFRangeMake(0, CFIndex(values.size())), values.data());
    return list(values, level, "(", ")");
  }
  if (type == CFSetGetTypeID()) {
    auto set = bridge_cast<CFSetRef>(object);
    std::vector<const void*> values(size_t(CFSetGetCount(set)));
    CFSetGetValues(set, values.data());
    return list(values, level, "{(", ")}");
  }
  if (type == CFDictionaryGetTypeID()) return dictionary(bridge_cast<CFDictionaryRef>(object), level);
  if (type == CFNullGetTypeID()) return "<null>";
  NSString* text = nullptr;
  if (auto* value = NSDynamicCast<NSValue>(object))
    text = value->description();
  else if (auto* data = NSDynamicCast<NSData>(object))
    text = data->description();
  else if (auto* date = NSDynamicCast<NSDate>(object))
    text = date->description();
  if (text) return Foundation::utf8(text->cfString());
  CFStringRef description = CFCopyDescription(object);
  std::string result = Foundation::utf8(description);
  if (description) CFRelease(description);
  return result;
}

}  // namespace

NSString* NSDescriptionOf(const NSObject* object) {
  return toNSString(Foundation::autoreleasedString(describe(object, 0)));
}

namespace {

// %@ in every format of the process, CoreFoundation's included, describes objects as
// Foundation does once Foundation is loaded.
CFStringRef copyFormatDescription(CFTypeRef object) {
  objc::AutoreleasePool pool;
  return CFStringCreateCopy(nullptr, reinterpret_cast<CFStringRef>(NSDescriptionOf(static_cast<const NSObject*>(object))));
}

[[maybe_unused]] const bool sFormatDescriptionInstalled =
    (_CFStringSetFormatDescriptionFunction(copyFormatDescription), true);

}  // namespace
