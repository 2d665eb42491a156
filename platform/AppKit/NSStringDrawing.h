#pragma once
// Drawing strings into the current graphics context (the category NSStringDrawing on
// NSString): laid out by Pango in the attributes' font (the system font of 12 points when
// none), colour (black) and paragraph alignment, wrapped at the rectangle's width, from its
// top down, clipped to it.
#include <Foundation/NSString.h>

#include <AppKit/NSGeometry.h>

class NSDictionary;

APPKIT_EXPORT NSString* const NSFontAttributeName;
APPKIT_EXPORT NSString* const NSForegroundColorAttributeName;
APPKIT_EXPORT NSString* const NSParagraphStyleAttributeName;

namespace NSStringDrawing {

__attribute__((visibility("default"))) void drawInRect_withAttributes(NSString* string, NSRect rect, NSDictionary* attributes);
// The size the string takes on one line.
__attribute__((visibility("default"))) NSSize sizeWithAttributes(NSString* string, NSDictionary* attributes);

}  // namespace NSStringDrawing
