#include "CARingBuffer.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

UInt32 RoundUpToPowerOfTwo(UInt32 request) {
  UInt32 capacity = 1;
  while (capacity < request) capacity <<= 1;
  return capacity;
}

// The ring's bytes are read by one thread while the other may write them (only when the
// reader has fallen a whole ring behind, and the frames it took are then given as silence), so
// they are touched with relaxed atomic accesses: plain moves, but no data race.
template <class Word>
bool WordAligned(const void* pointer, UInt32 bytes) {
  return reinterpret_cast<uintptr_t>(pointer) % sizeof(Word) == 0 && bytes % sizeof(Word) == 0;
}

void RingWrite(UInt8* ring, const UInt8* source, UInt32 bytes) {
  if (WordAligned<UInt32>(ring, bytes)) {
    for (UInt32 i = 0; i < bytes; i += sizeof(UInt32)) {
      UInt32 word = 0;
      if (source) memcpy(&word, source + i, sizeof word);
      std::atomic_ref<UInt32>(*reinterpret_cast<UInt32*>(ring + i)).store(word, std::memory_order_relaxed);
    }
    return;
  }
  for (UInt32 i = 0; i < bytes; ++i)
    std::atomic_ref<UInt8>(ring[i]).store(source ? source[i] : 0, std::memory_order_relaxed);
}

void RingRead(UInt8* destination, const UInt8* ring, UInt32 bytes) {
  auto* from = const_cast<UInt8*>(ring);
  if (WordAligned<UInt32>(ring, bytes)) {
    for (UInt32 i = 0; i < bytes; i += sizeof(UInt32)) {
      const UInt32 word =
          std::atomic_ref<UInt32>(*reinterpret_cast<UInt32*>(from + i)).load(std::memory_order_relaxed);
      memcpy(destination + i, &word, sizeof word);
    }
    return;
  }
  for (UInt32 i = 0; i < bytes; ++i)
    destination[i] = std::atomic_ref<UInt8>(from[i]).load(std::memory_order_relaxed);
}

// Zeroes bytes [from, to) of the buffer, as far as the buffer reaches.
void ZeroBufferBytes(AudioBuffer& buffer, UInt32 from, UInt32 to) {
  if (!buffer.mData || from >= buffer.mDataByteSize) return;
  to = std::min(to, buffer.mDataByteSize);
  if (to > from) memset(static_cast<UInt8*>(buffer.mData) + from, 0, to - from);
}

// Copies out of the ring into the buffer at an offset, as far as the buffer reaches.
void CopyIntoBuffer(AudioBuffer& buffer, UInt32 offset, const UInt8* ring, UInt32 bytes) {
  if (!buffer.mData || offset >= buffer.mDataByteSize) return;
  bytes = std::min(bytes, buffer.mDataByteSize - offset);
  RingRead(static_cast<UInt8*>(buffer.mData) + offset, ring, bytes);
}

// Copies into the ring from the source buffer at an offset, as far as the source holds.
void CopyFromBuffer(UInt8* ring, const AudioBuffer& source, UInt32 offset, UInt32 bytes) {
  if (!source.mData || source.mDataByteSize <= offset) return;
  bytes = std::min(bytes, source.mDataByteSize - offset);
  RingWrite(ring, static_cast<const UInt8*>(source.mData) + offset, bytes);
}

}  // namespace

CARingBuffer::~CARingBuffer() { Deallocate(); }

void CARingBuffer::Allocate(SInt32 inChannelCount, UInt32 inBytesPerFrame, UInt32 inCapacityFrames) {
  Deallocate();
  const UInt32 capacity = RoundUpToPowerOfTwo(inCapacityFrames);
  const size_t channels = size_t(std::max<SInt32>(inChannelCount, 0));
  const size_t blockBytes = (size_t(inBytesPerFrame) * capacity + sizeof(UInt8*)) * channels;
  auto* block = static_cast<UInt8*>(calloc(blockBytes ? blockBytes : 1, 1));
  if (!block) throw std::bad_alloc();
  channelCount = SInt32(channels);
  bytesPerFrame = inBytesPerFrame;
  capacityFrames = capacity;
  frameMask = capacity - 1;
  capacityBytes = inBytesPerFrame * capacity;
  channelStorage = reinterpret_cast<UInt8**>(block);
  UInt8* data = block + channels * sizeof(UInt8*);
  for (size_t i = 0; i < channels; ++i) channelStorage[i] = data + i * capacityBytes;
  for (auto& slot : boundsSlots) {
    slot.startTime.store(0, std::memory_order_relaxed);
    slot.endTime.store(0, std::memory_order_relaxed);
    slot.updateCounter.store(0, std::memory_order_relaxed);
  }
  boundsCounter.store(0, std::memory_order_seq_cst);
}

