#include "CMIOStreamBase.h"

#include <CoreFoundation/CFArray.h>
#include <CoreMediaIO/CMIOHardwareStream.h>
#include <CoreMediaIO/CMIOSampleBuffer.h>
#include <URequirements.h>
#include <WithRequirements.h>
#include <mach/mach_time.h>

#include <utility>

#include "CMIOFramePacing.h"
#include "CMIOPropertyMapTables.h"

namespace NQCMIO {

// Whether `value` is a CF object of the expected type; reported as a REQUIRED_CFTYPEREF failure
// otherwise. The stream holds a reference to each object it checks, so the object is alive:
// its retain count tells nothing more, and reading it from an object already freed would be a
// fault of its own.
static bool validTypeRef(CFTypeRef value, CFTypeID expected, const char* function, int line, const char* code) {
  if (value && value != static_cast<CFTypeRef>(kCFNull) && CFGetTypeID(value) == expected) return true;
  __CFRequiredTypeOfBody("REQUIRED_CFTYPEREF", value, expected, REQUIRED_FILE_NAME, function, line, code);
  return false;
}

#define REQUIRED_CFTYPEREF(value, typeID) validTypeRef((value), (typeID), __FUNCTION__, __LINE__, #value)

CMIOStreamBase::CMIOStreamBase() : CMIOObject(CMIODALStreamBase_PropertyMap) {}

CMIOStreamBase::~CMIOStreamBase() {
  CancelTimer();
  // Each buffer still queued holds the reference its tick gave the queue. A client drains
  // what it reads, but a tick that ran on past the client's stop queued after that drain.
  if (mQueue) {
    while (const void* buffer = CMSimpleQueueDequeue(mQueue.get())) {
      (void)adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(buffer)));
    }
  }
  std::lock_guard<std::mutex> wait(mQueueLock);
}

CFStringRef CMIOStreamBase::CopyObjectName() const { return RefPtr(CFSTR("NQ.StreamName")).leak(); }

bool CMIOStreamBase::Construct(CGSize size, void*) {
  _width = static_cast<SInt32>(size.width);
  _height = static_cast<SInt32>(size.height);
  if (!REQUIREMENT(mFramesPerSecond>1.0)) mFramesPerSecond = 30.0;
  const CMIOFramePacing pacing = CMIOFramePacing::ForRate(mFramesPerSecond);

  if (mClock) {
    // A second Construct keeps the clock it has (reported as the clock wrapper's check reads).
    __CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>!_clock.IsValid()");
  } else {
    CFTypeRef clockRef = nullptr;
    if (REQUIRED_CMSTATUS(CMIOStreamClockCreate(kCFAllocatorDefault, CFSTR("CMIOStreamBase::clock"), this,
                                                CMTimeMake(1, 10), 100, 10, &clockRef)) &&
        REQUIRED_NOT_NULL(clockRef)) {
      mClock = adopt(bridge_cast<NSObject*>(clockRef));
    }
  }

  if (!mQueue) {
    CMSimpleQueueRef queueRef = nullptr;
    if (REQUIRED_CMSTATUS(CMSimpleQueueCreate(kCFAllocatorDefault, (int32_t)mFramesPerSecond, &queueRef)) &&
        REQUIRED_NOT_NULL(queueRef)) {
      mQueue = adopt(queueRef);
    }
  }

  mFirstHostTime = 0;

  std::lock_guard<std::mutex> guard(mTimerLock);
  if (!mTimer.IsValid()) {
    dispatch_source_t timer =
        dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0));
    if (REQUIRED_DISPATCH_QUEUE(timer)) {
      mTimer = timer;
      dispatch_source_set_timer(timer, dispatch_time(DISPATCH_TIME_NOW, 0), uint64_t(pacing.intervalNanoseconds), 0);
      dispatch_source_set_event_handler(timer, [this, timer] { TimerFired(timer, dispatch_source_get_data(timer)); });
      dispatch_release(timer);
    }
  }
  return mTimer.IsValid();
}

