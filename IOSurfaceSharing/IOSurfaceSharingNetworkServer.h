#pragma once
// The UDP loopback frame server with its Bonjour publisher. Its socket opens as soon as its
// port is set; while the port is taken it keeps trying, once per frame, and starts serving
// as soon as the port is free. Each frame it reads at most one subscription and casts the
// frame's surface id and time to every subscriber within its lease, then hands the surface to
// the Bonjour publisher. Runs on the frame thread; it takes no locks.
#include <Foundation/NSObject.h>
#include <IOSurface/IOSurface.h>

#include <cstdint>

#include "IOSurfaceSharingServerOutputProtocol.h"
#include "NQBonjourIOSurfaceNetService.h"
#include "UDPLoopbackMessageServer.h"

class IOSurfaceSharingNetworkServer : public NSObject, public IOSurfaceSharingServerOutputProtocol {
  OBJC_CLASS_DECL(IOSurfaceSharingNetworkServer, NSObject)

 public:
  // Autoreleased.
  static IOSurfaceSharingNetworkServer* serverOutputWithConnectionID(NSObject* connectionID);
  static IOSurfaceSharingNetworkServer* surfaceSharingNetServerWithPortNumber(uint16_t port);

  // An NSNumber id sets the port; any other id leaves the server without port or socket.
  IOSurfaceSharingNetworkServer* initWithConnectionID(NSObject* connectionID);

  uint16_t serverPortNumber() const { return _loopbackServer.GetServerPortNumber(); }
  // Opens the socket on the new port and makes a new Bonjour publisher announcing it.
  void setServerPortNumber(uint16_t port);

  // Opens the socket when it is closed, then reads at most one datagram.
  bool hasServerConnection() override;
  bool outputConnect() override { return true; }
  bool outputDisconnect() override { return true; }
  // YES when the frame was cast (to however many subscribers); the publisher gets the
  // surface either way.
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override;
  bool broadcastSurface(IOSurfaceRef surface);

  NQBonjourIOSurfaceNetService* bonjourService() const { return _bonjourService.get(); }
  void setBonjourService(NQBonjourIOSurfaceNetService* service) {
    _bonjourService = RefPtr<NQBonjourIOSurfaceNetService>(service);
  }

  // For tests: the server behind the object.
  const UDPLoopbackMessageServer& loopbackServer() const { return _loopbackServer; }

 protected:
  IOSurfaceSharingNetworkServer() = default;
  void dealloc() override;

 private:
  UDPLoopbackMessageServer _loopbackServer;
  bool _loopbackServerIsServingPackets = false;
  RefPtr<NQBonjourIOSurfaceNetService> _bonjourService;
};
