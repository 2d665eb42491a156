#include <AppKit/NSTextField.h>

OBJC_CLASS_DEFINE(NSTextField)

NSTextField* NSTextField::labelWithString(NSString* string) {
  auto* field = static_cast<NSTextField*>(NSTextField::alloc()->initWithFrame(NSZeroRect)->autorelease());
  field->setStringValue(string);
  field->setEditable(false);
  return field;
}
