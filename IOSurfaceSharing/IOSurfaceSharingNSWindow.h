#pragma once
// The base of the message window output: its connection id (an IOSurfaceSharingConnectionID
// only) and the window title made from the id's port name and number, the title that readers
// look the window up by (IOSurfaceSharingNSWindowName.h).
#include <Foundation/NSString.h>

#include <cstdint>

#include "IOSurfaceSharingServerOutput.h"

class IOSurfaceSharingNSWindow : public IOSurfaceSharingServerOutput {
  OBJC_CLASS_DECL(IOSurfaceSharingNSWindow, IOSurfaceSharingServerOutput)

 public:
  // Autoreleased; null without a port name.
  static NSString* mangledServerPortNameWithPublishedPortName_publishedPortNumber(NSString* portName,
                                                                                  uint32_t portNumber);

  IOSurfaceSharingNSWindow* init() override {
    return static_cast<IOSurfaceSharingNSWindow*>(IOSurfaceSharingServerOutput::init());
  }
  // Keeps the id only when it is an IOSurfaceSharingConnectionID.
  IOSurfaceSharingNSWindow* initWithConnectionID(NSObject* connectionID) override;
  void setConnectionID(NSObject* connectionID) override;

  // Autoreleased, or null.
  NSString* serverPublishedPortName() const;
  // 0 without an id or a number.
  uint32_t serverPublishedPortNumber() const;
  // The window title. Autoreleased, or null without a port name.
  NSString* mangledPublishedPortName() const;

 protected:
  IOSurfaceSharingNSWindow() = default;
};
