#include "IOSurfaceSharingServerOutputMachMessage.h"

#include <Foundation/NSBridging.h>
#include <objc/ClassMethods.h>
#include <objc/MethodTable.h>

OBJC_CLASS_DEFINE(IOSurfaceSharingServerOutputMachMessage)
OBJC_METHODS(IOSurfaceSharingServerOutputMachMessage,
             OBJC_METHOD("setServerOutputPortName:",
                         &IOSurfaceSharingServerOutputMachMessage::setServerOutputPortName))

IOSurfaceSharingServerOutputMachMessage*
IOSurfaceSharingServerOutputMachMessage::serverOutputWithConnectionID(NSObject* connectionID) {
  return static_cast<IOSurfaceSharingServerOutputMachMessage*>(
      objc::classMethods<IOSurfaceSharingServerOutput>(class_()).serverOutputWithConnectionID(class_(),
                                                                                              connectionID));
}

IOSurfaceSharingServerOutputMachMessage* IOSurfaceSharingServerOutputMachMessage::initWithConnectionID(
    NSObject* connectionID) {
  IOSurfaceSharingServerOutput::initWithConnectionID(connectionID);
  RefPtr<IOSurfaceMachServer> server =
      adopt(static_cast<IOSurfaceMachServer*>(IOSurfaceMachServer::alloc()->initWithDelegate(this)));
  __machSurfaceServer.set(server.get());
  return this;
}

bool IOSurfaceSharingServerOutputMachMessage::outputConnect() {
  RefPtr<IOSurfaceMachServer> server = __machSurfaceServer.copy();
  if (!server) return false;
  RefPtr<NSObject> connectionID = connectionIDCopy();
  return server->publishServerConnectionWithServerPortName(NSDynamicCast<NSString>(connectionID.get()));
}

bool IOSurfaceSharingServerOutputMachMessage::outputDisconnect() {
  RefPtr<IOSurfaceMachServer> server = __machSurfaceServer.copy();
  if (!server) return false;
  server->disconnect();
  __machSurfaceServer.set(nullptr);
  return true;
}

bool IOSurfaceSharingServerOutputMachMessage::broadcastSurface_withSurfaceTime(IOSurfaceRef surface,
                                                                               uint64_t surfaceTime) {
  RefPtr<IOSurfaceMachServer> server = __machSurfaceServer.copy();
  if (!server) return false;
  server->broadcastFrameSurface_surfaceTimeStamp(surface, surfaceTime);
  return true;
}

void IOSurfaceSharingServerOutputMachMessage::setServerOutputPortName(NSObject* portName) {
  RefPtr<IOSurfaceMachServer> server = __machSurfaceServer.copy();
  if (!server) return;
  setConnectionID(portName);
  server->setServerOutputPortName(NSDynamicCast<NSString>(portName));
}