void CARingBuffer::Deallocate() {
  free(channelStorage);
  channelStorage = nullptr;
  channelCount = 0;
  capacityFrames = 0;
  capacityBytes = 0;
}

// The slot is written like a sequence lock: marked unusable, filled, then marked with the
// counter it stands for, so that a reader that meets it half written retries.
void CARingBuffer::PublishTimeBounds(SampleTime startTime, SampleTime endTime) {
  UInt32 current = boundsCounter.load(std::memory_order_relaxed);
  const UInt32 next = current + 1;
  TimeBounds& slot = boundsSlots[next & kBoundsQueueMask];
  slot.updateCounter.store(~0u, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  slot.startTime.store(startTime, std::memory_order_relaxed);
  slot.endTime.store(endTime, std::memory_order_relaxed);
  slot.updateCounter.store(next, std::memory_order_release);
  boundsCounter.compare_exchange_strong(current, next, std::memory_order_seq_cst);
}

CARingBufferError CARingBuffer::ReadTimeBounds(SampleTime& startTime, SampleTime& endTime) const {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    const UInt32 counter = boundsCounter.load(std::memory_order_acquire);
    const TimeBounds& slot = boundsSlots[counter & kBoundsQueueMask];
    const UInt32 before = slot.updateCounter.load(std::memory_order_acquire);
    startTime = slot.startTime.load(std::memory_order_relaxed);
    endTime = slot.endTime.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    const UInt32 after = slot.updateCounter.load(std::memory_order_relaxed);
    if (before == counter && after == counter) return kCARingBufferError_OK;
  }
  return kCARingBufferError_TimeBoundsBusy;
}

SampleTime CARingBuffer::CurrentStart() const {
  return boundsSlots[boundsCounter.load(std::memory_order_relaxed) & kBoundsQueueMask].startTime.load(
      std::memory_order_relaxed);
}

SampleTime CARingBuffer::CurrentEnd() const {
  return boundsSlots[boundsCounter.load(std::memory_order_relaxed) & kBoundsQueueMask].endTime.load(
      std::memory_order_relaxed);
}

void CARingBuffer::ZeroRange(UInt32 fromOffset, UInt32 toOffset) {
  for (SInt32 i = 0; i < channelCount; ++i) {
    UInt8* channel = channelStorage[i];
    if (fromOffset < toOffset) {
      RingWrite(channel + fromOffset, nullptr, toOffset - fromOffset);
    } else {
      RingWrite(channel + fromOffset, nullptr, capacityBytes - fromOffset);
      RingWrite(channel, nullptr, toOffset);
    }
  }
}

CARingBufferError CARingBuffer::Store(const AudioBufferList* list, UInt32 frameCount, SampleTime startWrite) {
  if (frameCount == 0) return kCARingBufferError_OK;
  if (frameCount > capacityFrames) return kCARingBufferError_FramesExceedCapacity;
  const SampleTime endWrite = startWrite + frameCount;
  const SampleTime currentStart = CurrentStart();
  const SampleTime currentEnd = CurrentEnd();
  if (startWrite < currentEnd) {
    PublishTimeBounds(startWrite, startWrite);
  } else if (endWrite - currentStart > SampleTime(capacityFrames)) {
    const SampleTime newStart = endWrite - capacityFrames;
    PublishTimeBounds(newStart, std::max(newStart, currentEnd));
  }

  const SampleTime rangeEnd = CurrentEnd();
  if (startWrite > rangeEnd) ZeroRange(FrameOffset(rangeEnd), FrameOffset(startWrite));

  const UInt32 offset0 = FrameOffset(startWrite);
  const UInt32 offset1 = FrameOffset(endWrite);
  const SInt32 channels = std::min<SInt32>(channelCount, SInt32(list ? list->mNumberBuffers : 0));
  for (SInt32 i = 0; i < channels; ++i) {
    const AudioBuffer& source = list->mBuffers[i];
    if (offset0 < offset1) {
      CopyFromBuffer(channelStorage[i] + offset0, source, 0, offset1 - offset0);
    } else {
      const UInt32 firstPiece = capacityBytes - offset0;
      CopyFromBuffer(channelStorage[i] + offset0, source, 0, firstPiece);
      CopyFromBuffer(channelStorage[i], source, firstPiece, offset1);
    }
  }
  PublishTimeBounds(CurrentStart(), endWrite);
  return kCARingBufferError_OK;
}

