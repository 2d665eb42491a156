#pragma once
// A frame sharing output made from a connection id, whose kind picks the kind of output:
//   NSNumber (a UDP port)            the UDP loopback server with its Bonjour publisher;
//   NSString (a Mach service name)   the Mach frame service;
//   IOSurfaceSharingConnectionID     the message window;
//   anything else                    none.
// The base class answers YES to connecting and NO to broadcasting; each kind overrides what
// it does. A frame is stamped once with the host time, so every output of a set announces
// it with the same time.
#include <Foundation/NSObject.h>
#include <IOSurface/IOSurface.h>

#include <cstdint>

#include "IOSurfaceSharingServerOutputProtocol.h"
#include "UAtomicProperty.h"

class IOSurfaceSharingServerOutput : public NSObject, public IOSurfaceSharingServerOutputProtocol {
  OBJC_CLASS_DECL(IOSurfaceSharingServerOutput, NSObject)

 public:
  struct Meta : NSObject::Meta {
    // +serverOutputWithConnectionID: (autoreleased). On this class, the factory that picks the
    // output by the id's kind; on a subclass, a new instance of that subclass made with the id.
    virtual IOSurfaceSharingServerOutput* serverOutputWithConnectionID(Class cls,
                                                                       NSObject* connectionID) const;
  };

  // The factory: null for a missing id, an id of no known kind, or a kind whose class this
  // program does not have.
  static IOSurfaceSharingServerOutput* serverOutputWithConnectionID(NSObject* connectionID);
  static IOSurfaceSharingServerOutput* networkServerOutputWithConnectionID(NSObject* connectionID);
  static IOSurfaceSharingServerOutput* machServerOutputWithConnectionID(NSObject* connectionID);

  // Host time in nanoseconds.
  static uint64_t currentSurfaceTimeStamp();

  IOSurfaceSharingServerOutput* init() override;
  virtual IOSurfaceSharingServerOutput* initWithConnectionID(NSObject* connectionID);

  // Autoreleased.
  NSObject* connectionID() const { return mConnectionID.get(); }
  virtual void setConnectionID(NSObject* connectionID);

  bool hasServerConnection() override;
  bool outputConnect() override;
  bool outputDisconnect() override;
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override;
  // The surface stamped with the current host time.
  bool broadcastSurface(IOSurfaceRef surface);

  // The id as a port number (an NSNumber, or the number of a connection id), or null.
  NSObject* serverOutputPortNumber() const;
  // The id as a port name (an NSString, or the name of a connection id), or null.
  NSObject* serverOutputPortName() const;

 protected:
  IOSurfaceSharingServerOutput() = default;
  // The connection id without leaving it in the autorelease pool.
  RefPtr<NSObject> connectionIDCopy() const { return mConnectionID.copy(); }

 private:
  UAtomicProperty<NSObject> mConnectionID;
};
