#pragma once
// Attribute names of attributed strings that CoreText reads.
#include <CoreFoundation/CFString.h>
#include <CoreText/CTBase.h>

CT_EXPORT const CFStringRef kCTFontAttributeName;                        // CTFont
CT_EXPORT const CFStringRef kCTForegroundColorAttributeName;             // CGColor
CT_EXPORT const CFStringRef kCTForegroundColorFromContextAttributeName;  // CFBoolean
