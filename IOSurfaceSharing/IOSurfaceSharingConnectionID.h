#pragma once
// The connection id of a window output: a port name and a port number, either of which may
// be missing.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>

#include <cstdint>

#include "UAtomicProperty.h"

class IOSurfaceSharingConnectionID : public NSObject {
  OBJC_CLASS_DECL(IOSurfaceSharingConnectionID, NSObject)

 public:
  // Autoreleased.
  static IOSurfaceSharingConnectionID* connectionIDwithPortName_portNumber(NSString* portName,
                                                                           NSNumber* portNumber);
  static IOSurfaceSharingConnectionID* connectionIDwithPortNumber(NSNumber* portNumber);
  static IOSurfaceSharingConnectionID* connectionIDwithPortName(NSString* portName);

  IOSurfaceSharingConnectionID* initWithPortName_portNumber(NSString* portName, NSNumber* portNumber);

  NSString* portName() const { return mPortName.get(); }
  void setPortName(NSString* portName) { mPortName.set(portName); }
  NSNumber* portNumber() const { return mPortNumber.get(); }
  void setPortNumber(NSNumber* portNumber) { mPortNumber.set(portNumber); }
  // 0 without a number.
  uint32_t unsignedPortNumber() const;

 protected:
  IOSurfaceSharingConnectionID() = default;

 private:
  UAtomicProperty<NSString> mPortName;
  UAtomicProperty<NSNumber> mPortNumber;
};
