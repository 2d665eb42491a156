#pragma once
// Shares the picture of the selected output channel with the other processes of the machine:
// each frame is drawn (by the delegate) into the next surface of a ring of two global surfaces
// and announced, with one time stamp, through every output of the output set: the Mach
// service, the UDP loopback server with its Bonjour publisher and, where the class switch
// says so, the message window. Frames come from one thread at a time.
#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <objc/WeakPtr.h>

#include <cstdint>

#include "IOSurfaceServerTextureQueue.h"
#include "IOSurfaceSharingServerOutputSet.h"
#include "UAtomicProperty.h"

class IOSurfaceSharingController;
class NSNotification;

// The service name: the Mach bootstrap name, and the port name of the window output's id.
extern NSString* const IOSurfaceSharingServiceName;

// What the delegate does: draw the frame into the texture's surface.
class IOSurfaceSharingControllerDelegate {
 public:
  virtual ~IOSurfaceSharingControllerDelegate() = default;
  virtual void surfaceSharing_renderSurface(IOSurfaceSharingController* controller,
                                            NSOGLTextureIOSurface* texture) = 0;
};

class IOSurfaceSharingController : public NSObject {
  OBJC_CLASS_DECL(IOSurfaceSharingController, NSObject)

 public:
  // The outputs to publish, chosen by the receiving class: a subclass overrides them.
  struct Meta : NSObject::Meta {
    virtual bool shouldPublishMachMessagingServer(Class) const { return true; }
    virtual bool shouldPublishUDPNetworkServer(Class) const { return true; }
    virtual bool shouldPublishNSWindowServer(Class) const { return false; }
  };

  static constexpr uint32_t kSurfaceSharingUDPPortNumber = 30100;
  // The shared surfaces' size in pixels and format ('BGRA').
  static CGSize surfaceSizePixels();
  static constexpr uint32_t kSurfacePixelFormat = 0x42475241;

  // An empty output set and the default UDP port.
  IOSurfaceSharingController* init() override;
  void awakeFromNib() override {}

  // Not retained. The delegate object answers IOSurfaceSharingControllerDelegate.
  NSObject* delegate() const;
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

  // Makes the ring of textures of the class and publishes the outputs the class switches
  // choose. Once.
  void publishServerWithTextureClass(Class textureClass);
  // Lets the delegate draw the next surface of the ring (when render is set) and hands the
  // surface to every output; the first flag is not consulted.
  void broadcastNextSurface_render(bool broadcast, bool render);
  void delegatedRenderSurface(NSOGLTextureIOSurface* texture);
  void applicationWillTerminate(NSNotification* notification);

  // Autoreleased.
  IOSurfaceServerTextureQueue* surfaceTextures() const { return mSurfaceTextures.get(); }
  void setSurfaceTextures(IOSurfaceServerTextureQueue* queue) { mSurfaceTextures.set(queue); }
  IOSurfaceSharingServerOutputSet* serverOutputs() const { return mServerOutputs.get(); }
  void setServerOutputs(IOSurfaceSharingServerOutputSet* outputs) { mServerOutputs.set(outputs); }
  NSNumber* surfaceSharingUDPPortNumber() const { return mSurfaceSharingUDPPortNumber.get(); }
  void setSurfaceSharingUDPPortNumber(NSNumber* port) { mSurfaceSharingUDPPortNumber.set(port); }
  uint32_t nextSurfaceIndex() const { return mNextSurfaceIndex; }

 protected:
  IOSurfaceSharingController() = default;

 private:
  WeakPtr<NSObject> mDelegate;
  UAtomicProperty<IOSurfaceServerTextureQueue> mSurfaceTextures;
  UAtomicProperty<IOSurfaceSharingServerOutputSet> mServerOutputs;
  uint32_t mNextSurfaceIndex = 0;
  UAtomicProperty<NSNumber> mSurfaceSharingUDPPortNumber;
};
