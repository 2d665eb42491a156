#include "NSAttributedString_NSCFString_ValueTransformer.h"

#include <AppKit/NSStringDrawing.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDescription.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSValue.h>

int import_NSAttributedString_NSCFString_ValueTransformer() { return 1; }

OBJC_CLASS_DEFINE(NSAttributedString_NSCFString_ValueTransformer)

namespace {

// The private string class of the platform counts as a plain string too, where it exists.
const Class kPrivateStringClass = objc_getClass("NSCFString");

bool isPlainString(NSObject* value) {
  return NSObjectIsKindOfClass(value, NSString::class_()) ||
         (kPrivateStringClass && NSObjectIsKindOfClass(value, kPrivateStringClass));
}

// [value string], [value stringValue], or null when it answers neither.
NSString* textOf(NSObject* value, const char* selector) {
  if (auto* number = NSDynamicCast<NSNumber>(value); number && std::string(selector) == "stringValue") {
    return number->stringValue();
  }
  if (!value->respondsToSelector(sel_registerName(selector))) return nullptr;
  return NSDynamicCast<NSString>(value->performSelector(sel_registerName(selector)));
}

NSString* classNameOf(NSObject* value) { return NSString::stringWithUTF8String(class_getName(NSObjectGetClass(value))); }

}  // namespace

NSDictionary* NSAttributedString_NSCFString_ValueTransformer::defaultTextAttributes() {
  static NSDictionary* const attributes = [] {
    NSDictionary* made = NSDictionary::dictionaryWithObject_forKey(
        NSFont::userFixedPitchFontOfSize(NSFont::smallSystemFontSize()), NSFontAttributeName);
    made->retain()->makeImmortal();
    return made;
  }();
  return attributes;
}

NSObject* NSAttributedString_NSCFString_ValueTransformer::transformedValue(NSObject* value) {
  if (!value) return nullptr;
  RefPtr<NSMutableAttributedString> result;
  if (isPlainString(value)) {
    result = adopt(static_cast<NSMutableAttributedString*>(
        NSMutableAttributedString::alloc()->initWithString(static_cast<NSString*>(value))));
  } else if (auto* attributed = NSDynamicCast<NSAttributedString>(value)) {
    result = adopt(attributed->mutableCopy());
  } else {
    NSString* text = textOf(value, "string");
    if (!text) text = textOf(value, "stringValue");
    if (!text) text = NSString::stringWithFormat(NSSTR("!!!%@(%@)!!!"), NSDescriptionOf(value), classNameOf(value));
    result = adopt(static_cast<NSMutableAttributedString*>(NSMutableAttributedString::alloc()->initWithString(text)));
  }
  result->setAttributes_range(defaultTextAttributes(), NSMakeRange(0, result->length()));
  return result.leak()->autorelease();
}

NSObject* NSAttributedString_NSCFString_ValueTransformer::reverseTransformedValue(NSObject* value) {
  if (!value) return nullptr;
  if (auto* attributed = NSDynamicCast<NSAttributedString>(value)) return NSString::stringWithString(attributed->string());
  if (NSString* text = textOf(value, "string")) return NSString::stringWithString(text);
  if (isPlainString(value)) return value;
  if (NSString* text = textOf(value, "stringValue")) return NSString::stringWithString(text);
  return NSString::stringWithFormat(NSSTR("###%@(%@)###"), NSDescriptionOf(value), classNameOf(value));
}
