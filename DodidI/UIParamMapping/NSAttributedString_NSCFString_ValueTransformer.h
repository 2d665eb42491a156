#pragma once
// Shows any value as an attributed string in the user's fixed-pitch font at the small system
// size, and turns an attributed string back into a plain one, for text views bound to values.
#include <AppKit/NSFont.h>
#include <Foundation/NSAttributedString.h>
#include <Foundation/NSValueTransformer.h>

class NSDictionary;

int import_NSAttributedString_NSCFString_ValueTransformer();

class NSAttributedString_NSCFString_ValueTransformer : public NSValueTransformer {
  OBJC_CLASS_DECL(NSAttributedString_NSCFString_ValueTransformer, NSValueTransformer)

 public:
  // The attributes given to every transformed value, made once for the process.
  static NSDictionary* defaultTextAttributes();

  NSObject* init() override { return this; }
  Class transformedValueClass() const override { return NSAttributedString::class_(); }
  bool allowsReverseTransformation() const override { return true; }
  // A new attributed string with the default attributes over its whole length; an attributed
  // string given is copied, never changed.
  NSObject* transformedValue(NSObject* value) override;
  NSObject* reverseTransformedValue(NSObject* value) override;
};
