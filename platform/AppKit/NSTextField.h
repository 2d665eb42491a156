#pragma once
// Text fields: a control showing one text value, editable or as a label.
#include <AppKit/NSControl.h>

class APPKIT_CLASS NSTextField : public NSControl {
  OBJC_CLASS_DECL(NSTextField, NSControl)

 public:
  static NSTextField* labelWithString(NSString* string);
  bool isEditable() const { return cell() && cell()->isEditable(); }
  void setEditable(bool editable) {
    if (cell()) cell()->setEditable(editable);
  }

 protected:
  NSTextField() = default;
};
