#pragma once
// The X server that shows this process's windows (inner workings of AppKit).
//
// One connection per value of DISPLAY, opened when a window first needs it and kept for the
// life of the process; a window keeps the connection it was made on, so a program that
// points DISPLAY at another server later (as test programs do) shows its later windows there.
// The connection's descriptor is a source of the main run loop: whenever the loop runs, the
// events that arrived are turned into NSEvents and queued on the application.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <CoreFoundation/CFFileDescriptor.h>
#include <CoreGraphics/CGGeometry.h>
#include <objc/WeakPtr.h>

class NSWindow;

namespace AppKitBackend {

class XConnection {
 public:
  // The connection for the DISPLAY of now; null without one (headless).
  static std::shared_ptr<XConnection> current();
  // Reads what every open connection has received, on the main thread.
  static void pumpAll();

  ~XConnection();
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  Display* display() const { return mDisplay; }
  Window root() const { return mRoot; }
  // The depth-32 TrueColor visual with its colormap; null visual when the server has none.
  Visual* argbVisual() const { return mArgbVisual; }
  Colormap argbColormap() const { return mArgbColormap; }
  // The monitors in X coordinates, the primary first (the root window when RandR has none).
  const std::vector<CGRect>& monitors() const { return mMonitors; }

  Atom atom(const char* name);

  void addWindow(Window window, NSWindow* owner);
  void removeWindow(Window window);

  // Turns the queued X events into NSEvents; never waits.
  void pump();

 private:
  explicit XConnection(Display* display);
  void handle(XEvent& event);
  RefPtr<NSWindow> windowFor(Window window);

  Display* mDisplay = nullptr;
  Window mRoot = 0;
  Visual* mArgbVisual = nullptr;
  Colormap mArgbColormap = 0;
  std::vector<CGRect> mMonitors;
  std::map<std::string, Atom> mAtoms;
  std::map<Window, WeakPtr<NSWindow>> mWindows;
  CFFileDescriptorRef mDescriptor = nullptr;
  CFRunLoopSourceRef mSource = nullptr;
  // The press that began the current click run, for click counts.
  unsigned int mLastButton = 0;
  double mLastPressTime = 0;
  int mClickCount = 0;
};

}  // namespace AppKitBackend
