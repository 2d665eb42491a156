#pragma once
// The message window output: every frame's surface id and time, as a window message
// (IOSurfaceMessagePacket.h), drawn into the pixels of an off-screen exact-bytes window titled
// after the connection id, where readers in other processes find and read it
// (IOSurfaceSharingNSWindowClient.h).
//
// Frames come from one thread at a time; the drawing itself runs on the main thread, queued in
// frame order.
#include <CoreGraphics/CGImage.h>
#include <IOSurface/IOSurface.h>

#include <cstdint>
#include <mutex>

#include "IOSurfaceMessagePacket.h"
#include "IOSurfaceSharingNSWindow.h"
#include "IOSurfaceSharingNSWindowViewNibbler.h"
#include "NSWindowExactBytes.h"

class IOSurfaceSharingNSWindowServer : public IOSurfaceSharingNSWindow {
  OBJC_CLASS_DECL(IOSurfaceSharingNSWindowServer, IOSurfaceSharingNSWindow)

 public:
  IOSurfaceSharingNSWindowServer* init() override {
    return static_cast<IOSurfaceSharingNSWindowServer*>(IOSurfaceSharingNSWindow::init());
  }
  // Makes the message window for one message, titled after the id, and an empty message.
  IOSurfaceSharingNSWindowServer* initWithConnectionID(NSObject* connectionID) override;

  // Autoreleased.
  NSWindowExactBytes* windowExactBytes() const { return __windowExactBytes.get(); }

  // YES while the message window exists.
  bool hasServerConnection() override;
  // The window is never shown: it exists, off screen, from the start.
  bool outputConnect() override { return true; }
  bool outputDisconnect() override { return true; }
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override;
  // Writes the next message for the surface: NO for a surface without id, or no image.
  bool sendMessageSurface_surfaceTime(IOSurfaceRef surface, uint64_t surfaceTime);

  // Whether the image carries a whole message with a matching checksum; the image is released
  // when asked.
  bool verifyMessage_andReleaseImage(CGImageRef image, bool releaseImage);
  bool verifyMessageAndReleaseImage(CGImageRef image) { return verifyMessage_andReleaseImage(image, true); }

  // The diagnostic panels (none unless set; either may be missing, or have no controller yet):
  // after each write, the controller of the one for what was sent gets the window's id, the
  // image read back from it and the name "n/a"; the one for what others see gets the window's
  // title and id when the window is found, and its image as captured by its id.
  IOSurfaceSharingNSWindowViewNibbler* sentImageInfo() const { return __sentImageInfo.get(); }
  void setSentImageInfo(IOSurfaceSharingNSWindowViewNibbler* view) { __sentImageInfo.set(view); }
  IOSurfaceSharingNSWindowViewNibbler* globalImageInfo() const { return __globalImageInfo.get(); }
  void setGlobalImageInfo(IOSurfaceSharingNSWindowViewNibbler* view) { __globalImageInfo.set(view); }

  // Looks the off-screen window with this output's title up once; YES when its id is known.
  bool findServerPublishedPortName();
  uint32_t globalWindowID() const;
  // The found window's pixels as other processes capture them, kept (autoreleased); the last
  // kept image when no new one can be had.
  CGImageRef windowImageGlobalCached();
  void setWindowImageGlobal(CGImageRef image);
  // The caller releases it.
  CGImageRef windowImageGlobalCopy() const;

 protected:
  IOSurfaceSharingNSWindowServer() = default;

 private:
  UAtomicProperty<NSWindowExactBytes> __windowExactBytes;
  mutable std::mutex mLock;
  tagIOSurfaceMessagePacket __message{};
  uint32_t __globalWindowID = 0;
  RefPtr<CGImage> _windowImageGlobal;
  UAtomicProperty<IOSurfaceSharingNSWindowViewNibbler> __sentImageInfo;
  UAtomicProperty<IOSurfaceSharingNSWindowViewNibbler> __globalImageInfo;

  void showWrittenImage(NSWindowExactBytes* window, CGImageRef readBack);
};
