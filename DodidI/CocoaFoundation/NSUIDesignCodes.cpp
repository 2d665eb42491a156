#include "NSUIDesignCodes.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSDescription.h>
#include <Foundation/NSString+Values.h>

#include <string>
#include <string_view>

#include "CoreMachDebug.h"

int import_NSUIDesignCodes() { return 1; }

OBJC_CLASS_DEFINE(NSUIDesignCodes)

namespace {

NSString* defaultIdentifier() { return NSSTR("com.quillfen.bookmark"); }
NSString* defaultTitle() { return NSSTR("Bookmark"); }

struct Escape {
  char character;
  std::string_view code;
};
constexpr Escape kEscapes[] = {{';', "3B"}, {'=', "3D"}, {'\r', "0D"}, {'\n', "0A"}, {'%', "25"}};

// The escape whose code the text holds at position, or null.
const Escape* escapeAt(std::string_view text, size_t position) {
  for (const Escape& escape : kEscapes) {
    if (text.substr(position, 2) == escape.code) return &escape;
  }
  return nullptr;
}

std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    const Escape* escape = nullptr;
    for (const Escape& candidate : kEscapes) {
      if (candidate.character == c) escape = &candidate;
    }
    // A "%" is escaped only where it would otherwise read as an escape, so that the texts
    // people write ("100%", "%s") stand in code strings as they are.
    if (escape && (c != '%' || escapeAt(text, i + 1))) {
      out += '%';
      out += escape->code;
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const Escape* escape = text[i] == '%' ? escapeAt(text, i + 1) : nullptr;
    if (escape) {
      out += escape->character;
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string utf8(NSObject* object) { return NSDescriptionOf(object)->UTF8String(); }

NSString* string(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

// A version number: groups of digits joined by single dots ("10", "10.9", "10.10.1").
bool isVersionNumber(std::string_view text) {
  bool groupHasDigit = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      groupHasDigit = true;
    } else if (c == '.' && groupHasDigit) {
      groupHasDigit = false;
    } else {
      return false;
    }
  }
  return groupHasDigit;
}

// Orders two version numbers group by group, each as a number of any length; a missing group
// counts as 0 ("10.6" is "10.6.0").
NSComparisonResult compareVersionNumbers(std::string_view a, std::string_view b) {
  auto nextGroup = [](std::string_view& text) {
    const size_t dot = text.find('.');
    std::string_view group = text.substr(0, dot);
    text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    while (group.size() > 1 && group.front() == '0') group.remove_prefix(1);
    return group.empty() ? std::string_view("0") : group;
  };
  while (!a.empty() || !b.empty()) {
    const std::string_view left = nextGroup(a), right = nextGroup(b);
    if (left.size() != right.size()) return left.size() < right.size() ? NSOrderedAscending : NSOrderedDescending;
    if (const int order = left.compare(right)) return order < 0 ? NSOrderedAscending : NSOrderedDescending;
  }
  return NSOrderedSame;
}

}  // namespace

NSUIDesignCodes* NSUIDesignCodes::codesWithCodeString_title_identifier(NSString* codeString, NSString* title,
                                                                       NSString* identifier) {
  RefPtr<NSUIDesignCodes> result =
      adopt(NSUIDesignCodes::alloc()->initWithCodeString_title_identifier(codeString, title, identifier));
  if (!VERIFY(result)) return nullptr;
  return static_cast<NSUIDesignCodes*>(result.leak()->autorelease());
}

NSUIDesignCodes* NSUIDesignCodes::codesWithCodeString_title(NSString* codeString, NSString* title) {
  return codesWithCodeString_title_identifier(codeString, title, defaultIdentifier());
}

NSUIDesignCodes* NSUIDesignCodes::codesWithCodeString(NSString* codeString) {
  return codesWithCodeString_title_identifier(codeString, defaultTitle(), defaultIdentifier());
}

NSUIDesignCodes* NSUIDesignCodes::codesWithCodeDictionary(NSDictionary* dictionary) {
  return codesWithCodeString_title_identifier(codeStringFromDictionary(dictionary), defaultTitle(),
                                              defaultIdentifier());
}

NSUIDesignCodes* NSUIDesignCodes::initWithCodeString_title_identifier(NSString* codeString, NSString* title,
                                                                      NSString* identifier) {
  setTitle(title);
  setIdentifier(identifier);
  setDictionary(NSMutableDictionary::dictionaryWithCapacity(128));
  setCodeString(codeString);
  return this;
}

NSString* NSUIDesignCodes::beginCodeMarker(NSString* identifier) {
  return NSString::stringWithFormat(NSSTR("%@.%s;\r\n"), identifier, "begin");
}

NSString* NSUIDesignCodes::endCodeMarker(NSString* identifier) {
  return NSString::stringWithFormat(NSSTR("%@.%s;\r\n"), identifier, "end");
}

NSMutableString* NSUIDesignCodes::codeStringFromDictionary_identifier(NSDictionary* dictionary,
                                                                      NSString* identifier) {
  NSMutableString* code = NSMutableString::string();
  code->appendString(beginCodeMarker(identifier));
  if (dictionary) {
    NSArray* keys = dictionary->allKeys()->sortedArrayUsingComparator([](NSObject* a, NSObject* b) {
      return NSDescriptionOf(a)->caseInsensitiveCompare(NSDescriptionOf(b));
    });
    for (NSObject* key : *keys) {
      std::string line = escaped(utf8(key)) + "=" + escaped(utf8(dictionary->objectForKey(key))) + ";\r\n";
      code->appendString(string(line));
    }
  }
  code->appendString(endCodeMarker(identifier));
  return code;
}

NSMutableString* NSUIDesignCodes::codeStringFromDictionary(NSDictionary* dictionary) {
  return codeStringFromDictionary_identifier(dictionary, defaultIdentifier());
}

NSString* NSUIDesignCodes::codeString() const {
  return codeStringFromDictionary_identifier(dictionary(), identifier());
}

bool NSUIDesignCodes::setCodeString(NSString* codeString) {
  if (!codeString) return false;
  NSMutableDictionary* settings = dictionary();
  if (!settings) {
    settings = NSMutableDictionary::dictionaryWithCapacity(128);
    setDictionary(settings);
  }
  settings->removeAllObjects();

  // Line breaks only lay the text out; the pieces are what ";" separates.
  std::string text;
  for (const char* c = codeString->UTF8String(); *c; ++c) {
    if (*c != '\r' && *c != '\n') text += *c;
  }
  bool readOne = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string_view piece(text.data() + start, end - start);
    size_t equals = piece.find('=');
    if (equals != std::string_view::npos && piece.find('=', equals + 1) == std::string_view::npos) {
      NSString* key = string(unescaped(piece.substr(0, equals)));
      NSString* value = string(unescaped(piece.substr(equals + 1)));
      if (key && value) {
        settings->setObject_forKey(value, key);
        readOne = true;
      }
    }
    start = end + 1;
  }
  return readOne;
}

