#pragma once
// An output that fans every call out to its members (an unordered set), so that the sharing
// controller talks to one object. A fan-out answers YES when at least one member did, NO for
// an empty set; every member hears every call, and a frame reaches all members with one time
// stamp.
#include <Foundation/NSObject.h>
#include <Foundation/NSSet.h>

#include <mutex>

#include "IOSurfaceSharingServerOutput.h"

class NSArray;

class IOSurfaceSharingServerOutputSet : public IOSurfaceSharingServerOutput {
  OBJC_CLASS_DECL(IOSurfaceSharingServerOutputSet, IOSurfaceSharingServerOutput)

 public:
  // Autoreleased.
  static IOSurfaceSharingServerOutputSet* serverOutputSet();
  static IOSurfaceSharingServerOutputSet* serverOutputWithConnectionIDs(NSArray* connectionIDs);

  // An empty set.
  IOSurfaceSharingServerOutputSet* init() override {
    return static_cast<IOSurfaceSharingServerOutputSet*>(IOSurfaceSharingServerOutput::init());
  }
  IOSurfaceSharingServerOutputSet* initWithConnectionID(NSObject* connectionID) override;

  // NO when the id makes no output.
  bool addServerOutputWithConnectionID(NSObject* connectionID);
  void addServerOutputsWithConnectionIDs(NSArray* connectionIDs);
  // NO for null or an object that is no output; adding a member again keeps one.
  bool addServerOutput(NSObject* output);
  // Autoreleased: the members of the moment.
  NSSet* serverOutputs() const;
  // The first member whose class is exactly cls.
  NSObject* outputWithClass(Class cls) const;

  bool hasServerConnection() override;
  bool outputConnect() override;
  bool outputDisconnect() override;
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override;
  // Passed on to the members that answer them.
  void setServerOutputPortName(NSObject* portName);
  void setServerOutputPortNumber(NSObject* portNumber);

 protected:
  IOSurfaceSharingServerOutputSet() = default;
  void dealloc() override;

 private:
  // The members, copied under the lock: a member added meanwhile does not disturb the walk.
  RefPtr<NSSet> membersCopy() const;
  bool fanOut(bool (IOSurfaceSharingServerOutputProtocol::*call)());
  void passOn(SEL selector, NSObject* argument);

  mutable std::mutex mLock;
  RefPtr<NSMutableSet> mOutputs;
};
