#pragma once
// Drawing offscreen and looking at the pixels, for tests of AppKit drawing: views shown in a
// borderless, transparent window that is never put on a screen, pictures drawn into bitmaps,
// and PDF documents made on the spot with Cairo. Header-only: the test program links AppKit
// and cairo itself.
#include <AppKit/AppKit.h>
#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>

namespace moxicam::test {

// Straight (not premultiplied) samples, 0 to 255.
struct Pixel {
  int r = 0, g = 0, b = 0, a = 0;
};

inline std::ostream& operator<<(std::ostream& out, const Pixel& p) {
  return out << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

// Whether every sample is within `tolerance` of the expected one.
inline bool near(const Pixel& p, int r, int g, int b, int a, int tolerance = 3) {
  return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance &&
         std::abs(p.a - a) <= tolerance;
}

// The pixel at x from the left and y from the bottom (Cocoa's way up).
inline Pixel pixelAt(NSBitmapImageRep* bitmap, int x, int y) {
  NSColor* color = bitmap ? bitmap->colorAtX_y(x, bitmap->pixelsHigh() - 1 - y) : nullptr;
  if (!color) return Pixel{-1, -1, -1, -1};
  auto sample = [](CGFloat v) { return int(std::lround(v * 255)); };
  return Pixel{sample(color->redComponent()), sample(color->greenComponent()), sample(color->blueComponent()),
               sample(color->alphaComponent())};
}

// How many pixels of the rectangle (y up) have any alpha.
inline int inkCount(NSBitmapImageRep* bitmap, NSRect rect) {
  int count = 0;
  for (int y = int(NSMinY(rect)); y < int(NSMaxY(rect)); ++y) {
    for (int x = int(NSMinX(rect)); x < int(NSMaxX(rect)); ++x) {
      if (pixelAt(bitmap, x, y).a > 0) ++count;
    }
  }
  return count;
}

// A transparent premultiplied RGBA bitmap of the size with `draw` run as the current context's
// drawing (y up, one unit a pixel).
inline RefPtr<NSBitmapImageRep> drawOffscreen(int width, int height, const std::function<void()>& draw) {
  RefPtr<NSBitmapImageRep> bitmap = adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, width, height, 8, 4, true, false, NSDeviceRGBColorSpace, 0, 0, 32));
  NSGraphicsContext::classSaveGraphicsState();
  NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap.get()));
  draw();
  NSGraphicsContext::classRestoreGraphicsState();
  return bitmap;
}

// The view drawn, with its subviews, as the whole content of a transparent borderless window
// of its frame's size (what the view leaves undrawn stays transparent).
inline RefPtr<NSBitmapImageRep> renderView(NSView* view) {
  const NSRect frame = view->frame();
  RefPtr<NSWindow> window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(0, 0, frame.size.width, frame.size.height), NSBorderlessWindowMask, NSBackingStoreBuffered,
      false));
  window->setReleasedWhenClosed(false);
  window->setOpaque(false);
  window->setBackgroundColor(NSColor::clearColor());
  window->setContentView(view);
  window->display();
  view->lockFocus();
  RefPtr<NSBitmapImageRep> bitmap = adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(view->bounds()));
  view->unlockFocus();
  window->setContentView(nullptr);
  return bitmap;
}

enum class PDFShape { Rectangle, Ellipse };

// A one-page PDF of the size (points), transparent but for the shape filled in the colour
// (components 0 to 1) over the whole page.
inline bool writeShapePDF(const std::string& path, double width, double height, PDFShape shape, double r,
                          double g, double b, double a = 1.0) {
  cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgba(cr, r, g, b, a);
  if (shape == PDFShape::Ellipse) {
    cairo_save(cr);
    cairo_translate(cr, width / 2, height / 2);
    cairo_scale(cr, width / 2, height / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
  } else {
    cairo_rectangle(cr, 0, 0, width, height);
  }
  cairo_fill(cr);
  cairo_show_page(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

}  // namespace moxicam::test
