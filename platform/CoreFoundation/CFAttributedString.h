#pragma once
// CFAttributedString: a string and, for every range of it, a dictionary of attributes (fonts
// and colours of the text-drawing layers). Attributes are held in runs that cover the whole
// string; a run with no attribute holds an empty dictionary.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

typedef const struct __CFAttributedString* CFAttributedStringRef;
typedef struct __CFAttributedString* CFMutableAttributedStringRef;

CF_EXPORT CFTypeID CFAttributedStringGetTypeID(void);
// The string with `attributes` (none: empty) over all of it.
CF_EXPORT CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef alloc, CFStringRef str,
                                                         CFDictionaryRef attributes);
// A mutable copy; maxLength is a hint only.
CF_EXPORT CFMutableAttributedStringRef CFAttributedStringCreateMutableCopy(CFAllocatorRef alloc,
                                                                           CFIndex maxLength,
                                                                           CFAttributedStringRef aStr);
CF_EXPORT CFStringRef CFAttributedStringGetString(CFAttributedStringRef aStr);
CF_EXPORT CFIndex CFAttributedStringGetLength(CFAttributedStringRef aStr);
// The attributes at loc, and the run they cover (when asked); null for loc outside the string.
CF_EXPORT CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef aStr, CFIndex loc,
                                                          CFRange* effectiveRange);
CF_EXPORT CFTypeRef CFAttributedStringGetAttribute(CFAttributedStringRef aStr, CFIndex loc,
                                                   CFStringRef attrName, CFRange* effectiveRange);
// Sets one attribute over the range (cut to the string), leaving the others as they are.
CF_EXPORT void CFAttributedStringSetAttribute(CFMutableAttributedStringRef aStr, CFRange range,
                                              CFStringRef attrName, CFTypeRef value);
