#include <AppKit/NSStringDrawing.h>

#include <pango/pangocairo.h>

#include <cmath>
#include <mutex>

#include <AppKit/NSColor.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSParagraphStyle.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>

NSString* const NSFontAttributeName = NSSTR("NSFont");
NSString* const NSForegroundColorAttributeName = NSSTR("NSColor");
NSString* const NSParagraphStyleAttributeName = NSSTR("NSParagraphStyle");

namespace {

// Pango's font maps are not safe to use from several threads at once.
std::mutex gPangoLock;

NSFont* fontOf(NSDictionary* attributes) {
  auto* font = attributes ? NSDynamicCast<NSFont>(attributes->objectForKey(NSFontAttributeName)) : nullptr;
  return font ? font : NSFont::systemFontOfSize(12);
}

// A layout of the text on a cairo context, wrapped at width (none for a negative width).
PangoLayout* makeLayout(cairo_t* cr, NSString* string, NSDictionary* attributes, double width) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  const char* text = string ? string->UTF8String() : "";
  pango_layout_set_text(layout, text ? text : "", -1);
  PangoFontDescription* description = pango_font_description_from_string(fontOf(attributes)->pangoDescription().c_str());
  pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  if (width >= 0) pango_layout_set_width(layout, int(width * PANGO_SCALE));
  auto* style = attributes ? NSDynamicCast<NSParagraphStyle>(attributes->objectForKey(NSParagraphStyleAttributeName)) : nullptr;
  if (style) {
    switch (style->alignment()) {
      case NSCenterTextAlignment: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
      case NSRightTextAlignment: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
      case NSJustifiedTextAlignment: pango_layout_set_justify(layout, true); break;
      default: break;
    }
  }
  return layout;
}

}  // namespace

namespace NSStringDrawing {

void drawInRect_withAttributes(NSString* string, NSRect rect, NSDictionary* attributes) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !string || NSIsEmptyRect(rect)) return;
  const int width = int(std::ceil(rect.size.width)), height = int(std::ceil(rect.size.height));
  // The text is laid out into a picture of the rectangle, then painted like an image.
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef bitmap = CGBitmapContextCreate(nullptr, size_t(width), size_t(height), 8, 0, space,
                                              kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  CGColorSpaceRelease(space);
  if (!bitmap) return;
  {
    std::lock_guard<std::mutex> guard(gPangoLock);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(CGBitmapContextGetData(bitmap)), CAIRO_FORMAT_ARGB32, width, height,
        int(CGBitmapContextGetBytesPerRow(bitmap)));
    cairo_t* cr = cairo_create(surface);
    auto* color = attributes ? NSDynamicCast<NSColor>(attributes->objectForKey(NSForegroundColorAttributeName)) : nullptr;
    CGFloat r = 0, g = 0, b = 0, a = 1;
    if (color) color->getRed_green_blue_alpha(&r, &g, &b, &a);
    cairo_set_source_rgba(cr, r, g, b, a);
    PangoLayout* layout = makeLayout(cr, string, attributes, rect.size.width);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
  }
  CGImageRef image = CGBitmapContextCreateImage(bitmap);
  CGContextRelease(bitmap);
  if (!image) return;
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  if (context->isFlipped()) {
    CGContextTranslateCTM(cg, 0, NSMinY(rect) + NSMaxY(rect));
    CGContextScaleCTM(cg, 1, -1);
  }
  CGContextDrawImage(cg, CGRectMake(rect.origin.x, rect.origin.y, width, height), image);
  CGContextRestoreGState(cg);
  CGImageRelease(image);
}

NSSize sizeWithAttributes(NSString* string, NSDictionary* attributes) {
  std::lock_guard<std::mutex> guard(gPangoLock);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = makeLayout(cr, string, attributes, -1);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return NSMakeSize(width, height);
}

}  // namespace NSStringDrawing
