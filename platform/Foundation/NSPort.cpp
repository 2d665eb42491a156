#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSPort.h>
#include <Foundation/NSRunLoop.h>
#include <mach/mach.h>

#include <map>

NSString* const NSPortDidBecomeInvalidNotification = NSSTR("NSPortDidBecomeInvalidNotification");

OBJC_CLASS_DEFINE_NO_FACTORY(NSPort)
OBJC_CLASS_DEFINE(NSMachPort)

NSPort* NSPort::port() {
  NSMachPort* made = NSMachPort::alloc()->init();
  return made ? static_cast<NSPort*>(made->autorelease()) : nullptr;
}

void NSPort::invalidate() {}
bool NSPort::isValid() const { return false; }
void NSPort::setDelegate(NSObject*) {}
NSObject* NSPort::delegate() const { return nullptr; }
void NSPort::scheduleInRunLoop_forMode(NSRunLoop*, NSString*) {}
void NSPort::removeFromRunLoop_forMode(NSRunLoop*, NSString*) {}

namespace {

// One object per name; the table does not retain them.
std::mutex& portsLock() {
  static std::mutex* lock = new std::mutex();
  return *lock;
}

std::map<uint32_t, NSMachPort*>& ports() {
  static auto* table = new std::map<uint32_t, NSMachPort*>();
  return *table;
}

}  // namespace

// The CF port reaches its object through a weak reference, so that a message or a death that
// comes while the object goes away finds nobody.
struct NSMachPort::CallBacks {
  static void release(const void* info) { delete static_cast<const WeakPtr<NSMachPort>*>(info); }

  static void message(CFMachPortRef, void* msg, CFIndex, void* info) {
    RefPtr<NSObject> delegate;
    if (RefPtr<NSMachPort> port = static_cast<WeakPtr<NSMachPort>*>(info)->get()) {
      std::lock_guard<std::mutex> guard(port->mLock);
      delegate = port->mDelegate.get();
    }
    // The port is not held while its message is handled: whoever lets it go meanwhile (a
    // server that stops) frees it, and its name, at once.
    if (auto* handler = dynamic_cast<NSMachPortDelegate*>(delegate.get())) {
      handler->handleMachMessage(msg);
    } else {
      mach_msg_destroy(static_cast<mach_msg_header_t*>(msg));
    }
  }

  static void invalidated(CFMachPortRef, void* info) {
    // Deaths are told on a thread of the port layer, whose pool is never drained.
    objc::AutoreleasePool pool;
    RefPtr<NSMachPort> port = static_cast<WeakPtr<NSMachPort>*>(info)->get();
    if (port)
      NSNotificationCenter::defaultCenter()->postNotificationName_object(NSPortDidBecomeInvalidNotification,
                                                                         port.get());
  }
};

NSMachPort* NSMachPort::portWithMachPort(uint32_t machPort) {
  return portWithMachPort_options(machPort, NSMachPortDeallocateSendRight);
}

NSMachPort* NSMachPort::portWithMachPort_options(uint32_t machPort, NSMachPortOptions options) {
  NSMachPort* made = alloc()->initWithMachPort_options(machPort, options);
  return made ? static_cast<NSMachPort*>(made->autorelease()) : nullptr;
}

NSMachPort* NSMachPort::init() {
  mach_port_t name = MACH_PORT_NULL;
  if (mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &name) != KERN_SUCCESS ||
      mach_port_insert_right(mach_task_self(), name, name, MACH_MSG_TYPE_MAKE_SEND) != KERN_SUCCESS) {
    if (name != MACH_PORT_NULL) mach_port_destroy(mach_task_self(), name);
    release();
    return nullptr;
  }
  return initWithMachPort_options(name, NSMachPortDeallocateSendRight | NSMachPortDeallocateReceiveRight);
}

NSMachPort* NSMachPort::initWithMachPort(uint32_t machPort) {
  return initWithMachPort_options(machPort, NSMachPortDeallocateSendRight);
}

