#include <Foundation/NSPortNameServer.h>
#include <mach/mach.h>
#include <servers/bootstrap.h>

OBJC_CLASS_DEFINE_NO_FACTORY(NSPortNameServer)
OBJC_CLASS_DEFINE(NSMachBootstrapServer)

NSPort* NSPortNameServer::portForName(NSString*) { return nullptr; }

NSMachBootstrapServer* NSMachBootstrapServer::sharedInstance() {
  static NSMachBootstrapServer* const server = [] {
    auto* made = static_cast<NSMachBootstrapServer*>(alloc()->init());
    made->makeImmortal();
    return made;
  }();
  return server;
}

NSPort* NSMachBootstrapServer::portForName(NSString* name) {
  mach_port_t port = MACH_PORT_NULL;
  if (!name || bootstrap_look_up(bootstrap_port, name->UTF8String(), &port) != BOOTSTRAP_SUCCESS)
    return nullptr;
  return NSMachPort::portWithMachPort_options(port, NSMachPortDeallocateSendRight);
}

NSPort* NSMachBootstrapServer::servicePortWithName(NSString* name) {
  mach_port_t port = MACH_PORT_NULL;
  if (!name || bootstrap_check_in(bootstrap_port, name->UTF8String(), &port) != BOOTSTRAP_SUCCESS)
    return nullptr;
  return NSMachPort::portWithMachPort_options(port, NSMachPortDeallocateReceiveRight);
}