CARingBufferError CARingBuffer::Fetch(AudioBufferList* list, UInt32 frameCount, SampleTime startRead) {
  if (frameCount == 0 || !list) return kCARingBufferError_OK;
  startRead = std::max<SampleTime>(0, startRead);
  SampleTime endRead = startRead + frameCount;
  const SampleTime requestedStart = startRead;
  const SampleTime requestedEnd = endRead;
  const UInt32 requestedBytes = frameCount * bytesPerFrame;

  SampleTime validStart = 0, validEnd = 0;
  const CARingBufferError status = ReadTimeBounds(validStart, validEnd);
  if (status != kCARingBufferError_OK) return status;
  if (startRead > validEnd || endRead < validStart) {
    endRead = startRead;
  } else {
    startRead = std::max(startRead, validStart);
    endRead = std::min(endRead, validEnd);
    endRead = std::max(endRead, startRead);
  }

  const UInt32 buffers = list->mNumberBuffers;
  if (startRead == endRead) {
    for (UInt32 i = 0; i < buffers; ++i) ZeroBufferBytes(list->mBuffers[i], 0, requestedBytes);
    return kCARingBufferError_OK;
  }

  const UInt32 headBytes = UInt32(startRead - requestedStart) * bytesPerFrame;
  const UInt32 copiedBytes = UInt32(endRead - startRead) * bytesPerFrame;
  const UInt32 tailFrom = headBytes + copiedBytes;
  const UInt32 tailTo = tailFrom + UInt32(requestedEnd - endRead) * bytesPerFrame;
  const UInt32 offset0 = FrameOffset(startRead);
  const UInt32 offset1 = FrameOffset(endRead);
  for (UInt32 i = 0; i < buffers; ++i) {
    AudioBuffer& buffer = list->mBuffers[i];
    ZeroBufferBytes(buffer, 0, std::min(requestedBytes, headBytes));
    ZeroBufferBytes(buffer, tailFrom, tailTo);
    if (SInt32(i) >= channelCount) {
      ZeroBufferBytes(buffer, headBytes, tailFrom);
      continue;
    }
    const UInt8* channel = channelStorage[i];
    if (offset0 < offset1) {
      CopyIntoBuffer(buffer, headBytes, channel + offset0, offset1 - offset0);
    } else {
      const UInt32 firstPiece = capacityBytes - offset0;
      CopyIntoBuffer(buffer, headBytes, channel + offset0, firstPiece);
      CopyIntoBuffer(buffer, headBytes + firstPiece, channel, offset1);
    }
  }

  // Frames that the writer moved past (or dropped) while they were being copied may be torn:
  // they are given as silence rather than as a mix of two times.
  SampleTime laterStart = 0, laterEnd = 0;
  if (ReadTimeBounds(laterStart, laterEnd) == kCARingBufferError_OK) {
    const SampleTime intactFrom = std::clamp(laterStart, startRead, endRead);
    const SampleTime intactTo = std::clamp(laterEnd, intactFrom, endRead);
    const UInt32 intactFromBytes = headBytes + UInt32(intactFrom - startRead) * bytesPerFrame;
    const UInt32 intactToBytes = headBytes + UInt32(intactTo - startRead) * bytesPerFrame;
    for (UInt32 i = 0; i < buffers; ++i) {
      ZeroBufferBytes(list->mBuffers[i], headBytes, intactFromBytes);
      ZeroBufferBytes(list->mBuffers[i], intactToBytes, tailFrom);
    }
  }

  // Every byte written counts, silence included: a reader that trusts the size gets all the
  // frames it asked for.
  for (UInt32 i = 0; i < buffers; ++i)
    list->mBuffers[i].mDataByteSize = std::min(list->mBuffers[i].mDataByteSize, requestedBytes);
  return kCARingBufferError_OK;
}