NSDictionary* NSUIDesignCodes::codeDictionary() const {
  NSMutableDictionary* settings = dictionary();
  return settings ? NSDictionary::dictionaryWithDictionary(settings) : nullptr;
}

void NSUIDesignCodes::setCodeDictionary(NSDictionary* dictionary) {
  setCodeString(codeStringFromDictionary_identifier(dictionary, identifier()));
}

NSObject* NSUIDesignCodes::objectForKey(NSString* key) const {
  NSMutableDictionary* settings = dictionary();
  return settings && key ? settings->objectForKey(key) : nullptr;
}

bool NSUIDesignCodes::hasBooleanValue_booleanValue(NSString* key, bool wanted) const {
  NSObject* value = objectForKey(key);
  if (!value) return false;
  return (NSStringValues::intValue(NSDescriptionOf(value)) != 0) == wanted;
}

// Versions compare as numbers ("10.10" after "10.9"), but only where both sides are version
// numbers: any other stored text keeps the case-insensitive text comparison it was written for.
bool NSUIDesignCodes::isVersionRequiredAndNotMet_versionStringValue(NSString* key, NSString* current) const {
  NSObject* value = objectForKey(key);
  if (!value) return false;
  NSString* stored = NSDescriptionOf(value);
  if (current && isVersionNumber(stored->UTF8String()) && isVersionNumber(current->UTF8String()))
    return compareVersionNumbers(stored->UTF8String(), current->UTF8String()) == NSOrderedDescending;
  return NSStringValues::compare_options(stored, current, NSCaseInsensitiveSearch) == NSOrderedDescending;
}

bool NSUIDesignCodes::isDoubleValueRequiredAndNotMet_versionDoubleValue(NSString* key, double current) const {
  NSObject* value = objectForKey(key);
  if (!value) return false;
  return NSStringValues::doubleValue(NSDescriptionOf(value)) > current;
}

NSString* NSUIDesignCodes::description() const {
  return NSString::stringWithFormat(NSSTR("<NSUIDesignCodes title:%@>"), title());
}

const __CFString* NSUIDesignCodes::copyDescription() const {
  return CFStringCreateCopy(nullptr, description()->cfString());
}