void CMIOStreamBase::StartStream() {
  std::lock_guard<std::mutex> guard(mTimerLock);
  if (!mTimer.IsValid() || mRunning) return;
  mRunning = true;
  dispatch_resume(mTimer.Get());
}

void CMIOStreamBase::StopStream() {
  {
    std::lock_guard<std::mutex> guard(mTimerLock);
    if (mTimer.IsValid() && mRunning) {
      mRunning = false;
      dispatch_suspend(mTimer.Get());
    }
  }
  mFirstHostTime = 0;
}

// A source must not lose its last reference while suspended, and a tick must not outlive the
// stream: resume what is suspended, cancel, and wait until the cancel handler (which runs
// after any running tick) has run.
void CMIOStreamBase::CancelTimer() {
  std::lock_guard<std::mutex> guard(mTimerLock);
  dispatch_source_t timer = mTimer.Get();
  if (!timer) return;
  dispatch_semaphore_t cancelled = dispatch_semaphore_create(0);
  dispatch_source_set_cancel_handler(timer, [cancelled] { dispatch_semaphore_signal(cancelled); });
  dispatch_source_cancel(timer);
  if (!mRunning) dispatch_resume(timer);
  mRunning = false;
  dispatch_semaphore_wait(cancelled, DISPATCH_TIME_FOREVER);
  dispatch_release(cancelled);
  // A tick that an announcement runs may still be at work, and still set the timer.
  std::lock_guard<std::mutex> tickGuard(mTickLock);
  mTimer = nullptr;
}

// The ticks end before the clock is invalidated, so that no tick still running posts its
// timing event to a dead clock.
void CMIOStreamBase::Destruct() {
  CancelTimer();
  if (mClock) CMIOStreamClockInvalidate(mClock.get());
}

void CMIOStreamBase::FrameAnnounced() {
  std::unique_lock<std::mutex> timerGuard(mTimerLock);
  if (!mTimer.IsValid() || !mRunning) return;
  const CMIOFramePacing pacing = CMIOFramePacing::ForRate(mFramesPerSecond);
  std::lock_guard<std::mutex> tickGuard(mTickLock);
  const UInt64 now = mach_absolute_time();
  const UInt64 tickTime = pacing.AnnouncedTickTime(mNextTickDue, now);
  if (tickTime > now) {
    // Too soon for the base rate: the timer takes the frame as soon as it may.
    mFrameAnnounced = true;
    dispatch_source_set_timer(mTimer.Get(), dispatch_time(DISPATCH_TIME_NOW, int64_t(tickTime - now)),
                              uint64_t(pacing.intervalNanoseconds), 0);
    return;
  }
  // Due already: the tick runs here rather than on a thread woken for it. Without the timer
  // lock, so that the client's queue procedure may stop the stream; CancelTimer takes the
  // tick lock before it lets the timer go.
  dispatch_source_t timer = mTimer.Get();
  timerGuard.unlock();
  Tick(timer, now, 1, true);
}

void CMIOStreamBase::TimerFired(dispatch_source_t timer, unsigned long fires) {
  std::lock_guard<std::mutex> tickGuard(mTickLock);
  Tick(timer, mach_absolute_time(), fires, std::exchange(mFrameAnnounced, false));
}

// A tick that took an announced frame sets the next free-running tick a little more than an
// interval on. No frame can be announced meanwhile: announcing takes the tick lock.
void CMIOStreamBase::Tick(dispatch_source_t timer, UInt64 now, unsigned long fires, bool announced) {
  const CMIOFramePacing pacing = CMIOFramePacing::ForRate(mFramesPerSecond);
  mNextTickDue = pacing.NextTickDue(mNextTickDue, now);
  AsyncQueueNextCMSampleBuffer(fires);
  if (!announced) return;
  const UInt64 later = pacing.FreeRunningTickTime(now);
  const UInt64 current = mach_absolute_time();
  dispatch_source_set_timer(timer, dispatch_time(DISPATCH_TIME_NOW, later > current ? int64_t(later - current) : 0),
                            uint64_t(pacing.intervalNanoseconds), 0);
}

