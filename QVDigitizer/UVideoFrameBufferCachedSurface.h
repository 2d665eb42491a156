#pragma once
// The digitizer's copy of one shared surface, and the surface's seed when it was taken.
//
// Its frame lock excludes every holder, its own thread included: the host reads a copy on the
// very thread that later asks for the next frame, and the cache must not rewrite (or let go
// of) a copy that the host has not given back. The frame buffers' own lock lets a thread in
// again.
#include <UVideoFrameBuffer.h>

#include <atomic>
#include <cstdint>

class UVideoFrameBufferCachedSurface : public UVideoFrameBuffer::Memory {
 public:
  // No copy yet: the first refresh always copies.
  static constexpr uint32_t kNoSeed = 0xFFFFFFFF;

  bool TryLockFrameBuffer() {
    bool held = false;
    return mHeld.compare_exchange_strong(held, true, std::memory_order_acquire);
  }
  void UnlockFrameBuffer() { mHeld.store(false, std::memory_order_release); }

  uint32_t mSurfaceSeed = kNoSeed;
  // When the entry was last asked for, for choosing which entry to let go.
  uint64_t mLastUse = 0;

 private:
  std::atomic<bool> mHeld{false};
};
