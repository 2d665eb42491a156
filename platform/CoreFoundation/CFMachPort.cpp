#include <CoreFoundation/CFMachPort.h>
#include <mach/mach.h>
#include <objc/RefPtr.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "backend/CFRunLoopObject.h"

struct __CFMachPort : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFMachPort");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  mach_port_t port = MACH_PORT_NULL;
  CFMachPortCallBack callout = nullptr;
  CFMachPortContext context{};
  bool ownsRights = false;  // made by CFMachPortCreate
  bool watchesDeath = false;

  std::mutex lock;
  bool valid = true;
  CFMachPortInvalidationCallBack invalidation = nullptr;
  // Not retained: the source holds this object, and clears the pointer when it goes.
  CFRunLoopSourceRef source = nullptr;
  int waitDescriptor = -1;

  void receiveOne();

 protected:
  ~__CFMachPort() override;
};

namespace {

// One object per name: the table does not retain them, each takes itself out as it goes.
std::mutex& tableLock() {
  static std::mutex* lock = new std::mutex();
  return *lock;
}

std::map<mach_port_t, __CFMachPort*>& table() {
  static auto* ports = new std::map<mach_port_t, __CFMachPort*>();
  return *ports;
}

void forget(__CFMachPort* port) {
  std::lock_guard<std::mutex> guard(tableLock());
  auto found = table().find(port->port);
  if (found != table().end() && found->second == port) table().erase(found);
}

// The answer to a port's death: one thread receives the dead-name notifications of every
// port of a send right and invalidates the port's object.
class DeadNameWatch {
 public:
  static DeadNameWatch& shared() {
    // Never destroyed: its thread waits until the process ends.
    static DeadNameWatch* watch = new DeadNameWatch();
    return *watch;
  }

  bool watch(mach_port_t name) {
    if (mNotifyPort == MACH_PORT_NULL) return false;
    return mach_port_request_notification(mach_task_self(), name, MACH_NOTIFY_DEAD_NAME, 0, mNotifyPort,
                                          MACH_MSG_TYPE_MAKE_SEND_ONCE, nullptr) == KERN_SUCCESS;
  }

  void unwatch(mach_port_t name) {
    mach_port_request_notification(mach_task_self(), name, MACH_NOTIFY_DEAD_NAME, 0, MACH_PORT_NULL,
                                   MACH_MSG_TYPE_MAKE_SEND_ONCE, nullptr);
  }

 private:
  DeadNameWatch() {
    if (mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &mNotifyPort) != KERN_SUCCESS) {
      mNotifyPort = MACH_PORT_NULL;
      return;
    }
    std::thread([notifyPort = mNotifyPort] { run(notifyPort); }).detach();
  }

  static void run(mach_port_t notifyPort) {
    pthread_setname_np(pthread_self(), "CFMachPort.dead");
    for (;;) {
      union {
        mach_dead_name_notification_t deadName;
        uint8_t bytes[256];
      } notice{};
      const mach_msg_return_t received = mach_msg(&notice.deadName.not_header, MACH_RCV_MSG, 0, sizeof notice,
                                                  notifyPort, 0, MACH_PORT_NULL);
      if (received == MACH_RCV_TOO_LARGE) continue;
      if (received != MACH_MSG_SUCCESS) return;
      if (notice.deadName.not_header.msgh_id != MACH_NOTIFY_DEAD_NAME) {
        mach_msg_destroy(&notice.deadName.not_header);
        continue;
      }
      const mach_port_t name = notice.deadName.not_port;
      __CFMachPort* dead = nullptr;
      {
        std::lock_guard<std::mutex> guard(tableLock());
        auto found = table().find(name);
        if (found != table().end() && found->second->tryRetain()) dead = found->second;
      }
      // The reference of the dead name that came with the notification, dropped first so that
      // whoever hears of the death finds only the references it holds.
      mach_port_deallocate(mach_task_self(), name);
      if (dead) {
        CFMachPortInvalidate(dead);
        dead->release();
      }
    }
  }

  mach_port_t mNotifyPort = MACH_PORT_NULL;
};

const void* retainPort(const void* info) {
  static_cast<const __CFMachPort*>(info)->retain();
  return info;
}

void releasePort(const void* info) {
  auto* port = static_cast<__CFMachPort*>(const_cast<void*>(info));
  {
    std::lock_guard<std::mutex> guard(port->lock);
    port->source = nullptr;
  }
  port->release();
}

void portReady(void* info, uint32_t) { static_cast<__CFMachPort*>(info)->receiveOne(); }

__CFMachPort* makePort(mach_port_t name, CFMachPortCallBack callout, const CFMachPortContext* context) {
  auto* port = new __CFMachPort();
  port->port = name;
  port->callout = callout;
  if (context) {
    port->context = *context;
    if (context->retain && context->info)
      port->context.info = const_cast<void*>(context->retain(context->info));
  }
  return port;
}

}  // namespace

__CFMachPort::~__CFMachPort() {
  forget(this);
  if (waitDescriptor >= 0) close(waitDescriptor);
  if (context.release && context.info) context.release(context.info);
}

