// Window pixels through the Composite extension (libxcomposite): each top-level window's
// off-screen pixmap, else the window's area of the screen (XGetImage); for a window that is
// not on screen, the pixmap its owner keeps (CGWindowBackingStore.h).
#include "backend/CGWindowImageX11.h"

#include <CoreGraphics/CGWindowBackingStore.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace CGWindowServer {

namespace {

// The top-level window (a child of the root) that holds the window.
Window topLevelOf(Display* display, Window window) {
  Window current = window;
  for (int depth = 0; depth < 64; ++depth) {
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, current, &root, &parent, &children, &count)) return None;
    if (children) XFree(children);
    if (parent == root || parent == None) return current;
    current = parent;
  }
  return None;
}

// Copies an X image into a new ARGB32 surface; a window without an alpha channel is opaque.
cairo_surface_t* surfaceFromImage(XImage* image, bool hasAlpha) {
  if (!image || image->bits_per_pixel != 32 || image->byte_order != LSBFirst) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image->width, image->height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  unsigned char* target = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int row = 0; row < image->height; ++row) {
    auto* out = reinterpret_cast<uint32_t*>(target + size_t(row) * size_t(stride));
    std::memcpy(out, image->data + size_t(row) * size_t(image->bytes_per_line), size_t(image->width) * 4);
    if (!hasAlpha) {
      for (int column = 0; column < image->width; ++column) out[column] |= 0xFF000000u;
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

XImage* readFromOffScreenPixmap(CGDisplayServer::Connection& connection, Window window, Window topLevel,
                                const XWindowAttributes& attributes) {
  Display* display = connection.display();
  int eventBase = 0, errorBase = 0;
  if (!XCompositeQueryExtension(display, &eventBase, &errorBase)) return nullptr;
  XWindowAttributes topAttributes;
  int x = 0, y = 0;
  Window child = None;
  if (!XGetWindowAttributes(display, topLevel, &topAttributes) ||
      !XTranslateCoordinates(display, window, topLevel, 0, 0, &x, &y, &child)) {
    return nullptr;
  }
  connection.failedSinceLastCheck();
  Pixmap pixmap = XCompositeNameWindowPixmap(display, topLevel);
  if (connection.failedSinceLastCheck()) return nullptr;
  // The pixmap holds the top-level window's border too.
  XImage* image = XGetImage(display, pixmap, x + topAttributes.border_width, y + topAttributes.border_width,
                            unsigned(attributes.width), unsigned(attributes.height), AllPlanes, ZPixmap);
  XFreePixmap(display, pixmap);
  if (connection.failedSinceLastCheck()) {
    if (image) XDestroyImage(image);
    return nullptr;
  }
  return image;
}

// The pixels an off-screen window's owner keeps in the pixmap it names on the window.
XImage* readFromBackingStore(CGDisplayServer::Connection& connection, Window window, int& depth) {
  Display* display = connection.display();
  Atom property = XInternAtom(display, kCGWindowBackingStoreX11Property, True);
  if (property == None) return nullptr;
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, bytesAfter = 0;
  unsigned char* data = nullptr;
  Pixmap pixmap = None;
  if (XGetWindowProperty(display, window, property, 0, 1, False, XA_PIXMAP, &actualType, &actualFormat,
                         &count, &bytesAfter, &data) == Success &&
      data && actualType == XA_PIXMAP && actualFormat == 32 && count == 1) {
    pixmap = Pixmap(*reinterpret_cast<unsigned long*>(data));
  }
  if (data) XFree(data);
  if (pixmap == None || connection.failedSinceLastCheck()) return nullptr;
  // The property may name anything: only a pixmap of a sensible size is read.
  Window root = None;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border = 0, pixmapDepth = 0;
  if (!XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &pixmapDepth) ||
      connection.failedSinceLastCheck() || width == 0 || height == 0 || width > 32768 || height > 32768) {
    return nullptr;
  }
  XImage* image = XGetImage(display, pixmap, 0, 0, width, height, AllPlanes, ZPixmap);
  if (connection.failedSinceLastCheck()) {
    if (image) XDestroyImage(image);
    return nullptr;
  }
  depth = int(pixmapDepth);
  return image;
}

WindowPixels readOffScreenPixels(CGDisplayServer::Connection& connection, Window window) {
  WindowPixels pixels;
  int depth = 0;
  XImage* image = readFromBackingStore(connection, window, depth);
  if (!image) return pixels;
  int x = 0, y = 0;
  Window child = None;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(connection.display(), window, &attributes) &&
      XTranslateCoordinates(connection.display(), window, attributes.root, 0, 0, &x, &y, &child)) {
    pixels.surface = surfaceFromImage(image, depth == 32);
    pixels.bounds = CGRectMake(x, y, image->width, image->height);
  }
  XDestroyImage(image);
  return pixels;
}

}  // namespace

bool keepWindowsOffScreen() {
  // The redirection lasts as long as the connection that asked for it: one stays open per X
  // server for the life of the process, kept here with whether the server could redirect. A
  // server that quit and came back under the same name has forgotten it, so the connection is
  // looked at before it is trusted.
  struct Redirection {
    std::unique_ptr<CGDisplayServer::Connection> connection;
    bool redirected = false;
  };
  static std::mutex lock;
  static auto* kept = new std::map<std::string, Redirection>();
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  std::lock_guard guard(lock);
  Redirection& entry = (*kept)[name];
  if (entry.connection && !entry.connection->isLost()) return entry.redirected;
  entry.connection = std::make_unique<CGDisplayServer::Connection>();
  int eventBase = 0, errorBase = 0;
  Display* display = entry.connection->display();
  entry.redirected = entry.connection->isOpen() && XCompositeQueryExtension(display, &eventBase, &errorBase);
  if (entry.redirected) {
    for (int screen = 0; screen < ScreenCount(display); ++screen) {
      XCompositeRedirectSubwindows(display, RootWindow(display, screen), CompositeRedirectAutomatic);
    }
    entry.redirected = !entry.connection->failedSinceLastCheck();
  }
  return entry.redirected;
}

WindowPixels readWindowPixels(CGDisplayServer::Connection& connection, CGWindowID windowID) {
  WindowPixels pixels;
  if (!connection.isOpen() || windowID == kCGNullWindowID) return pixels;
  Display* display = connection.display();
  const Window window = Window(windowID);
  connection.failedSinceLastCheck();
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || connection.failedSinceLastCheck() ||
      attributes.c_class == InputOnly) {
    return pixels;
  }
  if (attributes.map_state != IsViewable) return readOffScreenPixels(connection, window);
  const Window topLevel = topLevelOf(display, window);
  int x = 0, y = 0;
  Window child = None;
  if (topLevel == None ||
      !XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child)) {
    return pixels;
  }
  XImage* image = readFromOffScreenPixmap(connection, window, topLevel, attributes);
  if (!image) {
    image = XGetImage(display, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes,
                      ZPixmap);
    if (connection.failedSinceLastCheck() && image) {
      XDestroyImage(image);
      image = nullptr;
    }
  }
  if (!image) return pixels;
  pixels.surface = surfaceFromImage(image, attributes.depth == 32);
  XDestroyImage(image);
  pixels.bounds = CGRectMake(x, y, attributes.width, attributes.height);
  return pixels;
}

}  // namespace CGWindowServer
