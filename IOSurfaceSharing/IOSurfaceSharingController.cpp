#include "IOSurfaceSharingController.h"

#include <Foundation/NSNotification.h>
#include <objc/ClassMethods.h>
#include <objc/MethodTable.h>

#include "IOSurfaceSharingConnectionID.h"
#include "IOSurfaceSharingNSWindowName.h"

OBJC_CLASS_DEFINE(IOSurfaceSharingController)
OBJC_METHODS(IOSurfaceSharingController,
             OBJC_METHOD("applicationWillTerminate:", &IOSurfaceSharingController::applicationWillTerminate))

// The message window is titled after it too, and its readers build the title from the same
// name: one constant for both sides.
NSString* const IOSurfaceSharingServiceName = NSSTR(kIOSurfaceSharingPublishedPortName);

namespace {

const char* const kPublishSignature = "-[IOSurfaceSharingController publishServerWithTextureClass:]";

}  // namespace

CGSize IOSurfaceSharingController::surfaceSizePixels() { return CGSize{1280.0, 720.0}; }

IOSurfaceSharingController* IOSurfaceSharingController::init() {
  mServerOutputs.set(IOSurfaceSharingServerOutputSet::serverOutputSet());
  mSurfaceSharingUDPPortNumber.set(NSNumber::numberWithUnsignedInt(kSurfaceSharingUDPPortNumber));
  return this;
}

NSObject* IOSurfaceSharingController::delegate() const {
  RefPtr<NSObject> delegate = mDelegate.get();
  return delegate ? delegate.leak()->autorelease() : nullptr;
}

void IOSurfaceSharingController::publishServerWithTextureClass(Class textureClass) {
  setSurfaceTextures(
      IOSurfaceServerTextureQueue::bufferedOutputQueueWithTextureClass_surfaceSize_surfacePixelFormat(
          textureClass, surfaceSizePixels(), kSurfacePixelFormat));
  RefPtr<IOSurfaceSharingServerOutputSet> outputs = mServerOutputs.copy();
  if (!outputs) return;
  RefPtr<NSNumber> port = mSurfaceSharingUDPPortNumber.copy();
  const auto& switches = objc::classMethods<IOSurfaceSharingController>(classObject());
  if (switches.shouldPublishMachMessagingServer(classObject())) {
    NSLog(NSSTR("%@ %s shouldPublishMachMessagingServer=%d\n"), this, kPublishSignature, 1);
    outputs->addServerOutputWithConnectionID(IOSurfaceSharingServiceName);
  }
  if (switches.shouldPublishUDPNetworkServer(classObject())) {
    NSLog(NSSTR("%@ %s shouldPublishUDPNetworkServer=%d\n"), this, kPublishSignature, 1);
    outputs->addServerOutputWithConnectionID(port.get());
  }
  if (switches.shouldPublishNSWindowServer(classObject())) {
    NSLog(NSSTR("%@ %s shouldPublishNSWindowServer=%d\n"), this, kPublishSignature, 1);
    outputs->addServerOutputWithConnectionID(
        IOSurfaceSharingConnectionID::connectionIDwithPortName_portNumber(IOSurfaceSharingServiceName,
                                                                          port.get()));
  }
  outputs->outputConnect();
}

void IOSurfaceSharingController::broadcastNextSurface_render(bool, bool render) {
  RefPtr<IOSurfaceServerTextureQueue> ring = mSurfaceTextures.copy();
  RefPtr<NSOGLTextureIOSurface> texture = ring ? ring->textureCopyWithIndex(mNextSurfaceIndex) : nullptr;
  if (render) delegatedRenderSurface(texture.get());
  RefPtr<IOSurfaceSharingServerOutputSet> outputs = mServerOutputs.copy();
  if (!outputs || !texture) return;
  RefPtr<__IOSurface> surface = adopt(texture->surfaceCopy());
  if (!surface) return;
  outputs->broadcastSurface(surface.get());
  ++mNextSurfaceIndex;
}

void IOSurfaceSharingController::delegatedRenderSurface(NSOGLTextureIOSurface* texture) {
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* renderer = dynamic_cast<IOSurfaceSharingControllerDelegate*>(delegate.get()))
    renderer->surfaceSharing_renderSurface(this, texture);
}

void IOSurfaceSharingController::applicationWillTerminate(NSNotification*) {
  if (RefPtr<IOSurfaceSharingServerOutputSet> outputs = mServerOutputs.copy()) outputs->outputDisconnect();
}
