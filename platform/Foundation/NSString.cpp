#include <Foundation/NSString.h>

#include <string>

namespace {

// Holds converted UTF-8 text for as long as the autorelease pool that it went into.
class UTF8Text : public NSObject {
 public:
  explicit UTF8Text(std::string text) : mText(std::move(text)) {}
  const char* c_str() const { return mText.c_str(); }

 private:
  std::string mText;
};

NSString* autoreleased(CFStringRef string) {
  if (!string) return nullptr;
  CFAutorelease(string);
  return toNSString(string);
}

Class makeViewClass(const char* name, Class superclass) {
  auto* cls = new objc_class{name, superclass, nullptr};
  return objc_registerClass(cls);
}

}  // namespace

// The string classes have no factory: an NSString can only be made as a CFString.
Class NSString::class_() {
  static const Class cls = makeViewClass("NSString", NSObject::class_());
  return cls;
}

Class NSMutableString::class_() {
  static const Class cls = makeViewClass("NSMutableString", NSString::class_());
  return cls;
}

[[maybe_unused]] static const Class registeredStringClasses[] = {NSString::class_(), NSMutableString::class_()};

NSString* NSString::string() { return NSSTR(""); }

NSString* NSString::stringWithString(NSString* string) {
  return string ? autoreleased(CFStringCreateCopy(nullptr, string->cfString())) : nullptr;
}

NSString* NSString::stringWithUTF8String(const char* text) {
  return text ? autoreleased(CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8)) : nullptr;
}

NSString* NSString::stringWithFormat(NSString* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  NSString* result = stringWithFormat_arguments(format, arguments);
  va_end(arguments);
  return result;
}

NSString* NSString::stringWithFormat_arguments(NSString* format, va_list arguments) {
  if (!format) return nullptr;
  return autoreleased(CFStringCreateWithFormatAndArguments(nullptr, nullptr, format->cfString(), arguments));
}

NSUInteger NSString::length() const { return NSUInteger(CFStringGetLength(cfString())); }

unichar NSString::characterAtIndex(NSUInteger index) const {
  return CFStringGetCharacterAtIndex(cfString(), CFIndex(index));
}

const char* NSString::UTF8String() const {
  if (const char* kept = CFStringGetCStringPtr(cfString(), kCFStringEncodingUTF8)) return kept;
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(cfString()), kCFStringEncodingUTF8) + 1;
  std::string text(size_t(size), '\0');
  if (!CFStringGetCString(cfString(), text.data(), size, kCFStringEncodingUTF8)) return nullptr;
  text.resize(text.find('\0'));
  auto* holder = new UTF8Text(std::move(text));
  holder->autorelease();  // the pool takes over the reference it was made with
  return holder->c_str();
}

bool NSString::isEqualToString(NSString* other) const {
  return other && CFStringCompare(cfString(), other->cfString(), 0) == kCFCompareEqualTo;
}

NSComparisonResult NSString::compare(NSString* other) const {
  return other ? CFStringCompare(cfString(), other->cfString(), 0) : NSOrderedDescending;
}

NSComparisonResult NSString::caseInsensitiveCompare(NSString* other) const {
  return other ? CFStringCompare(cfString(), other->cfString(), kCFCompareCaseInsensitive) : NSOrderedDescending;
}

NSMutableString* NSMutableString::string() { return stringWithCapacity(0); }

NSMutableString* NSMutableString::stringWithCapacity(NSUInteger) {
  CFMutableStringRef string = CFStringCreateMutable(nullptr, 0);
  CFAutorelease(string);
  return bridge_cast<NSMutableString*>(string);
}

void NSMutableString::appendString(NSString* string) {
  if (string) CFStringAppend(cfMutableString(), string->cfString());
}

void NSMutableString::appendFormat(NSString* format, ...) {
  if (!format) return;
  va_list arguments;
  va_start(arguments, format);
  CFStringAppendFormatAndArguments(cfMutableString(), nullptr, format->cfString(), arguments);
  va_end(arguments);
}

void NSMutableString::setString(NSString* string) {
  CFStringReplaceAll(cfMutableString(), string ? string->cfString() : CFSTR(""));
}
