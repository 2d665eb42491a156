#include "backend/SurfaceMemory.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "backend/SurfaceRegistry.h"

namespace IOSurfaceLayer {

namespace {

size_t pageRounded(uint64_t size) {
  const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  return static_cast<size_t>((size + page - 1) / page * page);
}

}  // namespace

bool geometryFits(const SurfaceGeometry& geometry, uint64_t pixelBytes) {
  const SurfaceGeometry& g = geometry;
  return g.width >= 1 && g.width <= kMaximumDimension && g.height >= 1 && g.height <= kMaximumDimension &&
         g.bytesPerElement >= 1 && g.bytesPerElement <= kMaximumBytesPerElement &&
         g.bytesPerRow >= g.width * g.bytesPerElement && g.bytesPerRow <= kMaximumAllocSize &&
         g.allocSize <= kMaximumAllocSize && g.bytesPerRow * g.height <= g.allocSize && g.allocSize <= pixelBytes;
}

SurfaceMemory::SurfaceMemory(int fd, void* mapping, size_t mappingSize, bool owned)
    : mFD(fd), mMapping(mapping), mMappingSize(mappingSize), mOwned(owned) {}

SurfaceMemory::~SurfaceMemory() {
  if (mOwned) {
    header().released.store(1);
    SurfaceRegistry::shared().remove(mID);
  }
  munmap(mMapping, mMappingSize);
  close(mFD);
}

std::shared_ptr<SurfaceMemory> SurfaceMemory::create(const SurfaceGeometry& geometry, uint32_t id,
                                                     bool global) {
  const size_t mappingSize = pageRounded(kHeaderSize + geometry.allocSize);
  int fd = memfd_create("IOSurface", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) {
    std::fprintf(stderr, "IOSurface: no shared memory for a surface: %s\n", std::strerror(errno));
    return nullptr;
  }
  if (ftruncate(fd, static_cast<off_t>(mappingSize)) != 0) {
    std::fprintf(stderr, "IOSurface: cannot size a surface of %zu bytes: %s\n", mappingSize,
                 std::strerror(errno));
    close(fd);
    return nullptr;
  }
  // The size is fixed for good, so a process that maps the surface later can trust it.
  fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
  void* mapping = mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (mapping == MAP_FAILED) {
    std::fprintf(stderr, "IOSurface: cannot map a surface: %s\n", std::strerror(errno));
    close(fd);
    return nullptr;
  }
  auto* header = new (mapping) SurfaceHeader{};
  header->magic = kMagic;
  header->headerSize = kHeaderSize;
  header->id = id;
  header->ownerPid = getpid();
  header->width = geometry.width;
  header->height = geometry.height;
  header->bytesPerElement = geometry.bytesPerElement;
  header->bytesPerRow = geometry.bytesPerRow;
  header->allocSize = geometry.allocSize;
  header->pixelFormat = geometry.pixelFormat;
  header->global = global ? 1 : 0;
  header->seed.store(1);
  header->useCount.store(0);
  header->writers.store(0);
  header->released.store(0);

  std::shared_ptr<SurfaceMemory> memory(new SurfaceMemory(fd, mapping, mappingSize, true));
  memory->mID = id;
  memory->mGlobal = global;
  memory->mOwnerPid = getpid();
  memory->mGeometry = geometry;
  return memory;
}

bool SurfaceMemory::isFindable() const {
  if (header().released.load() != 0) return false;
  if (mOwned || mOwnerPid == getpid()) return true;
  return mOwnerPid > 0 && !(kill(mOwnerPid, 0) != 0 && errno == ESRCH);
}

std::shared_ptr<SurfaceMemory> SurfaceMemory::map(int fd) {
  struct stat status;
  if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<uint64_t>(status.st_size) < kHeaderSize)
    return nullptr;
  const int seals = fcntl(fd, F_GET_SEALS);
  if (seals < 0 || !(seals & F_SEAL_SHRINK)) return nullptr;
  const size_t mappingSize = static_cast<size_t>(status.st_size);
  int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return nullptr;
  void* mapping = mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, own, 0);
  if (mapping == MAP_FAILED) {
    close(own);
    return nullptr;
  }
  std::shared_ptr<SurfaceMemory> memory(new SurfaceMemory(own, mapping, mappingSize, false));

  // Everything below is read once and checked against the mapping that really exists.
  const SurfaceHeader& header = memory->header();
  SurfaceGeometry geometry;
  geometry.width = header.width;
  geometry.height = header.height;
  geometry.bytesPerElement = header.bytesPerElement;
  geometry.bytesPerRow = header.bytesPerRow;
  geometry.allocSize = header.allocSize;
  geometry.pixelFormat = header.pixelFormat;
  const bool wellFormed = header.magic == kMagic && header.headerSize == kHeaderSize &&
                          geometryFits(geometry, mappingSize - kHeaderSize);
  if (!wellFormed) return nullptr;
  memory->mID = header.id;
  memory->mGlobal = header.global != 0;
  memory->mOwnerPid = header.ownerPid;
  memory->mGeometry = geometry;
  return memory;
}

}  // namespace IOSurfaceLayer
