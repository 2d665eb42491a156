#pragma once
// Fonts by family name and size (in user-space units).
#include <CoreFoundation/CFString.h>
#include <CoreGraphics/CGAffineTransform.h>
#include <CoreText/CTBase.h>

typedef const struct __CTFont* CTFontRef;

CT_EXPORT CFTypeID CTFontGetTypeID(void);
// A font of the family named (the nearest installed one when it is missing); a matrix is not
// supported and must be null. Null for a null name or a size not above 0 (0 asks for 12).
CT_EXPORT CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix);
CT_EXPORT CGFloat CTFontGetSize(CTFontRef font);
