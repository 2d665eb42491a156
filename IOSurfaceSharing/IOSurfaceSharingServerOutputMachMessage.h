#pragma once
// The Mach output: its server checks the service name of its connection id (an NSString) in
// when the output connects, and sends every frame to the clients that checked in.
#include "IOSurfaceMachServer.h"
#include "IOSurfaceSharingServerOutput.h"
#include "UAtomicProperty.h"

class IOSurfaceSharingServerOutputMachMessage : public IOSurfaceSharingServerOutput,
                                                public IOSurfaceMachServerDelegate {
  OBJC_CLASS_DECL(IOSurfaceSharingServerOutputMachMessage, IOSurfaceSharingServerOutput)

 public:
  // Autoreleased.
  static IOSurfaceSharingServerOutputMachMessage* serverOutputWithConnectionID(NSObject* connectionID);

  IOSurfaceSharingServerOutputMachMessage* init() override {
    return static_cast<IOSurfaceSharingServerOutputMachMessage*>(IOSurfaceSharingServerOutput::init());
  }
  // Makes the server, with this output as its delegate.
  IOSurfaceSharingServerOutputMachMessage* initWithConnectionID(NSObject* connectionID) override;

  // Autoreleased.
  IOSurfaceMachServer* machSurfaceServer() const { return __machSurfaceServer.get(); }
  void setMachSurfaceServer(IOSurfaceMachServer* server) { __machSurfaceServer.set(server); }
  // The service name: the connection id (autoreleased).
  NSObject* machPortNameFromConnectionID() const { return connectionID(); }

  // Checks the service in; NO without a server or when the name cannot be had.
  bool outputConnect() override;
  // Ends the service and lets the server go.
  bool outputDisconnect() override;
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override;
  // Serves under another name from now on.
  void setServerOutputPortName(NSObject* portName);

  void surfaceServer_disconnectedServerPort(IOSurfaceMachServer*, NSMachPort*) override {}
  void surfaceServer_disconnectedClientWithPort(IOSurfaceMachServer*, NSMachPort*) override {}

 protected:
  IOSurfaceSharingServerOutputMachMessage() = default;

 private:
  UAtomicProperty<IOSurfaceMachServer> __machSurfaceServer;
};
