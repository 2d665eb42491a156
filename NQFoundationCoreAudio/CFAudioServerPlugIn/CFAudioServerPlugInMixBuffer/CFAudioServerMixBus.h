#pragma once
// One ring of interleaved stereo Float32 samples through which the clients of a virtual
// device exchange audio. Writers mix into it at their output sample time; readers copy from
// it at their input sample time. Reading leaves the ring as it is, so that every reader of a
// cycle hears the same frames, whatever order the server calls the clients in.
//
// The ring keeps itself clean in two places: a write clears the slots half a ring ahead of
// what it mixes (before anyone writes there again), and a read clears the slots half a ring
// behind what it reads (so that frames nobody replaces are not heard again a ring later).
#include <CoreFoundation/CFBase.h>

#include "NQCFPlugInRecursiveMutex.h"

class CFAudioServerMixBus {
 public:
  static constexpr UInt32 kMixBufferSize = 16384;
  static constexpr UInt32 kChannels = 2;

  CFAudioServerMixBus();
  ~CFAudioServerMixBus();
  CFAudioServerMixBus(const CFAudioServerMixBus&) = delete;
  CFAudioServerMixBus& operator=(const CFAudioServerMixBus&) = delete;

  OSStatus Construct() { return 0; }
  bool IsValidCircularBuffer() const { return mCircularBuffer != nullptr; }

  // Mixes the caller's frames in at sample time t (scaled by volume unless silenced), clears
  // ahead, then clears the caller's buffer.
  OSStatus ClientWriteOutput(bool silence, Float32 volume, UInt32 frames, Float32* buffer, UInt64 t);
  // Mixes in and clears ahead; the caller's buffer is left as it is.
  OSStatus ClientWriteOutputPre(bool silence, Float32 volume, UInt32 frames, const Float32* buffer, UInt64 t);
  // Clears the caller's buffer.
  OSStatus ClientWriteOutputPost(UInt32 frames, Float32* buffer);
  // Clears ahead only.
  OSStatus ClientWriteNoOutput(UInt32 frames, UInt64 t);
  // Copies the frames of sample time t out (zeros when silenced) and clears behind.
  OSStatus ClientReadInput(bool silence, UInt32 frames, Float32* buffer, UInt64 t);
  // Clears behind only.
  OSStatus ClientReadNoInput(UInt32 frames, UInt64 t);

  // Empties the whole ring, as when the device's I/O starts from idle: frames left from an
  // earlier run are not mixed into the new one.
  void ClearAll();

  bool IO_mutex_lock();
  bool IO_mutex_unlock();

  // The index of channel c of frame t in the ring.
  static UInt32 SlotIndex(UInt64 t, UInt32 c) { return UInt32((2 * t) & kSlotMask) + c; }

 private:
  static constexpr UInt64 kSlotMask = 2 * kMixBufferSize - 2;
  static constexpr UInt64 kHalfRing = kMixBufferSize / 2;

  void ClearFrames(UInt32 frames, UInt64 t);

  Float32* mCircularBuffer = nullptr;
  NQCFPlugIn::recursive_mutex mIOMutex;
};
