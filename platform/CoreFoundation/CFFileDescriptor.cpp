#include <CoreFoundation/CFFileDescriptor.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <mutex>

#include "backend/CFRunLoopObject.h"

struct __CFFileDescriptor : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFFileDescriptor");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  int descriptor = -1;
  bool closeOnInvalidate = false;
  CFFileDescriptorCallBack callout = nullptr;
  CFFileDescriptorContext context{};

  std::mutex lock;
  CFOptionFlags enabled = 0;
  bool valid = true;
  // Not retained: the source holds this object, and clears the pointer when it goes.
  CFRunLoopSourceRef source = nullptr;

  static uint32_t epollEvents(CFOptionFlags callBacks) {
    return ((callBacks & kCFFileDescriptorReadCallBack) ? uint32_t(EPOLLIN) : 0u) |
           ((callBacks & kCFFileDescriptorWriteCallBack) ? uint32_t(EPOLLOUT) : 0u);
  }

  // Passes the enabled callbacks on to the source's epoll entries.
  void updateSource() {
    CFRunLoopSourceRef watched;
    uint32_t events;
    {
      std::lock_guard<std::mutex> guard(lock);
      watched = source;
      if (watched) watched->retain();
      events = valid ? epollEvents(enabled) : 0;
    }
    if (!watched) return;
    watched->setDescriptorEvents(events);
    watched->release();
  }

  void ready(uint32_t readyEvents) {
    CFOptionFlags fired = 0;
    {
      std::lock_guard<std::mutex> guard(lock);
      if (!valid) return;
      // A hang-up or error wakes whichever callback waits: its read or write then tells.
      bool failed = readyEvents & (EPOLLHUP | EPOLLERR);
      if ((enabled & kCFFileDescriptorReadCallBack) && ((readyEvents & EPOLLIN) || failed))
        fired |= kCFFileDescriptorReadCallBack;
      if ((enabled & kCFFileDescriptorWriteCallBack) && ((readyEvents & EPOLLOUT) || failed))
        fired |= kCFFileDescriptorWriteCallBack;
      enabled &= ~fired;
    }
    updateSource();
    if (fired && callout) callout(this, fired, context.info);
  }

 protected:
  ~__CFFileDescriptor() override {
    if (context.release && context.info) context.release(context.info);
  }
};

namespace {

// The source's context: it keeps the descriptor object alive, and forgets it when it goes.
const void* retainDescriptor(const void* info) {
  static_cast<const __CFFileDescriptor*>(info)->retain();
  return info;
}

void releaseDescriptor(const void* info) {
  auto* file = static_cast<__CFFileDescriptor*>(const_cast<void*>(info));
  {
    std::lock_guard<std::mutex> guard(file->lock);
    file->source = nullptr;
  }
  file->release();
}

void descriptorReady(void* info, uint32_t readyEvents) {
  static_cast<__CFFileDescriptor*>(info)->ready(readyEvents);
}

}  // namespace

CFTypeID CFFileDescriptorGetTypeID(void) { return __CFFileDescriptor::typeID(); }

CFFileDescriptorRef CFFileDescriptorCreate(CFAllocatorRef, CFFileDescriptorNativeDescriptor fd,
                                           Boolean closeOnInvalidate, CFFileDescriptorCallBack callout,
                                           const CFFileDescriptorContext* context) {
  if (fd < 0) return nullptr;
  auto* file = new __CFFileDescriptor();
  file->descriptor = fd;
  file->closeOnInvalidate = closeOnInvalidate;
  file->callout = callout;
  if (context) {
    file->context = *context;
    if (context->retain && context->info) file->context.info = context->retain(context->info);
  }
  return file;
}

CFFileDescriptorNativeDescriptor CFFileDescriptorGetNativeDescriptor(CFFileDescriptorRef f) {
  return f ? f->descriptor : -1;
}

void CFFileDescriptorEnableCallBacks(CFFileDescriptorRef f, CFOptionFlags callBackTypes) {
  if (!f) return;
  {
    std::lock_guard<std::mutex> guard(f->lock);
    if (!f->valid) return;
    f->enabled |= callBackTypes & (kCFFileDescriptorReadCallBack | kCFFileDescriptorWriteCallBack);
  }
  f->updateSource();
}

void CFFileDescriptorDisableCallBacks(CFFileDescriptorRef f, CFOptionFlags callBackTypes) {
  if (!f) return;
  {
    std::lock_guard<std::mutex> guard(f->lock);
    f->enabled &= ~callBackTypes;
  }
  f->updateSource();
}

void CFFileDescriptorInvalidate(CFFileDescriptorRef f) {
  if (!f) return;
  CFRunLoopSourceRef source;
  bool closeNow;
  {
    std::lock_guard<std::mutex> guard(f->lock);
    if (!f->valid) return;
    f->valid = false;
    f->enabled = 0;
    source = f->source;
    if (source) source->retain();
    closeNow = f->closeOnInvalidate;
  }
  if (source) {
    CFRunLoopSourceInvalidate(source);
    source->release();
  }
  // Closed only once no loop watches it, so the number cannot be reused under a watch.
  if (closeNow) close(f->descriptor);
}

Boolean CFFileDescriptorIsValid(CFFileDescriptorRef f) {
  if (!f) return false;
  std::lock_guard<std::mutex> guard(f->lock);
  return f->valid;
}

CFRunLoopSourceRef CFFileDescriptorCreateRunLoopSource(CFAllocatorRef, CFFileDescriptorRef f, CFIndex order) {
  if (!f) return nullptr;
  {
    std::lock_guard<std::mutex> guard(f->lock);
    if (!f->valid) return nullptr;
    if (f->source) {
      f->source->retain();
      return f->source;
    }
  }
  CFRunLoopSourceContext context{};
  context.info = f;
  context.retain = retainDescriptor;
  context.release = releaseDescriptor;
  CFRunLoopSourceRef source = CFRunLoopSourceCreate(nullptr, order, &context);
  source->descriptor = f->descriptor;
  source->descriptorReady = descriptorReady;
  {
    std::lock_guard<std::mutex> guard(f->lock);
    f->source = source;
  }
  f->updateSource();
  return source;
}
