#include <algorithm>
#include <cstdio>

#include "backend/CFRunLoopObject.h"

CFTypeID __CFRunLoopSource::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CFRunLoopSource");
  return id;
}

__CFRunLoopSource::__CFRunLoopSource(CFIndex order, const CFRunLoopSourceContext& context)
    : order(order), context(context) {}

__CFRunLoopSource::~__CFRunLoopSource() {
  if (context.release && context.info) context.release(context.info);
}

void __CFRunLoopSource::setDescriptorEvents(uint32_t newEvents) {
  events = newEvents;
  std::vector<CFRunLoopRef> loops;
  {
    std::lock_guard<std::mutex> guard(placesLock);
    for (auto& [loop, mode] : places) {
      if (std::find(loops.begin(), loops.end(), loop) == loops.end()) loops.push_back(loop);
    }
  }
  for (CFRunLoopRef loop : loops) loop->refreshDescriptor(this);
}

CFTypeID CFRunLoopSourceGetTypeID(void) { return __CFRunLoopSource::typeID(); }

CFRunLoopSourceRef CFRunLoopSourceCreate(CFAllocatorRef, CFIndex order, CFRunLoopSourceContext* context) {
  if (!context || context->version != 0) {
    std::fprintf(stderr, "CFRunLoopSourceCreate: only version 0 source contexts are supported\n");
    return nullptr;
  }
  CFRunLoopSourceContext kept = *context;
  if (kept.retain && kept.info) kept.info = const_cast<void*>(kept.retain(kept.info));
  return new __CFRunLoopSource(order, kept);
}

void CFRunLoopSourceSignal(CFRunLoopSourceRef source) {
  if (source && source->valid) source->signalled = true;
}

void CFRunLoopSourceInvalidate(CFRunLoopSourceRef source) {
  if (!source || !source->valid.exchange(false)) return;
  source->retain();  // the last loop to let go must not free it under our feet
  std::vector<std::pair<CFRunLoopRef, std::string>> places;
  {
    std::lock_guard<std::mutex> guard(source->placesLock);
    places = source->places;
  }
  for (auto& [loop, mode] : places) loop->removeSource(source, mode);
  source->release();
}

Boolean CFRunLoopSourceIsValid(CFRunLoopSourceRef source) { return source && source->valid; }
