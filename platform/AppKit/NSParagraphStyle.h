#pragma once
// Paragraph attributes of drawn text: its alignment.
#include <Foundation/NSObject.h>

#include <AppKit/AppKitDefines.h>

typedef NSUInteger NSTextAlignment;
enum : NSUInteger { NSLeftTextAlignment = 0, NSRightTextAlignment = 1, NSCenterTextAlignment = 2, NSJustifiedTextAlignment = 3, NSNaturalTextAlignment = 4 };

class NSMutableParagraphStyle;

class APPKIT_CLASS NSParagraphStyle : public NSObject {
  OBJC_CLASS_DECL(NSParagraphStyle, NSObject)

 public:
  static NSParagraphStyle* defaultParagraphStyle();
  NSTextAlignment alignment() const { return mAlignment; }
  // A new mutable copy (+1).
  NSMutableParagraphStyle* mutableCopy() const;

 protected:
  NSParagraphStyle() = default;
  NSTextAlignment mAlignment = NSNaturalTextAlignment;
};

class APPKIT_CLASS NSMutableParagraphStyle : public NSParagraphStyle {
  OBJC_CLASS_DECL(NSMutableParagraphStyle, NSParagraphStyle)

 public:
  void setAlignment(NSTextAlignment alignment) { mAlignment = alignment; }

 protected:
  NSMutableParagraphStyle() = default;
};