CVPixelBufferRef CMIOStreamBase::CopyPixelBufferForPresentationTime(CMTime) { return nullptr; }

void CMIOStreamBase::AsyncQueueNextCMSampleBuffer(unsigned long fires) {
  UInt64 firstHostTime = mFirstHostTime;
  UInt64 tickIndex;
  if (firstHostTime == 0) {
    firstHostTime = mach_absolute_time();
    mFirstHostTime = firstHostTime;
    mTicksSinceStart = 1;
    tickIndex = 0;
  } else {
    tickIndex = (mTicksSinceStart += (fires > 0 ? fires : 1)) - 1;
  }

  // The clock and the queue under the names that the reports give them.
  const CFTypeRef _clock = mClock.get();
  const CMSimpleQueueRef _queue = mQueue.get();
  if (_queue) {
    const int32_t capacity = CMSimpleQueueGetCapacity(_queue);
    if (capacity != 0 && float(CMSimpleQueueGetCount(_queue)) / float(capacity) >= 1.0f) {
      __CFRequiredPrintf("Queue is full, bailing out\n");
      return;
    }
  }

  const CMIOFramePacing pacing = CMIOFramePacing::ForRate(mFramesPerSecond);
  const CMTime startTime = CMTimeMake(int64_t(double(firstHostTime) / 1000000000.0 * pacing.timescale), pacing.timescale);
  const CMTime duration = CMTimeMake(pacing.frameDurationValue, pacing.timescale);
  const CMTime presentationTime =
      CMTimeAdd(startTime, CMTimeMake(int64_t(tickIndex) * duration.value, pacing.timescale));

  const RefPtr<__CVBuffer> heldPixelBuffer = adopt(CopyPixelBufferForPresentationTime(presentationTime));
  CVPixelBufferRef pixelBuffer = heldPixelBuffer.get();
  if (!pixelBuffer || pixelBuffer == static_cast<CFTypeRef>(kCFNull)) return;
  if (CFGetTypeID(pixelBuffer) != CVPixelBufferGetTypeID()) return;

  CMSampleTimingInfo timing{duration, presentationTime, presentationTime};
  REQUIRED_CMSTATUS(CMIOStreamClockPostTimingEvent(presentationTime, mach_absolute_time(), true, _clock));
  ++_sequenceNumber;

  CMFormatDescriptionRef format = nullptr;
  CMVideoFormatDescriptionCreateForImageBuffer(kCFAllocatorDefault, pixelBuffer, &format);
  const RefPtr<const opaqueCMFormatDescription> heldFormat = adopt(format);
  if (!REQUIRED_CFTYPEOF(format, CMFormatDescriptionGetTypeID())) return;

  CMSampleBufferRef sampleBufferRef = nullptr;
  // Only the tick changes the sequence number, so it still holds the value just counted.
  if (!REQUIRED_CMSTATUS(CMIOSampleBufferCreateForImageBuffer( kCFAllocatorDefault, pixelBuffer, format, &timing,
                                                              _sequenceNumber, kCMIOSampleBufferNoDiscontinuities,
                                                              &sampleBufferRef))) {
    return;
  }
  // The queue takes over the creation reference once it holds the buffer; this one keeps the
  // buffer alive for the client's procedure, since the client may dequeue and release it
  // before the procedure is called.
  RefPtr<opaqueCMSampleBuffer> queued = adopt(sampleBufferRef);
  const RefPtr<opaqueCMSampleBuffer> sampleBuffer = queued;
  if (!REQUIRED_CMSTATUS(CMSimpleQueueEnqueue(_queue, sampleBufferRef))) return;
  (void)queued.leak();
  std::lock_guard<std::mutex> guard(mQueueLock);
  if (mQueueAlteredProc) mQueueAlteredProc(GetObjectID(), sampleBuffer.get(), mQueueAlteredRefCon);
}

