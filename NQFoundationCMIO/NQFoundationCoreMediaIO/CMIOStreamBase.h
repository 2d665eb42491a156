#pragma once
// A camera stream: its clock, the queue of sample buffers the client reads, and a frame timer
// that asks the subclass for the pixels of each frame, stamps and queues them.
#include <CoreGraphics/CGGeometry.h>
#include <CoreMedia/CMFormatDescription.h>
#include <CoreMedia/CMSimpleQueue.h>
#include <CoreMedia/CMTime.h>
#include <CoreMediaIO/CMIOHardwarePlugIn.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <dispatch/dispatch.h>

#include <atomic>
#include <mutex>

#include "CMIOObject.h"
#include "RequiredCpp.h"

namespace NQCMIO {

class CMIOStreamBase : public CMIOObject {
 public:
  CMIOStreamBase();
  ~CMIOStreamBase() override;

  const char* ClassName() const override { return "NQCMIO::CMIOStreamBase"; }
  OSStatus GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                           const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data) const override;
  CFStringRef CopyObjectName() const override;
  // Invalidates the clock and stops the timer for good: no tick runs once it returns.
  void Destruct() override;
  virtual bool Construct(CGSize size, void* context);
  // Starting a running stream, or stopping a stopped one, changes nothing.
  virtual void StartStream();
  virtual void StopStream();
  // A new pixel buffer for the frame of the time (the base releases it), or null for none.
  virtual CVPixelBufferRef CopyPixelBufferForPresentationTime(CMTime presentationTime);

  // One tick of the frame timer; `fires` counts the timer fires it stands for.
  void AsyncQueueNextCMSampleBuffer(unsigned long fires = 1);
  // A subclass whose source tells when a new frame is at hand calls this then: while the
  // stream runs, the next tick comes at once (or as soon as the base rate allows), and the
  // free-running ticks after it take their phase from it. Safe from any thread; a tick that is
  // due already runs on the caller's thread, so the queue procedure may be called from it.
  void FrameAnnounced();
  // The queue (+1) for the client, which is told through `proc` of every buffer queued.
  CMSimpleQueueRef CopyBufferQueue(CMIODeviceStreamQueueAlteredProc proc, void* refCon);
  CMFormatDescriptionRef CopyFormatDescription() const;
  CMSimpleQueueRef GetQueueLazy() const { return mQueue.get(); }
  CFTypeRef GetClockLazy() const { return mClock.get(); }

  std::atomic<double> mFramesPerSecond{30.0};

 protected:
  UInt64 FirstHostTime() const { return mFirstHostTime; }
  UInt64 SequenceNumber() const { return _sequenceNumber; }

  SInt32 _width = 0;
  SInt32 _height = 0;

 private:
  void CancelTimer();
  // The timer's handler: the tick, and the phase of the ticks after it.
  void TimerFired(dispatch_source_t timer, unsigned long fires);
  // A tick at `now`, by the timer or by an announcement; under mTickLock.
  void Tick(dispatch_source_t timer, UInt64 now, unsigned long fires, bool announced);

  mutable std::mutex mQueueLock;
  RefPtr<NSObject> mClock;
  RefPtr<opaqueCMSimpleQueue> mQueue;
  CMIODeviceStreamQueueAlteredProc mQueueAlteredProc = nullptr;
  void* mQueueAlteredRefCon = nullptr;

  std::mutex mTimerLock;
  requiredCpp::T_dispatch_obj<dispatch_source_t> mTimer;
  bool mRunning = false;

  // One tick at a time, and the phase of the ticks. Taken after mTimerLock when both are; a
  // tick never takes mTimerLock (CancelTimer waits for a running tick under that lock).
  std::mutex mTickLock;
  UInt64 mNextTickDue = 0;  // host time; 0 before the first tick
  bool mFrameAnnounced = false;

  std::atomic<UInt64> mFirstHostTime{0};
  // Timer fires since the first tick after a start: frames take their times from these, so
  // ticks that made no frame still move the clock on.
  std::atomic<UInt64> mTicksSinceStart{0};
  std::atomic<UInt64> _sequenceNumber{0};
};

}  // namespace NQCMIO
