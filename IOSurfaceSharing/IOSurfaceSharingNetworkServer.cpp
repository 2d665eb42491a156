#include "IOSurfaceSharingNetworkServer.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSValue.h>

#include "IOSurfaceSharingServerOutput.h"

OBJC_CLASS_DEFINE(IOSurfaceSharingNetworkServer)

IOSurfaceSharingNetworkServer* IOSurfaceSharingNetworkServer::serverOutputWithConnectionID(
    NSObject* connectionID) {
  return static_cast<IOSurfaceSharingNetworkServer*>(
      alloc()->initWithConnectionID(connectionID)->autorelease());
}

IOSurfaceSharingNetworkServer* IOSurfaceSharingNetworkServer::surfaceSharingNetServerWithPortNumber(
    uint16_t port) {
  return serverOutputWithConnectionID(NSNumber::numberWithUnsignedShort(port));
}

IOSurfaceSharingNetworkServer* IOSurfaceSharingNetworkServer::initWithConnectionID(NSObject* connectionID) {
  if (auto* port = NSDynamicCast<NSNumber>(connectionID)) {
    _loopbackServerIsServingPackets = false;
    setServerPortNumber(port->unsignedShortValue());
  }
  return this;
}

void IOSurfaceSharingNetworkServer::setServerPortNumber(uint16_t port) {
  _loopbackServer.SetServerPortNumber(port);
  _bonjourService = adopt(NQBonjourIOSurfaceNetService::alloc()->init());
  if (_bonjourService) _bonjourService->setServicePortNumber(port);
}

bool IOSurfaceSharingNetworkServer::hasServerConnection() {
  // A socket that a new port could not open is tried again, so that serving resumes as soon
  // as the port is free.
  if (!_loopbackServerIsServingPackets || !_loopbackServer.IsServerSocketOpen())
    _loopbackServerIsServingPackets = _loopbackServer.OpenServerSocket();
  if (_loopbackServerIsServingPackets) _loopbackServer.HandleClientMessages();
  return _loopbackServerIsServingPackets;
}

bool IOSurfaceSharingNetworkServer::broadcastSurface_withSurfaceTime(IOSurfaceRef surface,
                                                                     uint64_t surfaceTime) {
  bool cast = false;
  if (_loopbackServerIsServingPackets) {
    const UDPLoopBackMessageData message(MessageType_ServerDataCast, IOSurfaceGetID(surface), surfaceTime,
                                         UDPLoopBackMessageData::kServerDataCastText);
    _loopbackServer.BroadcastMessageToActiveClients(message);
    cast = true;
  }
  if (_bonjourService) _bonjourService->broadcastSurface(surface);
  return cast;
}

bool IOSurfaceSharingNetworkServer::broadcastSurface(IOSurfaceRef surface) {
  return broadcastSurface_withSurfaceTime(surface, IOSurfaceSharingServerOutput::currentSurfaceTimeStamp());
}

void IOSurfaceSharingNetworkServer::dealloc() {
  if (_bonjourService) _bonjourService->unpublishServiceEtc();
  _bonjourService = nullptr;
  NSObject::dealloc();
}
