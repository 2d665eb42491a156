#include "IOSurfaceSharingFrameBufferCache.h"

#include <Accelerate/vImage.h>

#include <algorithm>
#include <atomic>
#include <cstring>

using UVideoFrameBuffer::Data;
using UVideoFrameBuffer::Format;
using UVideoFrameBuffer::ImageBuffer;
using UVideoFrameBuffer::LockedIOSurface;
using UVideoFrameBuffer::Memory;

namespace {

bool SameFormat(const Format& a, const Format& b) {
  return a.mPixelWidth == b.mPixelWidth && a.mPixelHeight == b.mPixelHeight &&
         a.mPixelFormat == b.mPixelFormat && a.mPixelRowBytes == b.mPixelRowBytes;
}

bool SameGeometry(const Format& a, const Format& b) {
  return a.mPixelWidth == b.mPixelWidth && a.mPixelHeight == b.mPixelHeight &&
         a.mPixelRowBytes == b.mPixelRowBytes;
}

int BytesPerPixelOfRow(const Format& format) {
  return format.mPixelWidth > 0 ? format.mPixelRowBytes / format.mPixelWidth : 0;
}

// Whether the frame's memory holds all its rows.
bool HoldsItsRows(const Data& frame) {
  return frame.mFrameBufferData && frame.mPixelWidth > 0 && frame.mPixelHeight > 0 &&
         uint64_t(frame.mPixelHeight) * uint64_t(frame.mPixelRowBytes) <= frame.mFrameBufferDataSizeBytes;
}

// B,G,R,A to A,R,G,B, row by row over `destination`'s width and height (rows of `source` from
// the last upwards when flipped).
bool BGRA_InvertedCopySwizzleTo_ARGB_vImage(Data& destination, const Data& source, bool flipVertical) {
  if (!HoldsItsRows(destination) || !HoldsItsRows(source) || source.mPixelWidth < destination.mPixelWidth ||
      source.mPixelHeight < destination.mPixelHeight)
    return false;
  static const uint8_t kBGRAtoARGB[4] = {3, 2, 1, 0};
  const vImagePixelCount width = vImagePixelCount(destination.mPixelWidth);
  bool swapped = true;
  for (int row = 0; row < destination.mPixelHeight; ++row) {
    const int from = flipVertical ? source.mPixelHeight - 1 - row : row;
    const ImageBuffer in(source, from, width), out(destination, row, width);
    swapped =
        vImagePermuteChannels_ARGB8888(&in, &out, kBGRAtoARGB, kvImageDoNotTile) == kvImageNoError && swapped;
  }
  return swapped;
}

bool BGRA_InvertedResizeSwizzleTo_ARGB_vImage(Data& destination, Memory& scratch, const Data& source,
                                              Memory& intermediate, bool flipVertical) {
  if (!BGRA_InvertedCopySwizzleTo_ARGB_vImage(intermediate, source, flipVertical)) return false;
  const ImageBuffer from(intermediate), to(destination);
  constexpr vImage_Flags kQuality = kvImageHighQualityResampling;
  const vImage_Error work = vImageScale_ARGB8888(&from, &to, nullptr, kvImageGetTempBufferSize | kQuality);
  if (work < 0) return false;
  if (!scratch.mFrameBufferData || scratch.mFrameBufferDataSizeBytes < uint64_t(work)) {
    if (!scratch.ConstructWithFormatAndMinimumDataSize(destination, (unsigned long)work)) return false;
  }
  return vImageScale_ARGB8888(&from, &to, scratch.mFrameBufferData, kQuality) == kvImageNoError;
}

}  // namespace

bool BGRA_CopyOrResizeFrameSurface(Data& destination, Memory& scratch, const Data& source,
                                   Memory& intermediate, bool flipVertical) {
  if (source.mPixelFormat == UVideoFrameBuffer::kPixelFormatBGRA &&
      BytesPerPixelOfRow(source) == BytesPerPixelOfRow(destination)) {
    // The swap of channels is the whole conversion between frames of one geometry: only a
    // change of size needs the resampler.
    if (SameGeometry(destination, source))
      return BGRA_InvertedCopySwizzleTo_ARGB_vImage(destination, source, flipVertical);
    return BGRA_InvertedResizeSwizzleTo_ARGB_vImage(destination, scratch, source, intermediate, flipVertical);
  }
  if (!SameGeometry(destination, source) || !HoldsItsRows(source) || !destination.mFrameBufferData ||
      source.mFrameBufferDataSizeBytes < destination.mFrameBufferDataSizeBytes)
    return false;
  std::memcpy(destination.mFrameBufferData, source.mFrameBufferData, destination.mFrameBufferDataSizeBytes);
  return true;
}

bool IOSurfaceSharingFrameBufferCache::ConnnectWithWidthHeight(
    int width, int height, UVideoFrameBuffer::tag_pixel_format_t pixelFormat) {
  const Format format(width, height, pixelFormat, 0);
  if (mConnectionCount > 0) {
    if (!SameFormat(format, mFormat)) return false;
    ++mConnectionCount;
    return true;
  }
  if (!CacheConstruct(format)) return false;
  mConnectionCount = 1;
  return true;
}

void IOSurfaceSharingFrameBufferCache::Disconnect() {
  if (mConnectionCount > 0) --mConnectionCount;
}

