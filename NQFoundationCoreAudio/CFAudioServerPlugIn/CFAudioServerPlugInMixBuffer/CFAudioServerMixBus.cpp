#include "CFAudioServerMixBus.h"

#include <cstring>

#include "CFAudioServerRequired.h"

CFAudioServerMixBus::CFAudioServerMixBus() : mCircularBuffer(new Float32[2 * kMixBufferSize]()) {}

CFAudioServerMixBus::~CFAudioServerMixBus() {
  REQUIRED_PRESENT(mCircularBuffer);
  delete[] mCircularBuffer;
}

bool CFAudioServerMixBus::IO_mutex_lock() { return REQUIRED_CODE(mIOMutex.lock(), "IO_mutex_lock()"); }

bool CFAudioServerMixBus::IO_mutex_unlock() { return REQUIRED_CODE(mIOMutex.unlock(), "IO_mutex_unlock()"); }

// Ring slots are reached with wrap-around arithmetic: t + n past the end of the ring goes on
// at its start, and t - 8192 before 0 wraps the same way.
void CFAudioServerMixBus::ClearFrames(UInt32 frames, UInt64 t) {
  for (UInt32 i = 0; i < frames; ++i) {
    for (UInt32 c = 0; c < kChannels; ++c) mCircularBuffer[SlotIndex(t + i, c)] = 0.0f;
  }
}

OSStatus CFAudioServerMixBus::ClientWriteOutputPre(bool silence, Float32 volume, UInt32 frames,
                                                   const Float32* buffer, UInt64 t) {
  if (!REQUIRED_PRESENT_AS(buffer, "outMainBuffer") || !mCircularBuffer) return 0;
  IO_mutex_lock();
  for (UInt32 i = 0; i < frames; ++i) {
    for (UInt32 c = 0; c < kChannels; ++c) {
      if (!silence) mCircularBuffer[SlotIndex(t + i, c)] += buffer[kChannels * i + c] * volume;
      mCircularBuffer[SlotIndex(t + i + kHalfRing, c)] = 0.0f;
    }
  }
  IO_mutex_unlock();
  return 0;
}

OSStatus CFAudioServerMixBus::ClientWriteOutputPost(UInt32 frames, Float32* buffer) {
  if (!REQUIRED_PRESENT_AS(buffer, "outMainBuffer")) return 0;
  std::memset(buffer, 0, size_t(frames) * kChannels * sizeof(Float32));
  return 0;
}

OSStatus CFAudioServerMixBus::ClientWriteOutput(bool silence, Float32 volume, UInt32 frames, Float32* buffer,
                                                UInt64 t) {
  if (!REQUIRED_PRESENT_AS(buffer, "outMainBuffer")) return 0;
  ClientWriteOutputPre(silence, volume, frames, buffer, t);
  return ClientWriteOutputPost(frames, buffer);
}

OSStatus CFAudioServerMixBus::ClientWriteNoOutput(UInt32 frames, UInt64 t) {
  if (!mCircularBuffer) return 0;
  IO_mutex_lock();
  ClearFrames(frames, t + kHalfRing);
  IO_mutex_unlock();
  return 0;
}

OSStatus CFAudioServerMixBus::ClientReadInput(bool silence, UInt32 frames, Float32* buffer, UInt64 t) {
  if (!REQUIRED_PRESENT_AS(buffer, "outMainBuffer") || !mCircularBuffer) return 0;
  IO_mutex_lock();
  for (UInt32 i = 0; i < frames; ++i) {
    for (UInt32 c = 0; c < kChannels; ++c) {
      buffer[kChannels * i + c] = silence ? 0.0f : mCircularBuffer[SlotIndex(t + i, c)];
    }
  }
  ClearFrames(frames, t - kHalfRing);
  IO_mutex_unlock();
  return 0;
}

void CFAudioServerMixBus::ClearAll() {
  if (!mCircularBuffer) return;
  IO_mutex_lock();
  std::memset(mCircularBuffer, 0, sizeof(Float32) * kChannels * kMixBufferSize);
  IO_mutex_unlock();
}

OSStatus CFAudioServerMixBus::ClientReadNoInput(UInt32 frames, UInt64 t) {
  if (!mCircularBuffer) return 0;
  IO_mutex_lock();
  ClearFrames(frames, t - kHalfRing);
  IO_mutex_unlock();
  return 0;
}
