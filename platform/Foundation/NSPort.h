#pragma once
// Ports as objects. NSMachPort wraps a Mach port name of this process (over CFMachPort):
// scheduled in a run loop, it hands each message that arrives to its delegate's
// handleMachMessage on that loop's thread. When the port becomes invalid (invalidate, or the
// death of the port a send right leads to) it posts NSPortDidBecomeInvalidNotification with
// itself as object. One object stands for one name at a time.
#include <cstdint>
#include <mutex>

#include <CoreFoundation/CFMachPort.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#pragma GCC visibility push(default)

class NSRunLoop;

FOUNDATION_EXPORT NSString* const NSPortDidBecomeInvalidNotification;

// What a port's delegate answers to receive raw Mach messages: the message lies in a buffer
// of the port's; the rights in it are the delegate's.
class NSMachPortDelegate {
 public:
  virtual void handleMachMessage(void* msg) = 0;

 protected:
  ~NSMachPortDelegate() = default;
};

class __attribute__((visibility("default"))) NSPort : public NSObject {
  OBJC_CLASS_DECL(NSPort, NSObject)

 public:
  // A new port (autoreleased): an NSMachPort with a receive right and a send right.
  static NSPort* port();

  virtual void invalidate();
  virtual bool isValid() const;
  // Not retained.
  virtual void setDelegate(NSObject* delegate);
  virtual NSObject* delegate() const;
  virtual void scheduleInRunLoop_forMode(NSRunLoop* runLoop, NSString* mode);
  virtual void removeFromRunLoop_forMode(NSRunLoop* runLoop, NSString* mode);

 protected:
  NSPort() = default;
};

typedef NSUInteger NSMachPortOptions;
enum : NSMachPortOptions {
  NSMachPortDeallocateNone = 0,
  NSMachPortDeallocateSendRight = 1 << 0,
  NSMachPortDeallocateReceiveRight = 1 << 1,
};

class __attribute__((visibility("default"))) NSMachPort : public NSPort {
  OBJC_CLASS_DECL(NSMachPort, NSPort)

 public:
  // Autoreleased. The object owns one reference of the rights the options name and drops them
  // when it goes; the default owns a send right. When the name has an object already, that
  // object is answered and the reference given with this call is dropped at once.
  static NSMachPort* portWithMachPort(uint32_t machPort);
  static NSMachPort* portWithMachPort_options(uint32_t machPort, NSMachPortOptions options);

  // A new port with its receive right and a send right, both owned. Null when none can be had.
  NSMachPort* init() override;
  NSMachPort* initWithMachPort(uint32_t machPort);
  NSMachPort* initWithMachPort_options(uint32_t machPort, NSMachPortOptions options);

  uint32_t machPort() const { return mMachPort; }

  void invalidate() override;
  bool isValid() const override;
  void setDelegate(NSObject* delegate) override;
  NSObject* delegate() const override;
  void scheduleInRunLoop_forMode(NSRunLoop* runLoop, NSString* mode) override;
  void removeFromRunLoop_forMode(NSRunLoop* runLoop, NSString* mode) override;

  bool isEqual(const NSObject* other) const override;
  unsigned long hash() const override { return mMachPort; }

 protected:
  NSMachPort() = default;
  ~NSMachPort() override;

 private:
  struct CallBacks;
  // Wraps the name in its CF port; false when the name holds no right.
  bool attach(uint32_t machPort, NSMachPortOptions options);

  uint32_t mMachPort = 0;
  NSMachPortOptions mOptions = NSMachPortDeallocateNone;
  CFMachPortRef mPort = nullptr;
  mutable std::mutex mLock;  // the source and the delegate
  CFRunLoopSourceRef mSource = nullptr;
  WeakPtr<NSObject> mDelegate;
};

#pragma GCC visibility pop
