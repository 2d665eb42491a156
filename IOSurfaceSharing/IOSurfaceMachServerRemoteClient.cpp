#include "IOSurfaceMachServerRemoteClient.h"

#include <CoreFoundation/CFString.h>

OBJC_CLASS_DEFINE(IOSurfaceMachServerRemoteClient)

IOSurfaceMachServerRemoteClient*
IOSurfaceMachServerRemoteClient::remoteClientWithPortName_clientID_clientType(uint32_t portName,
                                                                              uint64_t clientID,
                                                                              uint64_t clientType) {
  return static_cast<IOSurfaceMachServerRemoteClient*>(
      alloc()->initWithPortName_clientID_clientType(portName, clientID, clientType)->autorelease());
}

NSNumber* IOSurfaceMachServerRemoteClient::keyNameWithPortName(uint32_t portName) {
  return NSNumber::numberWithUnsignedInt(portName);
}

IOSurfaceMachServerRemoteClient* IOSurfaceMachServerRemoteClient::initWithPortName_clientID_clientType(
    uint32_t portName, uint64_t clientID, uint64_t clientType) {
  mPortName = portName;
  mPort = adopt(NSMachPort::alloc()->initWithMachPort(portName));
  mKeyName = RefPtr<NSNumber>(keyNameWithPortName(portName));
  mClientID = clientID;
  mClientType = clientType;
  return this;
}

const __CFString* IOSurfaceMachServerRemoteClient::copyDescription() const {
  return CFStringCreateWithFormat(
      nullptr, nullptr,
      CFSTR("RemoteClient\nportName:%08lx\nmachPort:%@\nkeyName:%@\nclientID:%08llx\n"
            "clientType:%08llx"),
      (unsigned long)mPortName, mPort.get(), mKeyName.get(), (unsigned long long)mClientID,
      (unsigned long long)mClientType);
}
