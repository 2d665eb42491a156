#pragma once
// The UDP loopback output: its server listens on the port of its connection id (an NSNumber)
// and, before each frame, reads one subscription; frames are cast only while the port is its.
#include "IOSurfaceSharingNetworkServer.h"
#include "IOSurfaceSharingServerOutput.h"
#include "UAtomicProperty.h"

class IOSurfaceSharingServerOutputNetworkUDP : public IOSurfaceSharingServerOutput {
  OBJC_CLASS_DECL(IOSurfaceSharingServerOutputNetworkUDP, IOSurfaceSharingServerOutput)

 public:
  // Autoreleased.
  static IOSurfaceSharingServerOutputNetworkUDP* serverOutputWithConnectionID(NSObject* connectionID);

  // Without an id: no server.
  IOSurfaceSharingServerOutputNetworkUDP* init() override {
    return static_cast<IOSurfaceSharingServerOutputNetworkUDP*>(IOSurfaceSharingServerOutput::init());
  }
  IOSurfaceSharingServerOutputNetworkUDP* initWithConnectionID(NSObject* connectionID) override;

  // Autoreleased.
  IOSurfaceSharingNetworkServer* networkSurfaceServer() const { return _networkSurfaceServer.get(); }
  void setNetworkSurfaceServer(IOSurfaceSharingNetworkServer* server) { _networkSurfaceServer.set(server); }

  // The id's port; 0 without one.
  uint16_t unsignedNetworkPortFromConnectionID() const;
  // Moves the server to the new id's port.
  void setConnectionID(NSObject* connectionID) override;
  void setServerOutputPortNumber(NSObject* portNumber) { setConnectionID(portNumber); }

  bool hasServerConnection() override;
  // Casts while the server holds its port; answers NO in any case.
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override;

 protected:
  IOSurfaceSharingServerOutputNetworkUDP() = default;

 private:
  UAtomicProperty<IOSurfaceSharingNetworkServer> _networkSurfaceServer;
};
