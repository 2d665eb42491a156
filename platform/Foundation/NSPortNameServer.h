#pragma once
// Port name servers: NSMachBootstrapServer names Mach ports through the bootstrap service,
// shared by the processes of one system root.
#include <Foundation/NSObject.h>
#include <Foundation/NSPort.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class __attribute__((visibility("default"))) NSPortNameServer : public NSObject {
  OBJC_CLASS_DECL(NSPortNameServer, NSObject)

 public:
  // A send right to the port served under the name (autoreleased), or null.
  virtual NSPort* portForName(NSString* name);

 protected:
  NSPortNameServer() = default;
};

class __attribute__((visibility("default"))) NSMachBootstrapServer : public NSPortNameServer {
  OBJC_CLASS_DECL(NSMachBootstrapServer, NSPortNameServer)

 public:
  static NSMachBootstrapServer* sharedInstance();

  NSPort* portForName(NSString* name) override;
  // Checks the name in: the receive right of the service's port (autoreleased), or null when
  // the name is served already or cannot be.
  NSPort* servicePortWithName(NSString* name);

 protected:
  NSMachBootstrapServer() = default;
};

#pragma GCC visibility pop
