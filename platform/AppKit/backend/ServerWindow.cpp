#include "ServerWindow.h"

#include <CoreGraphics/CGWindowBackingStore.h>
#include <CoreGraphics/CGWindowSharing.h>
#include <X11/Xatom.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "ScreenSpace.h"
#include "XConnection.h"

namespace AppKitBackend {

namespace {

unsigned int dimension(CGFloat value) { return unsigned(std::max<CGFloat>(1, value)); }

}  // namespace

ServerWindow* ServerWindow::create(NSWindow* owner, CGRect cocoaFrame, bool borderless, bool transparent) {
  std::shared_ptr<XConnection> connection = XConnection::current();
  if (!connection) return nullptr;
  return new ServerWindow(std::move(connection), owner, cocoaFrame, borderless, transparent);
}

ServerWindow::ServerWindow(std::shared_ptr<XConnection> connection, NSWindow* owner, CGRect cocoaFrame,
                           bool borderless, bool transparent)
    : mConnection(std::move(connection)), mBorderless(borderless) {
  Display* display = mConnection->display();
  CGRect frame = serverRectFromCocoa(cocoaFrame);
  XSetWindowAttributes attributes{};
  unsigned long mask = CWEventMask | CWBorderPixel | CWBackPixel | CWOverrideRedirect;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          KeyReleaseMask | StructureNotifyMask;
  attributes.override_redirect = borderless ? True : False;
  attributes.border_pixel = 0;
  attributes.background_pixel = 0;
  Visual* visual = CopyFromParent;
  int depth = CopyFromParent;
  mDepth = DefaultDepth(display, DefaultScreen(display));
  if (transparent && mConnection->argbVisual()) {
    visual = mConnection->argbVisual();
    depth = 32;
    mDepth = 32;
    attributes.colormap = mConnection->argbColormap();
    mask |= CWColormap;
    mTransparent = true;
  }
  mWindow = XCreateWindow(display, mConnection->root(), int(frame.origin.x), int(frame.origin.y),
                          dimension(frame.size.width), dimension(frame.size.height), 0, depth, InputOutput, visual,
                          mask, &attributes);
  mGC = XCreateGC(display, mWindow, 0, nullptr);
  long pid = getpid();
  XChangeProperty(display, mWindow, mConnection->atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  Atom deleteWindow = mConnection->atom("WM_DELETE_WINDOW");
  XSetWMProtocols(display, mWindow, &deleteWindow, 1);
  setSizeHints(frame);
  mConnection->addWindow(mWindow, owner);
  XFlush(display);
}

ServerWindow::~ServerWindow() {
  Display* display = mConnection->display();
  mConnection->removeWindow(mWindow);
  if (mKeptPixmap) XFreePixmap(display, mKeptPixmap);
  if (mGC) XFreeGC(display, mGC);
  XDestroyWindow(display, mWindow);
  XFlush(display);
}

void ServerWindow::setSizeHints(CGRect serverFrame) {
  // Placed where the program asks, not where a window manager would choose.
  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.x = int(serverFrame.origin.x);
  hints.y = int(serverFrame.origin.y);
  hints.width = int(dimension(serverFrame.size.width));
  hints.height = int(dimension(serverFrame.size.height));
  XSetWMNormalHints(mConnection->display(), mWindow, &hints);
}

void ServerWindow::setFrame(CGRect cocoaFrame) {
  CGRect frame = serverRectFromCocoa(cocoaFrame);
  setSizeHints(frame);
  XMoveResizeWindow(mConnection->display(), mWindow, int(frame.origin.x), int(frame.origin.y),
                    dimension(frame.size.width), dimension(frame.size.height));
  XFlush(mConnection->display());
}

void ServerWindow::setTitle(const std::string& title) {
  Display* display = mConnection->display();
  XStoreName(display, mWindow, title.c_str());
  XChangeProperty(display, mWindow, mConnection->atom("_NET_WM_NAME"), mConnection->atom("UTF8_STRING"), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
  XFlush(display);
}

void ServerWindow::setLevel(long level) {
  Display* display = mConnection->display();
  Atom state = mConnection->atom("_NET_WM_STATE");
  if (level > 0) {
    Atom above = mConnection->atom("_NET_WM_STATE_ABOVE");
    XChangeProperty(display, mWindow, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&above), 1);
  } else {
    XDeleteProperty(display, mWindow, state);
  }
  XFlush(display);
}

void ServerWindow::setAlpha(double alpha) {
  Display* display = mConnection->display();
  Atom opacity = mConnection->atom("_NET_WM_WINDOW_OPACITY");
  if (alpha >= 1.0) {
    XDeleteProperty(display, mWindow, opacity);
  } else {
    unsigned long value = (unsigned long)(std::clamp(alpha, 0.0, 1.0) * 0xFFFFFFFFul);
    XChangeProperty(display, mWindow, opacity, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
  }
  XFlush(display);
}

void ServerWindow::show() {
  XMapRaised(mConnection->display(), mWindow);
  XFlush(mConnection->display());
}

void ServerWindow::hide() {
  XUnmapWindow(mConnection->display(), mWindow);
  XFlush(mConnection->display());
}

void ServerWindow::raise() {
  XRaiseWindow(mConnection->display(), mWindow);
  XFlush(mConnection->display());
}

void ServerWindow::lower() {
  XLowerWindow(mConnection->display(), mWindow);
  XFlush(mConnection->display());
}

void ServerWindow::setSharingState(CGWindowSharingType state) {
  CGWindowSetX11SharingState(mConnection->display(), mWindow, state);
}

void ServerWindow::putImage(const uint8_t* pixels, size_t width, size_t height, size_t bytesPerRow) {
  put(mWindow, pixels, width, height, bytesPerRow);
}

void ServerWindow::keepOffScreenImage(const uint8_t* pixels, size_t width, size_t height, size_t bytesPerRow) {
  if (!pixels || width == 0 || height == 0) return;
  Display* display = mConnection->display();
  if (!mKeptPixmap || mKeptWidth != width || mKeptHeight != height) {
    if (mKeptPixmap) XFreePixmap(display, mKeptPixmap);
    mKeptPixmap = XCreatePixmap(display, mWindow, unsigned(width), unsigned(height), unsigned(mDepth));
    mKeptWidth = width;
    mKeptHeight = height;
    long named = long(mKeptPixmap);
    XChangeProperty(display, mWindow, mConnection->atom(kCGWindowBackingStoreX11Property), XA_PIXMAP, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&named), 1);
  }
  put(mKeptPixmap, pixels, width, height, bytesPerRow);
}

void ServerWindow::put(Drawable target, const uint8_t* pixels, size_t width, size_t height, size_t bytesPerRow) {
  if (!pixels || width == 0 || height == 0) return;
  Display* display = mConnection->display();
  XImage image{};
  image.width = int(width);
  image.height = int(height);
  image.format = ZPixmap;
  image.data = const_cast<char*>(reinterpret_cast<const char*>(pixels));
  image.byte_order = LSBFirst;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = LSBFirst;
  image.bitmap_pad = 32;
  image.depth = mDepth;
  image.bytes_per_line = int(bytesPerRow);
  image.bits_per_pixel = 32;
  image.red_mask = 0xFF0000;
  image.green_mask = 0x00FF00;
  image.blue_mask = 0x0000FF;
  if (!XInitImage(&image)) return;
  XPutImage(display, target, mGC, &image, 0, 0, 0, 0, unsigned(width), unsigned(height));
  XFlush(display);
}

}  // namespace AppKitBackend
