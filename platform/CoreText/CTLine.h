#pragma once
// One line of attributed text. The line's origin is the start of its baseline; its space is
// y-up. A line is drawn in one colour, that of its first character: the context's fill colour
// when kCTForegroundColorFromContextAttributeName is true there or no colour is given, else
// its kCTForegroundColorAttributeName. Characters without a font use Helvetica at 12.
#include <CoreFoundation/CFAttributedString.h>
#include <CoreGraphics/CGContext.h>
#include <CoreText/CTBase.h>

typedef const struct __CTLine* CTLineRef;

CT_EXPORT CFTypeID CTLineGetTypeID(void);
// Null for a null string.
CT_EXPORT CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef attrString);
// The bounds of the ink that drawing would put down, at the context's text matrix (its
// translation being the text position); in line space when the context is null. An empty line
// has the null rectangle.
CT_EXPORT CGRect CTLineGetImageBounds(CTLineRef line, CGContextRef context);
// Draws the line with its origin at the text position, through the text matrix and the CTM.
// The fill text modes paint; the others (stroking, clipping, invisible) draw nothing.
CT_EXPORT void CTLineDraw(CTLineRef line, CGContextRef context);
