#include "IOSurfaceSharingServerOutputSet.h"

#include <Foundation/NSArray.h>
#include <objc/MethodTable.h>

OBJC_CLASS_DEFINE(IOSurfaceSharingServerOutputSet)
OBJC_METHODS(IOSurfaceSharingServerOutputSet,
             OBJC_METHOD("setServerOutputPortName:",
                         &IOSurfaceSharingServerOutputSet::setServerOutputPortName),
             OBJC_METHOD("setServerOutputPortNumber:",
                         &IOSurfaceSharingServerOutputSet::setServerOutputPortNumber))

namespace {

IOSurfaceSharingServerOutputProtocol* outputOf(NSObject* member) {
  return dynamic_cast<IOSurfaceSharingServerOutputProtocol*>(member);
}

}  // namespace

IOSurfaceSharingServerOutputSet* IOSurfaceSharingServerOutputSet::serverOutputSet() {
  return static_cast<IOSurfaceSharingServerOutputSet*>(alloc()->init()->autorelease());
}

IOSurfaceSharingServerOutputSet* IOSurfaceSharingServerOutputSet::serverOutputWithConnectionIDs(
    NSArray* connectionIDs) {
  IOSurfaceSharingServerOutputSet* set = serverOutputSet();
  set->addServerOutputsWithConnectionIDs(connectionIDs);
  return set;
}

IOSurfaceSharingServerOutputSet* IOSurfaceSharingServerOutputSet::initWithConnectionID(
    NSObject* connectionID) {
  IOSurfaceSharingServerOutput::initWithConnectionID(connectionID);
  std::lock_guard<std::mutex> lock(mLock);
  mOutputs = adopt(bridge_cast<NSMutableSet*>(CFSetCreateMutable(nullptr, 0, &kCFTypeSetCallBacks)));
  return this;
}

bool IOSurfaceSharingServerOutputSet::addServerOutputWithConnectionID(NSObject* connectionID) {
  return addServerOutput(IOSurfaceSharingServerOutput::serverOutputWithConnectionID(connectionID));
}

void IOSurfaceSharingServerOutputSet::addServerOutputsWithConnectionIDs(NSArray* connectionIDs) {
  if (!connectionIDs) return;
  for (NSObject* connectionID : *connectionIDs) addServerOutputWithConnectionID(connectionID);
}

bool IOSurfaceSharingServerOutputSet::addServerOutput(NSObject* output) {
  if (!outputOf(output)) return false;
  std::lock_guard<std::mutex> lock(mLock);
  mOutputs->addObject(output);
  return true;
}

RefPtr<NSSet> IOSurfaceSharingServerOutputSet::membersCopy() const {
  std::lock_guard<std::mutex> lock(mLock);
  return adopt(mOutputs->copy());
}

NSSet* IOSurfaceSharingServerOutputSet::serverOutputs() const {
  return static_cast<NSSet*>(membersCopy().leak()->autorelease());
}

NSObject* IOSurfaceSharingServerOutputSet::outputWithClass(Class cls) const {
  RefPtr<NSSet> members = membersCopy();
  for (NSObject* member : *members)
    if (member->classObject() == cls) return member->retain()->autorelease();
  return nullptr;
}

bool IOSurfaceSharingServerOutputSet::fanOut(bool (IOSurfaceSharingServerOutputProtocol::*call)()) {
  RefPtr<NSSet> members = membersCopy();
  bool any = false;
  for (NSObject* member : *members)
    if ((outputOf(member)->*call)()) any = true;
  return any;
}

bool IOSurfaceSharingServerOutputSet::hasServerConnection() {
  return fanOut(&IOSurfaceSharingServerOutputProtocol::hasServerConnection);
}

bool IOSurfaceSharingServerOutputSet::outputConnect() {
  return fanOut(&IOSurfaceSharingServerOutputProtocol::outputConnect);
}

bool IOSurfaceSharingServerOutputSet::outputDisconnect() {
  return fanOut(&IOSurfaceSharingServerOutputProtocol::outputDisconnect);
}

bool IOSurfaceSharingServerOutputSet::broadcastSurface_withSurfaceTime(IOSurfaceRef surface,
                                                                       uint64_t surfaceTime) {
  RefPtr<NSSet> members = membersCopy();
  bool any = false;
  for (NSObject* member : *members)
    if (outputOf(member)->broadcastSurface_withSurfaceTime(surface, surfaceTime)) any = true;
  return any;
}

void IOSurfaceSharingServerOutputSet::passOn(SEL selector, NSObject* argument) {
  RefPtr<NSSet> members = membersCopy();
  for (NSObject* member : *members)
    if (member->respondsToSelector(selector)) member->performSelector_withObject(selector, argument);
}

void IOSurfaceSharingServerOutputSet::setServerOutputPortName(NSObject* portName) {
  passOn(SELECTOR("setServerOutputPortName:"), portName);
}

void IOSurfaceSharingServerOutputSet::setServerOutputPortNumber(NSObject* portNumber) {
  passOn(SELECTOR("setServerOutputPortNumber:"), portNumber);
}

void IOSurfaceSharingServerOutputSet::dealloc() {
  outputDisconnect();
  {
    std::lock_guard<std::mutex> lock(mLock);
    mOutputs = nullptr;
  }
  IOSurfaceSharingServerOutput::dealloc();
}
