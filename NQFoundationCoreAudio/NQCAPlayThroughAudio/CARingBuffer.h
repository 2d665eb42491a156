#pragma once
// Audio carried from one I/O thread to another, addressed by absolute sample time: the
// writer stores blocks at the sample times the input device captured them at, the reader
// fetches any range of sample times, and whatever the ring does not hold comes back as
// silence. One writer and one reader share it without a lock; the valid range crosses
// between them through a queue of 32 slots.
#include <CoreAudio/CoreAudioTypes.h>

#include <atomic>
#include <cstdint>

enum : SInt32 {
  kCARingBufferError_OK = 0,
  kCARingBufferError_FramesExceedCapacity = 3,
  kCARingBufferError_TimeBoundsBusy = 4,
};

typedef SInt32 CARingBufferError;
typedef SInt64 SampleTime;

class CARingBuffer {
 public:
  CARingBuffer() = default;
  ~CARingBuffer();
  CARingBuffer(const CARingBuffer&) = delete;
  CARingBuffer& operator=(const CARingBuffer&) = delete;

  // Throws std::bad_alloc when the storage cannot be had.
  void Allocate(SInt32 channelCount, UInt32 bytesPerFrame, UInt32 capacityFrames);
  void Deallocate();

  CARingBufferError Store(const AudioBufferList* list, UInt32 frameCount, SampleTime startWrite);
  // Fills every buffer with frameCount frames from startRead on (silence where the ring holds
  // none) and sets its byte size to what was written there.
  CARingBufferError Fetch(AudioBufferList* list, UInt32 frameCount, SampleTime startRead);
  CARingBufferError ReadTimeBounds(SampleTime& startTime, SampleTime& endTime) const;
  void PublishTimeBounds(SampleTime startTime, SampleTime endTime);

  UInt32 GetCapacityFrames() const { return capacityFrames; }

 private:
  struct TimeBounds {
    std::atomic<SampleTime> startTime{0};
    std::atomic<SampleTime> endTime{0};
    std::atomic<UInt32> updateCounter{0};
  };
  static constexpr UInt32 kBoundsQueueSize = 32;
  static constexpr UInt32 kBoundsQueueMask = kBoundsQueueSize - 1;
  static constexpr int kReadAttempts = 8;

  UInt32 FrameOffset(SampleTime frame) const { return UInt32(frame & frameMask) * bytesPerFrame; }
  void ZeroRange(UInt32 fromOffset, UInt32 toOffset);
  SampleTime CurrentStart() const;
  SampleTime CurrentEnd() const;

  UInt8** channelStorage = nullptr;
  SInt32 channelCount = 0;
  UInt32 bytesPerFrame = 0;
  UInt32 capacityFrames = 0;
  UInt32 frameMask = 0;
  UInt32 capacityBytes = 0;
  TimeBounds boundsSlots[kBoundsQueueSize];
  std::atomic<UInt32> boundsCounter{0};
};
