#include <CoreMediaIO/CMIOHardwareStream.h>

#include <cstdio>
#include <mutex>

#include <objc/RefPtr.h>

// A stream clock keeps the last frame time a stream posted and the host time of it; the
// system's clients read the pair to relate presentation times to the host clock.
struct __CMIOStreamClock : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CMIOStreamClock");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  const __CFString* copyDescription() const override {
    std::lock_guard<std::mutex> guard(lock);
    char name[256] = "";
    if (mName) CFStringGetCString(mName.get(), name, sizeof name, kCFStringEncodingUTF8);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CMIOStreamClock %p> {name = %s, events = %llu%s}"),
                                    static_cast<const void*>(this), name, (unsigned long long)eventCount,
                                    valid ? "" : ", invalidated");
  }

  RefPtr<const __CFString> mName;
  const void* sourceIdentifier = nullptr;
  CMTime minimumInterval = kCMTimeInvalid;
  UInt32 eventsForRateSmoothing = 0;
  UInt32 averagesForRateSmoothing = 0;

  mutable std::mutex lock;
  bool valid = true;
  UInt64 eventCount = 0;
  CMTime lastEventTime = kCMTimeInvalid;
  UInt64 lastHostTime = 0;
};

static __CMIOStreamClock* clockFrom(CFTypeRef clock) {
  if (!clock || CFGetTypeID(clock) != __CMIOStreamClock::typeID()) return nullptr;
  return static_cast<__CMIOStreamClock*>(const_cast<NSObject*>(static_cast<const NSObject*>(clock)));
}

OSStatus CMIOStreamClockCreate(CFAllocatorRef, CFStringRef clockName, const void* sourceIdentifier,
                               CMTime getTimeCallMinimumInterval, UInt32 numberOfEventsForRateSmoothing,
                               UInt32 numberOfAveragesForRateSmoothing, CFTypeRef* clock) {
  if (!clock) return kCMIOHardwareIllegalOperationError;
  auto* made = new __CMIOStreamClock();
  if (clockName) made->mName = adopt(CFStringCreateCopy(nullptr, clockName));
  made->sourceIdentifier = sourceIdentifier;
  made->minimumInterval = getTimeCallMinimumInterval;
  made->eventsForRateSmoothing = numberOfEventsForRateSmoothing;
  made->averagesForRateSmoothing = numberOfAveragesForRateSmoothing;
  *clock = made;
  return kCMIOHardwareNoError;
}

OSStatus CMIOStreamClockPostTimingEvent(CMTime eventTime, UInt64 hostTime, Boolean, CFTypeRef clock) {
  __CMIOStreamClock* streamClock = clockFrom(clock);
  if (!streamClock || !CMTIME_IS_VALID(eventTime)) return kCMIOHardwareIllegalOperationError;
  std::lock_guard<std::mutex> guard(streamClock->lock);
  if (!streamClock->valid) return kCMIOHardwareIllegalOperationError;
  ++streamClock->eventCount;
  streamClock->lastEventTime = eventTime;
  streamClock->lastHostTime = hostTime;
  return kCMIOHardwareNoError;
}

OSStatus CMIOStreamClockInvalidate(CFTypeRef clock) {
  __CMIOStreamClock* streamClock = clockFrom(clock);
  if (!streamClock) return kCMIOHardwareIllegalOperationError;
  std::lock_guard<std::mutex> guard(streamClock->lock);
  streamClock->valid = false;
  return kCMIOHardwareNoError;
}
