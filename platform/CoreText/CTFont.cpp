#include <CoreText/CTFont.h>
#include <objc/NSObject.h>
#include <objc/RefPtr.h>
#include <objc/runtime.h>

#include "backend/CTFontObject.h"

CFTypeID __CTFont::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CTFont");
  return id;
}

const __CTFont* __CTFont::cast(CFTypeRef object) {
  return object && CFGetTypeID(object) == typeID() ? static_cast<const __CTFont*>(object) : nullptr;
}

CFTypeID CTFontGetTypeID(void) { return __CTFont::typeID(); }

CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix) {
  if (!name || size < 0 || matrix) return nullptr;
  const char* text = CFStringGetCStringPtr(name, kCFStringEncodingUTF8);
  char buffer[256];
  if (!text && CFStringGetCString(name, buffer, sizeof buffer, kCFStringEncodingUTF8)) text = buffer;
  if (!text) return nullptr;
  auto* font = new __CTFont();
  font->family = text;
  font->size = size > 0 ? size : 12.0;
  return font;
}

CGFloat CTFontGetSize(CTFontRef font) { return font ? font->size : 0; }
