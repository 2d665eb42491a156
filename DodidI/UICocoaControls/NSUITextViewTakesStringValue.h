#pragma once
// A text view that answers a control's string-value messages, so that it can stand where a
// text field is expected.
#include <AppKit/NSTextView.h>

int import_NSUITextViewTakesStringValue();

class NSUITextViewTakesStringValue : public NSTextView {
  OBJC_CLASS_DECL(NSUITextViewTakesStringValue, NSTextView)

 public:
  void setStringValue(NSString* string) { setString(string); }
  // A copy of the text as it is now.
  NSString* stringValue() const { return NSString::stringWithString(string()); }
  void takeStringValueFrom(NSObject* sender);
};
