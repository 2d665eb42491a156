#pragma once
// The memory of one surface: a memfd holding a header page and the pixels, mapped into this
// process. Every process that maps the surface sees the same header, so the seed and the use
// count live there; the geometry is copied out once, after checking, so that another process
// cannot change what this one believes about the mapping's size.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace IOSurfaceLayer {

struct SurfaceGeometry {
  uint64_t width = 0;
  uint64_t height = 0;
  uint64_t bytesPerElement = 0;
  uint64_t bytesPerRow = 0;
  uint64_t allocSize = 0;
  uint32_t pixelFormat = 0;
};

// The bounds every surface keeps, so that no size computed from them overflows.
constexpr uint64_t kMaximumDimension = uint64_t(1) << 16;
constexpr uint64_t kMaximumBytesPerElement = 64;
constexpr uint64_t kMaximumAllocSize = uint64_t(1) << 32;

// Whether a reader may trust the geometry over `pixelBytes` of memory: it is within the bounds
// above, a row holds `width` elements, and every row lies inside the surface's bytes, which lie
// inside the memory. A surface that another process made is held to this once, when it is
// mapped, so that no reader (a pixel buffer, a PNG writer) needs to check again.
bool geometryFits(const SurfaceGeometry& geometry, uint64_t pixelBytes);

// What lies at the start of the shared memory. Only lock-free atomics live here, so that
// processes can share them.
struct SurfaceHeader {
  uint32_t magic;
  uint32_t headerSize;
  uint32_t id;
  int32_t ownerPid;
  uint64_t width;
  uint64_t height;
  uint64_t bytesPerElement;
  uint64_t bytesPerRow;
  uint64_t allocSize;
  uint32_t pixelFormat;
  uint32_t global;
  std::atomic<uint32_t> seed;
  std::atomic<int32_t> useCount;
  // Write locks held in any process: a reader that finds one when it lets go may have read
  // pixels half written.
  std::atomic<int32_t> writers;
  // Set by the owner as it lets go of the surface: no lookup finds it from then on, also not
  // in a process that keeps a mapping of it.
  std::atomic<uint32_t> released;
};

class SurfaceMemory {
 public:
  static constexpr uint32_t kMagic = 0x494f5346;  // "IOSF"
  static constexpr size_t kHeaderSize = 4096;

  // New zeroed memory for a surface of this process; null when it cannot be made.
  static std::shared_ptr<SurfaceMemory> create(const SurfaceGeometry& geometry, uint32_t id, bool global);
  // Maps the surface held by a descriptor (which stays the caller's); null when the
  // descriptor holds no well-formed surface, or memory whose size its maker could still
  // change (a shrink under a reader's feet would fault it): only sealed memory is mapped.
  static std::shared_ptr<SurfaceMemory> map(int fd);

  ~SurfaceMemory();
  SurfaceMemory(const SurfaceMemory&) = delete;
  SurfaceMemory& operator=(const SurfaceMemory&) = delete;

  uint32_t id() const { return mID; }
  bool isGlobal() const { return mGlobal; }
  bool isOwned() const { return mOwned; }
  pid_t ownerPid() const { return mOwnerPid; }
  const SurfaceGeometry& geometry() const { return mGeometry; }
  void* pixels() const { return static_cast<char*>(mMapping) + kHeaderSize; }
  SurfaceHeader& header() const { return *static_cast<SurfaceHeader*>(mMapping); }
  int fd() const { return mFD; }
  // Whether the owner still holds the surface, so that a lookup may find it.
  bool isFindable() const;

  // Locks taken through this process's mapping, so that an unlock without its lock is caught.
  std::atomic<int> readLocks{0};
  std::atomic<int> writeLocks{0};

 private:
  SurfaceMemory(int fd, void* mapping, size_t mappingSize, bool owned);

  int mFD;
  void* mMapping;
  size_t mMappingSize;
  bool mOwned;
  uint32_t mID = 0;
  bool mGlobal = false;
  pid_t mOwnerPid = 0;
  SurfaceGeometry mGeometry;
};

static_assert(std::atomic<uint32_t>::is_always_lock_free && std::atomic<int32_t>::is_always_lock_free,
              "the header's counters are shared between processes");

}  // namespace IOSurfaceLayer
