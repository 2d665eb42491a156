#include "IOSurfaceSharingServerOutput.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <objc/ClassMethods.h>
#include <objc/MethodTable.h>

#include "CoreMachElapsedTime.h"
#include "IOSurfaceSharingConnectionID.h"
#include "IOSurfaceSharingServerOutputNetworkUDP.h"

OBJC_CLASS_DEFINE(IOSurfaceSharingServerOutput)
OBJC_METHODS(IOSurfaceSharingServerOutput,
             OBJC_METHOD("serverOutputPortNumber", &IOSurfaceSharingServerOutput::serverOutputPortNumber),
             OBJC_METHOD("serverOutputPortName", &IOSurfaceSharingServerOutput::serverOutputPortName))

namespace {

// The outputs that other parts of the program bring are found by class name, so that a
// program without them still builds outputs of the other kinds.
IOSurfaceSharingServerOutput* outputOfClassNamed(const char* name, NSObject* connectionID) {
  Class cls = objc_getClass(name);
  if (!cls || !class_isSubclassOfClass(cls, IOSurfaceSharingServerOutput::class_())) return nullptr;
  return objc::classMethods<IOSurfaceSharingServerOutput>(cls).serverOutputWithConnectionID(cls,
                                                                                            connectionID);
}

}  // namespace

IOSurfaceSharingServerOutput* IOSurfaceSharingServerOutput::Meta::serverOutputWithConnectionID(
    Class cls, NSObject* connectionID) const {
  if (cls != IOSurfaceSharingServerOutput::class_()) {
    RefPtr<NSObject> made = adopt(class_createInstance(cls));
    auto* output = dynamic_cast<IOSurfaceSharingServerOutput*>(made.get());
    if (!output) return nullptr;
    // init hands back the object to use, and the reference with it.
    (void)made.leak();
    IOSurfaceSharingServerOutput* initialised = output->initWithConnectionID(connectionID);
    return initialised ? static_cast<IOSurfaceSharingServerOutput*>(initialised->autorelease()) : nullptr;
  }
  if (!connectionID) return nullptr;
  if (NSDynamicCast<NSNumber>(connectionID)) return networkServerOutputWithConnectionID(connectionID);
  if (NSDynamicCast<NSString>(connectionID)) return machServerOutputWithConnectionID(connectionID);
  if (NSObjectIsKindOfClass(connectionID, IOSurfaceSharingConnectionID::class_()))
    return outputOfClassNamed("IOSurfaceSharingNSWindowServer", connectionID);
  return nullptr;
}

IOSurfaceSharingServerOutput* IOSurfaceSharingServerOutput::serverOutputWithConnectionID(
    NSObject* connectionID) {
  return objc::classMethods<IOSurfaceSharingServerOutput>(class_()).serverOutputWithConnectionID(
      class_(), connectionID);
}

IOSurfaceSharingServerOutput* IOSurfaceSharingServerOutput::networkServerOutputWithConnectionID(
    NSObject* connectionID) {
  return IOSurfaceSharingServerOutputNetworkUDP::serverOutputWithConnectionID(connectionID);
}

IOSurfaceSharingServerOutput* IOSurfaceSharingServerOutput::machServerOutputWithConnectionID(
    NSObject* connectionID) {
  return outputOfClassNamed("IOSurfaceSharingServerOutputMachMessage", connectionID);
}

uint64_t IOSurfaceSharingServerOutput::currentSurfaceTimeStamp() {
  return CoreMachElapsedTime::HostTime_nsec();
}

IOSurfaceSharingServerOutput* IOSurfaceSharingServerOutput::init() { return initWithConnectionID(nullptr); }

IOSurfaceSharingServerOutput* IOSurfaceSharingServerOutput::initWithConnectionID(NSObject* connectionID) {
  mConnectionID.set(connectionID);
  return this;
}

void IOSurfaceSharingServerOutput::setConnectionID(NSObject* connectionID) {
  mConnectionID.set(connectionID);
}

bool IOSurfaceSharingServerOutput::hasServerConnection() { return true; }
bool IOSurfaceSharingServerOutput::outputConnect() { return true; }
bool IOSurfaceSharingServerOutput::outputDisconnect() { return true; }
bool IOSurfaceSharingServerOutput::broadcastSurface_withSurfaceTime(IOSurfaceRef, uint64_t) { return false; }

bool IOSurfaceSharingServerOutput::broadcastSurface(IOSurfaceRef surface) {
  return broadcastSurface_withSurfaceTime(surface, currentSurfaceTimeStamp());
}

NSObject* IOSurfaceSharingServerOutput::serverOutputPortNumber() const {
  RefPtr<NSObject> connectionID = connectionIDCopy();
  if (NSDynamicCast<NSNumber>(connectionID.get())) return connectionID.leak()->autorelease();
  if (auto* ids = NSDynamicCast<IOSurfaceSharingConnectionID>(connectionID.get()))
    return NSNumber::numberWithUnsignedInt(ids->unsignedPortNumber());
  return nullptr;
}

NSObject* IOSurfaceSharingServerOutput::serverOutputPortName() const {
  RefPtr<NSObject> connectionID = connectionIDCopy();
  if (NSDynamicCast<NSString>(connectionID.get())) return connectionID.leak()->autorelease();
  if (auto* ids = NSDynamicCast<IOSurfaceSharingConnectionID>(connectionID.get())) return ids->portName();
  return nullptr;
}
