#include "IOSurfaceSharingConnectionID.h"

OBJC_CLASS_DEFINE(IOSurfaceSharingConnectionID)

IOSurfaceSharingConnectionID* IOSurfaceSharingConnectionID::connectionIDwithPortName_portNumber(
    NSString* portName, NSNumber* portNumber) {
  return static_cast<IOSurfaceSharingConnectionID*>(
      alloc()->initWithPortName_portNumber(portName, portNumber)->autorelease());
}

IOSurfaceSharingConnectionID* IOSurfaceSharingConnectionID::connectionIDwithPortNumber(NSNumber* portNumber) {
  return connectionIDwithPortName_portNumber(nullptr, portNumber);
}

IOSurfaceSharingConnectionID* IOSurfaceSharingConnectionID::connectionIDwithPortName(NSString* portName) {
  return connectionIDwithPortName_portNumber(portName, nullptr);
}

IOSurfaceSharingConnectionID* IOSurfaceSharingConnectionID::initWithPortName_portNumber(
    NSString* portName, NSNumber* portNumber) {
  mPortName.set(portName);
  mPortNumber.set(portNumber);
  return this;
}

uint32_t IOSurfaceSharingConnectionID::unsignedPortNumber() const {
  RefPtr<NSNumber> number = mPortNumber.copy();
  return number ? number->unsignedIntValue() : 0;
}
