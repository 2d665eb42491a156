#include "IOSurfaceSharingNSWindow.h"

#include <Foundation/NSBridging.h>

#include "IOSurfaceSharingConnectionID.h"
#include "IOSurfaceSharingNSWindowName.h"

OBJC_CLASS_DEFINE(IOSurfaceSharingNSWindow)

NSString* IOSurfaceSharingNSWindow::mangledServerPortNameWithPublishedPortName_publishedPortNumber(
    NSString* portName, uint32_t portNumber) {
  CFStringRef name = IOSurfaceSharingNSWindow_CopyMangledVersionOfPublishedServerPortName(
      bridge_cast<CFStringRef>(portName), portNumber);
  return name ? static_cast<NSString*>(bridge_cast<NSString*>(name)->autorelease()) : nullptr;
}

IOSurfaceSharingNSWindow* IOSurfaceSharingNSWindow::initWithConnectionID(NSObject* connectionID) {
  IOSurfaceSharingServerOutput::initWithConnectionID(nullptr);
  setConnectionID(connectionID);
  return this;
}

void IOSurfaceSharingNSWindow::setConnectionID(NSObject* connectionID) {
  IOSurfaceSharingServerOutput::setConnectionID(
      NSObjectIsKindOfClass(connectionID, IOSurfaceSharingConnectionID::class_()) ? connectionID : nullptr);
}

NSString* IOSurfaceSharingNSWindow::serverPublishedPortName() const {
  return NSDynamicCast<NSString>(serverOutputPortName());
}

uint32_t IOSurfaceSharingNSWindow::serverPublishedPortNumber() const {
  NSNumber* number = NSDynamicCast<NSNumber>(serverOutputPortNumber());
  return number ? number->unsignedIntValue() : 0;
}

NSString* IOSurfaceSharingNSWindow::mangledPublishedPortName() const {
  return mangledServerPortNameWithPublishedPortName_publishedPortNumber(serverPublishedPortName(),
                                                                        serverPublishedPortNumber());
}
