#pragma once
// Private copies of shared surfaces in the digitizer's own frame format, one per surface id,
// refreshed only when a surface's seed has changed since its copy was taken. Devices connect
// with their frame format; all must agree on it.
//
// The cache keeps a few entries at most: the application recycles a ring of two surfaces, and
// ids that stop coming must not pile up copies of 3.6 MB each. When a new id needs room, the
// entry asked for longest ago that no reader holds is let go.
#include <UVideoFrameBuffer.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "UVideoFrameBufferCachedSurface.h"

class IOSurfaceSharingFrameBufferCache {
 public:
  static constexpr size_t kMaximumCachedSurfaces = 4;

  IOSurfaceSharingFrameBufferCache() = default;
  IOSurfaceSharingFrameBufferCache(const IOSurfaceSharingFrameBufferCache&) = delete;
  IOSurfaceSharingFrameBufferCache& operator=(const IOSurfaceSharingFrameBufferCache&) = delete;

  // The first connection empties the cache and takes the format; later ones must bring the
  // same format (width, height, pixel format and row bytes) and count up.
  bool ConnnectWithWidthHeight(int width, int height, UVideoFrameBuffer::tag_pixel_format_t pixelFormat);
  // Counts down; the copies stay until the next first connection.
  void Disconnect();
  bool CacheConstruct(const UVideoFrameBuffer::Format& format);
  void CacheDestruct();

  // The copy of the surface with this id, refreshed when its seed changed; null for id 0, for
  // a surface that no longer exists (then *surfaceGone is set, when given), or when no copy
  // can be had now (the entry is held by a reader, or the surface cannot be read). The entry
  // stays valid until the next first connection, or until the cache lets it go, which it never
  // does while a reader holds its frame lock.
  UVideoFrameBufferCachedSurface* GetCachedFrameWithSurfaceID(uint32_t surfaceID,
                                                              bool* surfaceGone = nullptr);
  bool CacheFrameWithSurfaceID(uint32_t surfaceID) {
    return GetCachedFrameWithSurfaceID(surfaceID) != nullptr;
  }
  bool UpdatedCachedSurfaceIfSeedValueChanged(IOSurfaceRef surface, UVideoFrameBufferCachedSurface& entry);
  bool CopyOrResizeSurfaceIntoCachedVideoFrameBuffer(UVideoFrameBuffer::LockedIOSurface& surface,
                                                     UVideoFrameBufferCachedSurface& entry);

  const UVideoFrameBuffer::Format& GetFormat() const { return mFormat; }
  int32_t GetConnectionCount() const { return mConnectionCount; }
  size_t GetCachedSurfaceCount() const { return mCachedSurfaces.size(); }

 private:
  // The entry for the id, made (after letting an idle one go when full) if there is none;
  // null when the cache is full of entries that readers hold.
  UVideoFrameBufferCachedSurface* EntryForSurfaceID(uint32_t surfaceID);

  UVideoFrameBuffer::Format mFormat;
  int32_t mConnectionCount = 0;
  std::map<uint32_t, std::unique_ptr<UVideoFrameBufferCachedSurface>> mCachedSurfaces;
  UVideoFrameBuffer::Memory mScratchMemory;
  UVideoFrameBuffer::Memory mIntermediateMemory;
  uint64_t mUseCount = 0;
};

// Converts a 'BGRA' frame into an ARGB-ordered one, resampling (into `intermediate`, with
// `scratch` as the work area) when the sizes differ.
bool BGRA_CopyOrResizeFrameSurface(UVideoFrameBuffer::Data& destination, UVideoFrameBuffer::Memory& scratch,
                                   const UVideoFrameBuffer::Data& source,
                                   UVideoFrameBuffer::Memory& intermediate, bool flipVertical);