void __CFMachPort::receiveOne() {
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!valid) return;
  }
  alignas(8) uint8_t small[1024];
  std::vector<uint8_t> large;
  auto* message = reinterpret_cast<mach_msg_header_t*>(small);
  mach_msg_size_t room = sizeof small;
  mach_msg_return_t received;
  for (;;) {
    received =
        mach_msg(message, MACH_RCV_MSG | MACH_RCV_TIMEOUT | MACH_RCV_LARGE, 0, room, port, 0, MACH_PORT_NULL);
    if (received != MACH_RCV_TOO_LARGE) break;
    room = message->msgh_size;
    large.assign(room, 0);
    message = reinterpret_cast<mach_msg_header_t*>(large.data());
  }
  if (received == MACH_MSG_SUCCESS) {
    if (callout)
      callout(this, message, message->msgh_size, context.info);
    else
      mach_msg_destroy(message);
  } else if (received == MACH_RCV_PORT_DIED || received == MACH_RCV_INVALID_NAME) {
    CFMachPortInvalidate(this);
  }
}

CFTypeID CFMachPortGetTypeID(void) { return __CFMachPort::typeID(); }

CFMachPortRef CFMachPortCreate(CFAllocatorRef, CFMachPortCallBack callout, CFMachPortContext* context,
                               Boolean* shouldFreeInfo) {
  if (shouldFreeInfo) *shouldFreeInfo = true;
  mach_port_t name = MACH_PORT_NULL;
  if (mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &name) != KERN_SUCCESS) return nullptr;
  mach_port_insert_right(mach_task_self(), name, name, MACH_MSG_TYPE_MAKE_SEND);
  __CFMachPort* port = makePort(name, callout, context);
  port->ownsRights = true;
  {
    std::lock_guard<std::mutex> guard(tableLock());
    table()[name] = port;
  }
  if (shouldFreeInfo) *shouldFreeInfo = false;
  return port;
}

CFMachPortRef CFMachPortCreateWithPort(CFAllocatorRef, mach_port_t portNum, CFMachPortCallBack callout,
                                       CFMachPortContext* context, Boolean* shouldFreeInfo) {
  if (shouldFreeInfo) *shouldFreeInfo = true;
  mach_port_type_t type = 0;
  if (mach_port_type(mach_task_self(), portNum, &type) != KERN_SUCCESS || type == MACH_PORT_TYPE_NONE)
    return nullptr;
  __CFMachPort* port;
  {
    std::lock_guard<std::mutex> guard(tableLock());
    auto found = table().find(portNum);
    if (found != table().end() && CFMachPortIsValid(found->second) && found->second->tryRetain())
      return found->second;
    port = makePort(portNum, callout, context);
    table()[portNum] = port;
  }
  if (shouldFreeInfo) *shouldFreeInfo = false;
  // A port reached through a send right dies with its receiver; a name that is dead already
  // is told at once.
  if (!(type & MACH_PORT_TYPE_RECEIVE) && (type & (MACH_PORT_TYPE_SEND | MACH_PORT_TYPE_DEAD_NAME)))
    port->watchesDeath = DeadNameWatch::shared().watch(portNum);
  return port;
}

mach_port_t CFMachPortGetPort(CFMachPortRef port) { return port ? port->port : MACH_PORT_NULL; }

void CFMachPortGetContext(CFMachPortRef port, CFMachPortContext* context) {
  if (port && context) *context = port->context;
}

void CFMachPortInvalidate(CFMachPortRef port) {
  if (!port) return;
  RefPtr<__CFMachPort> keep(port);  // the callback may let the last reference go
  CFRunLoopSourceRef source;
  CFMachPortInvalidationCallBack invalidation;
  {
    std::lock_guard<std::mutex> guard(port->lock);
    if (!port->valid) return;
    port->valid = false;
    source = port->source;
    if (source) source->retain();
    invalidation = port->invalidation;
  }
  forget(port);
  if (port->watchesDeath) DeadNameWatch::shared().unwatch(port->port);
  if (source) {
    CFRunLoopSourceInvalidate(source);
    source->release();
  }
  if (port->ownsRights) mach_port_destroy(mach_task_self(), port->port);
  if (invalidation) invalidation(port, port->context.info);
}

Boolean CFMachPortIsValid(CFMachPortRef port) {
  if (!port) return false;
  std::lock_guard<std::mutex> guard(port->lock);
  return port->valid;
}

CFMachPortInvalidationCallBack CFMachPortGetInvalidationCallBack(CFMachPortRef port) {
  if (!port) return nullptr;
  std::lock_guard<std::mutex> guard(port->lock);
  return port->invalidation;
}

void CFMachPortSetInvalidationCallBack(CFMachPortRef port, CFMachPortInvalidationCallBack callout) {
  if (!port) return;
  bool invalid;
  {
    std::lock_guard<std::mutex> guard(port->lock);
    port->invalidation = callout;
    invalid = !port->valid;
  }
  if (invalid && callout) callout(port, port->context.info);
}

CFRunLoopSourceRef CFMachPortCreateRunLoopSource(CFAllocatorRef, CFMachPortRef port, CFIndex order) {
  if (!port) return nullptr;
  std::lock_guard<std::mutex> guard(port->lock);
  if (!port->valid) return nullptr;
  if (port->source) {
    port->source->retain();
    return port->source;
  }
  if (port->waitDescriptor < 0) port->waitDescriptor = _mach_port_copy_receive_descriptor(port->port);
  if (port->waitDescriptor < 0) return nullptr;
  CFRunLoopSourceContext context{};
  context.info = port;
  context.retain = retainPort;
  context.release = releasePort;
  CFRunLoopSourceRef source = CFRunLoopSourceCreate(nullptr, order, &context);
  source->descriptor = port->waitDescriptor;
  source->events = EPOLLIN;
  source->descriptorReady = portReady;
  port->source = source;
  return source;
}