NSMachPort* NSMachPort::initWithMachPort_options(uint32_t machPort, NSMachPortOptions options) {
  NSMachPort* existing = nullptr;
  {
    std::lock_guard<std::mutex> guard(portsLock());
    auto found = ports().find(machPort);
    if (found != ports().end() && found->second->isValid() && found->second->tryRetain())
      existing = found->second;
  }
  if (existing) {
    if (options & NSMachPortDeallocateSendRight) mach_port_deallocate(mach_task_self(), machPort);
    release();
    return existing;
  }
  if (!attach(machPort, options)) {
    release();
    return nullptr;
  }
  return this;
}

bool NSMachPort::attach(uint32_t machPort, NSMachPortOptions options) {
  CFMachPortContext context{};
  context.info = new WeakPtr<NSMachPort>(this);
  context.release = CallBacks::release;
  Boolean shouldFreeInfo = false;
  mPort = CFMachPortCreateWithPort(nullptr, machPort, CallBacks::message, &context, &shouldFreeInfo);
  if (shouldFreeInfo) CallBacks::release(context.info);
  if (!mPort) return false;
  mMachPort = machPort;
  mOptions = options;
  {
    std::lock_guard<std::mutex> guard(portsLock());
    ports()[machPort] = this;
  }
  CFMachPortSetInvalidationCallBack(mPort, CallBacks::invalidated);
  return true;
}

NSMachPort::~NSMachPort() {
  {
    std::lock_guard<std::mutex> guard(portsLock());
    auto found = ports().find(mMachPort);
    if (found != ports().end() && found->second == this) ports().erase(found);
  }
  if (mSource) CFRelease(mSource);
  if (mPort) {
    CFMachPortInvalidate(mPort);
    CFRelease(mPort);
  }
  if (mOptions & NSMachPortDeallocateReceiveRight)
    mach_port_mod_refs(mach_task_self(), mMachPort, MACH_PORT_RIGHT_RECEIVE, -1);
  if (mOptions & NSMachPortDeallocateSendRight) mach_port_deallocate(mach_task_self(), mMachPort);
}

void NSMachPort::invalidate() {
  if (mPort) CFMachPortInvalidate(mPort);
}

bool NSMachPort::isValid() const { return mPort && CFMachPortIsValid(mPort); }

void NSMachPort::setDelegate(NSObject* delegate) {
  std::lock_guard<std::mutex> guard(mLock);
  mDelegate = delegate;
}

NSObject* NSMachPort::delegate() const {
  RefPtr<NSObject> delegate;
  {
    std::lock_guard<std::mutex> guard(mLock);
    delegate = mDelegate.get();
  }
  return delegate ? delegate->retain()->autorelease() : nullptr;
}

void NSMachPort::scheduleInRunLoop_forMode(NSRunLoop* runLoop, NSString* mode) {
  if (!runLoop || !mPort) return;
  CFRunLoopSourceRef source;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (!mSource) mSource = CFMachPortCreateRunLoopSource(nullptr, mPort, 0);
    source = mSource;
  }
  if (source)
    CFRunLoopAddSource(runLoop->getCFRunLoop(), source, mode ? mode->cfString() : kCFRunLoopDefaultMode);
}

void NSMachPort::removeFromRunLoop_forMode(NSRunLoop* runLoop, NSString* mode) {
  if (!runLoop) return;
  CFRunLoopSourceRef source;
  {
    std::lock_guard<std::mutex> guard(mLock);
    source = mSource;
  }
  if (source)
    CFRunLoopRemoveSource(runLoop->getCFRunLoop(), source, mode ? mode->cfString() : kCFRunLoopDefaultMode);
}

bool NSMachPort::isEqual(const NSObject* other) const {
  auto* port = dynamic_cast<const NSMachPort*>(other);
  return port && port->mMachPort == mMachPort;
}

void NSRunLoop::addPort_forMode(NSPort* port, NSString* mode) {
  if (port) port->scheduleInRunLoop_forMode(this, mode);
}

void NSRunLoop::removePort_forMode(NSPort* port, NSString* mode) {
  if (port) port->removeFromRunLoop_forMode(this, mode);
}
