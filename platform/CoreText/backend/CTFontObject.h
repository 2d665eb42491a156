#pragma once
// The object behind CTFontRef: a family name and a size.
#include <string>

#include <CoreText/CTFont.h>
#include <objc/NSObject.h>

struct __CTFont : NSObject {
  static CFTypeID typeID();
  // The font an attribute value is, or null.
  static const __CTFont* cast(CFTypeRef object);
  unsigned long cfTypeID() const override { return typeID(); }

  std::string family;
  CGFloat size = 12;
};