CMSimpleQueueRef CMIOStreamBase::CopyBufferQueue(CMIODeviceStreamQueueAlteredProc proc, void* refCon) {
  std::lock_guard<std::mutex> guard(mQueueLock);
  mQueueAlteredProc = proc;
  mQueueAlteredRefCon = refCon;
  CMSimpleQueueRef queueRef = mQueue.get();
  if (!REQUIRED_CFTYPEREF(queueRef, CMSimpleQueueGetTypeID())) return queueRef;
  return RefPtr(queueRef).leak();
}

CMFormatDescriptionRef CMIOStreamBase::CopyFormatDescription() const {
  CMVideoFormatDescriptionRef description = nullptr;
  OSStatus result = CMVideoFormatDescriptionCreate(kCFAllocatorDefault, kCMVideoCodecType_422YpCbCr8, _width, _height,
                                                   nullptr, &description);
  if (!REQUIRED_CMSTATUS(result)) return nullptr;
  return description;
}

OSStatus CMIOStreamBase::GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                                         const void* qualifierData, UInt32 dataSize, UInt32* dataUsed,
                                         void* data) const {
  const Float64 rate = mFramesPerSecond;
  switch (address.mSelector) {
    case kCMIOStreamPropertyFrameRateRanges: {
      const Float64 range[2] = {rate, rate};
      return CMIOPropertyWriteFloat64s(range, 2, dataSize, dataUsed, data);
    }
    case kCMIOStreamPropertyFrameRate:
    case kCMIOStreamPropertyFrameRates:
    case kCMIOStreamPropertyMinimumFrameRate:
      return CMIOPropertyWriteFloat64s(&rate, 1, dataSize, dataUsed, data);
    case kCMIOStreamPropertyFormatDescription:
    case kCMIOStreamPropertyFormatDescriptions: {
      if (OSStatus status = CMIOPropertyCheckSize(sizeof(CFTypeRef), dataSize, dataUsed, data)) return status;
      RefPtr<const opaqueCMFormatDescription> description = adopt(CopyFormatDescription());
      CMFormatDescriptionRef formatDescriptionRef = description.get();
      if (!REQUIRED_CFTYPEREF(formatDescriptionRef, CMFormatDescriptionGetTypeID())) {
        *dataUsed = 0;
        return kCMIOHardwareUnspecifiedError;
      }
      // The caller owns what is written.
      if (address.mSelector == kCMIOStreamPropertyFormatDescription) {
        return CMIOPropertyWriteReference(description.leak(), dataSize, dataUsed, data);
      }
      CFTypeRef values[1] = {formatDescriptionRef};
      return CMIOPropertyWriteReference(CFArrayCreate(kCFAllocatorDefault, values, 1, &kCFTypeArrayCallBacks),
                                        dataSize, dataUsed, data);
    }
    case kCMIOStreamPropertyClock: {
      if (OSStatus status = CMIOPropertyCheckSize(sizeof(CFTypeRef), dataSize, dataUsed, data)) return status;
      CFTypeRef clockRef = mClock.get();
      if (!REQUIRED_CFTYPEREF(clockRef, clockRef ? CFGetTypeID(clockRef) : 0)) {
        *dataUsed = 0;
        return kCMIOHardwareUnspecifiedError;
      }
      return CMIOPropertyWriteReference(RefPtr(mClock).leak(), dataSize, dataUsed, data);
    }
    default:
      return CMIOObject::GetPropertyData(address, qualifierDataSize, qualifierData, dataSize, dataUsed, data);
  }
}

}  // namespace NQCMIO
