#include "IOSurfaceSharingServerOutputNetworkUDP.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSValue.h>
#include <objc/ClassMethods.h>
#include <objc/MethodTable.h>

OBJC_CLASS_DEFINE(IOSurfaceSharingServerOutputNetworkUDP)
OBJC_METHODS(IOSurfaceSharingServerOutputNetworkUDP,
             OBJC_METHOD("setServerOutputPortNumber:",
                         &IOSurfaceSharingServerOutputNetworkUDP::setServerOutputPortNumber))

IOSurfaceSharingServerOutputNetworkUDP* IOSurfaceSharingServerOutputNetworkUDP::serverOutputWithConnectionID(
    NSObject* connectionID) {
  return static_cast<IOSurfaceSharingServerOutputNetworkUDP*>(
      objc::classMethods<IOSurfaceSharingServerOutput>(class_()).serverOutputWithConnectionID(class_(),
                                                                                              connectionID));
}

IOSurfaceSharingServerOutputNetworkUDP* IOSurfaceSharingServerOutputNetworkUDP::initWithConnectionID(
    NSObject* connectionID) {
  IOSurfaceSharingServerOutput::initWithConnectionID(connectionID);
  if (connectionID)
    _networkSurfaceServer.set(IOSurfaceSharingNetworkServer::surfaceSharingNetServerWithPortNumber(
        unsignedNetworkPortFromConnectionID()));
  return this;
}

uint16_t IOSurfaceSharingServerOutputNetworkUDP::unsignedNetworkPortFromConnectionID() const {
  RefPtr<NSObject> connectionID = connectionIDCopy();
  auto* port = NSDynamicCast<NSNumber>(connectionID.get());
  return port ? port->unsignedShortValue() : 0;
}

void IOSurfaceSharingServerOutputNetworkUDP::setConnectionID(NSObject* connectionID) {
  IOSurfaceSharingServerOutput::setConnectionID(connectionID);
  RefPtr<IOSurfaceSharingNetworkServer> server = _networkSurfaceServer.copy();
  if (connectionID && server) server->setServerPortNumber(unsignedNetworkPortFromConnectionID());
}

bool IOSurfaceSharingServerOutputNetworkUDP::hasServerConnection() {
  RefPtr<IOSurfaceSharingNetworkServer> server = _networkSurfaceServer.copy();
  return server && server->hasServerConnection();
}

bool IOSurfaceSharingServerOutputNetworkUDP::broadcastSurface_withSurfaceTime(IOSurfaceRef surface,
                                                                              uint64_t surfaceTime) {
  RefPtr<IOSurfaceSharingNetworkServer> server = _networkSurfaceServer.copy();
  if (server && server->hasServerConnection()) server->broadcastSurface_withSurfaceTime(surface, surfaceTime);
  return false;
}
