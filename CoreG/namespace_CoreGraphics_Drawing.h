#pragma once
// Free drawing helpers: resources of the application bundle, the first page of a PDF in a
// rectangle, and a vertical gray ramp through a mask.
#include <CoreFoundation/CFURL.h>
#include <CoreGraphics/CoreGraphics.h>

namespace CoreGraphics {

// A new URL of a resource of the main bundle (no subfolder), or null.
CFURLRef CopyResourceURL(CFStringRef name, CFStringRef type);

// Draws page 1 of the PDF fitted into `rect` (aspect kept), with an extra scale; draws
// nothing for a missing or unreadable document. The graphics state is left as it was.
void DrawPDFDocumentPage(CGContextRef context, CFURLRef url, CGRect rect, double xScale, double yScale);

// Fills `rect`, where `mask` lets paint through, with gray running from `startValue` at
// the top edge to `endValue` at the bottom. False when nothing could be drawn.
bool DrawAxialGrayShading(CGContextRef context, CGImageRef mask, CGRect rect, float startValue, float endValue);

}  // namespace CoreGraphics