bool IOSurfaceSharingFrameBufferCache::CacheConstruct(const Format& format) {
  CacheDestruct();
  mFormat = format;
  return mScratchMemory.Construct(format);
}

void IOSurfaceSharingFrameBufferCache::CacheDestruct() {
  mCachedSurfaces.clear();
  mScratchMemory.Destruct();
  mIntermediateMemory.Destruct();
  mFormat = Format(0, 0, UVideoFrameBuffer::kPixelFormatNone, 0);
}

UVideoFrameBufferCachedSurface* IOSurfaceSharingFrameBufferCache::EntryForSurfaceID(uint32_t surfaceID) {
  auto found = mCachedSurfaces.find(surfaceID);
  if (found != mCachedSurfaces.end()) return found->second.get();
  if (mCachedSurfaces.size() >= kMaximumCachedSurfaces) {
    auto oldest = mCachedSurfaces.end();
    for (auto entry = mCachedSurfaces.begin(); entry != mCachedSurfaces.end(); ++entry) {
      if (oldest != mCachedSurfaces.end() && entry->second->mLastUse >= oldest->second->mLastUse) continue;
      if (!entry->second->TryLockFrameBuffer()) continue;  // a reader holds it
      if (oldest != mCachedSurfaces.end()) oldest->second->UnlockFrameBuffer();
      oldest = entry;
    }
    if (oldest == mCachedSurfaces.end()) return nullptr;
    oldest->second->UnlockFrameBuffer();
    mCachedSurfaces.erase(oldest);
  }
  return mCachedSurfaces.emplace(surfaceID, std::make_unique<UVideoFrameBufferCachedSurface>())
      .first->second.get();
}

UVideoFrameBufferCachedSurface* IOSurfaceSharingFrameBufferCache::GetCachedFrameWithSurfaceID(
    uint32_t surfaceID, bool* surfaceGone) {
  if (surfaceGone) *surfaceGone = false;
  if (surfaceID == 0) return nullptr;
  IOSurfaceRef surface = IOSurfaceLookup(surfaceID);
  if (!surface) {
    if (surfaceGone) *surfaceGone = true;
    return nullptr;
  }
  UVideoFrameBufferCachedSurface* entry = EntryForSurfaceID(surfaceID);
  const bool refreshed = entry && UpdatedCachedSurfaceIfSeedValueChanged(surface, *entry);
  // The cache keeps no surface alive.
  CFRelease(surface);
  if (!refreshed) return nullptr;
  entry->mLastUse = ++mUseCount;
  return entry;
}

bool IOSurfaceSharingFrameBufferCache::UpdatedCachedSurfaceIfSeedValueChanged(
    IOSurfaceRef surface, UVideoFrameBufferCachedSurface& entry) {
  if (!entry.mFrameBufferData && !entry.Construct(mFormat)) return false;
  if (!surface) return false;
  if (IOSurfaceGetSeed(surface) == entry.mSurfaceSeed) return true;
  LockedIOSurface locked;
  if (!locked.Construct(surface)) return false;
  // The application may be writing the surface while it is copied: the copy stands only when
  // no write began or ran on during it. Otherwise the seed stays old and the next ask copies
  // again.
  uint32_t before = 0, after = 0;
  if (IOSurfaceLock(surface, kIOSurfaceLockReadOnly, &before) != kIOReturnSuccess) return false;
  const bool copied = CopyOrResizeSurfaceIntoCachedVideoFrameBuffer(locked, entry);
  const bool whole = IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, &after) == kIOReturnSuccess;
  if (!copied || !whole || after != before) {
    entry.mSurfaceSeed = UVideoFrameBufferCachedSurface::kNoSeed;
    return false;
  }
  entry.mSurfaceSeed = before;
  return true;
}

bool IOSurfaceSharingFrameBufferCache::CopyOrResizeSurfaceIntoCachedVideoFrameBuffer(
    LockedIOSurface& surface, UVideoFrameBufferCachedSurface& entry) {
  bool copied = false;
  switch (surface.mPixelFormat) {
    case UVideoFrameBuffer::kPixelFormat2vuy:
      if (!entry.TryLockFrameBuffer()) return false;
      if (surface.mFrameBufferDataSizeBytes >= entry.mFrameBufferDataSizeBytes) {
        std::memcpy(entry.mFrameBufferData, surface.mFrameBufferData, entry.mFrameBufferDataSizeBytes);
        copied = true;
      }
      break;
    case UVideoFrameBuffer::kPixelFormatBGRA:
      if (!SameFormat(mIntermediateMemory, surface) && !mIntermediateMemory.Construct(surface)) return false;
      if (!entry.TryLockFrameBuffer()) return false;
      copied = BGRA_CopyOrResizeFrameSurface(entry, mScratchMemory, surface, mIntermediateMemory, false);
      break;
    default:
      if (!SameGeometry(surface, entry) || !entry.TryLockFrameBuffer()) return false;
      if (surface.mFrameBufferDataSizeBytes >= entry.mFrameBufferDataSizeBytes) {
        std::memcpy(entry.mFrameBufferData, surface.mFrameBufferData, entry.mFrameBufferDataSizeBytes);
        copied = true;
      }
      break;
  }
  entry.UnlockFrameBuffer();
  // A reader on another thread must see the new pixels before it sees the new seed.
  if (copied) std::atomic_thread_fence(std::memory_order_seq_cst);
  return copied;
}
