#pragma once
// The X window that shows an NSWindow (inner workings of AppKit). It is made when the
// NSWindow is, unmapped, and follows the window's frame, title, level and visibility; its
// pixels are the window's backing store, put on the server whenever the window flushes.
#include <X11/Xlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGWindow.h>

class NSWindow;

namespace AppKitBackend {

class XConnection;

class ServerWindow {
 public:
  // Null when there is no X server.
  static ServerWindow* create(NSWindow* owner, CGRect cocoaFrame, bool borderless, bool transparent);
  ~ServerWindow();
  ServerWindow(const ServerWindow&) = delete;
  ServerWindow& operator=(const ServerWindow&) = delete;

  Window xid() const { return mWindow; }
  bool isTransparent() const { return mTransparent; }
  bool isBorderless() const { return mBorderless; }

  void setFrame(CGRect cocoaFrame);
  void setTitle(const std::string& title);
  // Floating levels stay above normal windows as the window manager allows.
  void setLevel(long level);
  void setAlpha(double alpha);
  void show();
  void hide();
  void raise();
  void lower();
  // Marks whether other processes may read the window.
  void setSharingState(CGWindowSharingType state);
  // The pixels: premultiplied ARGB in host order, the layout of the backing store.
  void putImage(const uint8_t* pixels, size_t width, size_t height, size_t bytesPerRow);
  // The same pixels kept on the server for a window that is not on screen: in a pixmap of the
  // window's depth, named on the window (CGWindowBackingStore.h).
  void keepOffScreenImage(const uint8_t* pixels, size_t width, size_t height, size_t bytesPerRow);

 private:
  ServerWindow(std::shared_ptr<XConnection> connection, NSWindow* owner, CGRect cocoaFrame, bool borderless,
               bool transparent);
  void setSizeHints(CGRect serverFrame);
  void put(Drawable target, const uint8_t* pixels, size_t width, size_t height, size_t bytesPerRow);

  std::shared_ptr<XConnection> mConnection;
  Window mWindow = 0;
  GC mGC = nullptr;
  Pixmap mKeptPixmap = 0;
  size_t mKeptWidth = 0;
  size_t mKeptHeight = 0;
  int mDepth = 24;
  bool mBorderless = false;
  bool mTransparent = false;
};

}  // namespace AppKitBackend
