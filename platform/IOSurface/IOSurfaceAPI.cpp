// Surfaces are memfds shared between processes; see SurfaceMemory.h and SurfaceRegistry.h.
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <IOSurface/IOSurfaceAPI.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "backend/IOSurfaceObject.h"
#include "backend/SurfaceGeometryFromProperties.h"
#include "backend/SurfaceRegistry.h"

using IOSurfaceLayer::SurfaceMemory;
using IOSurfaceLayer::SurfaceRegistry;

const CFStringRef kIOSurfaceAllocSize = CFSTR("IOSurfaceAllocSize");
const CFStringRef kIOSurfaceWidth = CFSTR("IOSurfaceWidth");
const CFStringRef kIOSurfaceHeight = CFSTR("IOSurfaceHeight");
const CFStringRef kIOSurfaceBytesPerRow = CFSTR("IOSurfaceBytesPerRow");
const CFStringRef kIOSurfaceBytesPerElement = CFSTR("IOSurfaceBytesPerElement");
const CFStringRef kIOSurfaceElementWidth = CFSTR("IOSurfaceElementWidth");
const CFStringRef kIOSurfaceElementHeight = CFSTR("IOSurfaceElementHeight");
const CFStringRef kIOSurfacePixelFormat = CFSTR("IOSurfacePixelFormat");
const CFStringRef kIOSurfaceIsGlobal = CFSTR("IOSurfaceIsGlobal");

CFTypeID __IOSurface::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("IOSurface");
  return id;
}

bool __IOSurface::isEqual(const NSObject* other) const {
  return other && other->cfTypeID() == typeID() &&
         &static_cast<const __IOSurface*>(other)->memory() == &memory();
}

const __CFString* __IOSurface::copyDescription() const {
  const auto& geometry = mMemory->geometry();
  const uint32_t format = geometry.pixelFormat;
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<IOSurface %p [id 0x%x] %llu x %llu '%c%c%c%c'>"),
                                  static_cast<const void*>(this), mMemory->id(),
                                  static_cast<unsigned long long>(geometry.width),
                                  static_cast<unsigned long long>(geometry.height), char(format >> 24),
                                  char(format >> 16), char(format >> 8), char(format));
}

namespace {

// The surface behind a reference, or null (with a report) for anything else.
const __IOSurface* surfaceOf(IOSurfaceRef buffer, const char* function) {
  const auto* object = reinterpret_cast<const NSObject*>(buffer);
  if (!object || object->cfTypeID() != __IOSurface::typeID()) {
    std::fprintf(stderr, "%s: %p is not an IOSurface\n", function, static_cast<const void*>(buffer));
    return nullptr;
  }
  return static_cast<const __IOSurface*>(object);
}

IOSurfaceRef wrap(std::shared_ptr<SurfaceMemory> memory) {
  return memory ? new __IOSurface(std::move(memory)) : nullptr;
}

}  // namespace

CFTypeID IOSurfaceGetTypeID(void) { return __IOSurface::typeID(); }

IOSurfaceRef IOSurfaceCreate(CFDictionaryRef properties) {
  IOSurfaceLayer::SurfaceGeometry geometry;
  bool global = false;
  if (!IOSurfaceLayer::geometryFromProperties(properties, geometry, global)) return nullptr;
  std::shared_ptr<SurfaceMemory> memory =
      SurfaceMemory::create(geometry, SurfaceRegistry::shared().allocateID(), global);
  if (!memory) return nullptr;
  SurfaceRegistry::shared().add(memory);
  return wrap(std::move(memory));
}

IOSurfaceRef IOSurfaceLookup(IOSurfaceID csid) { return wrap(SurfaceRegistry::shared().lookup(csid)); }

IOSurfaceID IOSurfaceGetID(IOSurfaceRef buffer) {
  // No surface has id 0, which is what callers take for "none".
  const __IOSurface* surface = buffer ? surfaceOf(buffer, __func__) : nullptr;
  return surface ? surface->memory().id() : 0;
}

IOReturn IOSurfaceLock(IOSurfaceRef buffer, IOSurfaceLockOptions options, uint32_t* seed) {
  const __IOSurface* surface = surfaceOf(buffer, __func__);
  if (!surface) return kIOReturnBadArgument;
  SurfaceMemory& memory = surface->memory();
  const bool readOnly = options & kIOSurfaceLockReadOnly;
  if (!readOnly) memory.header().writers.fetch_add(1);
  (readOnly ? memory.readLocks : memory.writeLocks).fetch_add(1);
  if (seed) *seed = memory.header().seed.load();
  return kIOReturnSuccess;
}

IOReturn IOSurfaceUnlock(IOSurfaceRef buffer, IOSurfaceLockOptions options, uint32_t* seed) {
  const __IOSurface* surface = surfaceOf(buffer, __func__);
  if (!surface) return kIOReturnBadArgument;
  SurfaceMemory& memory = surface->memory();
  const bool readOnly = options & kIOSurfaceLockReadOnly;
  std::atomic<int>& locks = readOnly ? memory.readLocks : memory.writeLocks;
  int held = locks.load();
  do {
    if (held <= 0) {
      std::fprintf(stderr, "IOSurfaceUnlock: surface %u is not locked%s\n", memory.id(),
                   readOnly ? " for reading" : " for writing");
      return kIOReturnNotOpen;
    }
  } while (!locks.compare_exchange_weak(held, held - 1));
  // What was written is now visible: every process sees the new seed. A reader compares it with
  // the seed of its lock; a writer still at work (in any process) makes what it read unsure.
  if (readOnly) {
    if (seed) *seed = memory.header().seed.load();
    return memory.header().writers.load() > 0 ? kIOReturnBusy : kIOReturnSuccess;
  }
  const uint32_t now = memory.header().seed.fetch_add(1) + 1;
  memory.header().writers.fetch_sub(1);
  if (seed) *seed = now;
  return kIOReturnSuccess;
}

#define IOSURFACE_GETTER(type, name, expression)                           \
  type name(IOSurfaceRef buffer) {                                         \
    const __IOSurface* surface = surfaceOf(buffer, __func__);              \
    return surface ? static_cast<type>(expression) : static_cast<type>(0); \
  }

IOSURFACE_GETTER(size_t, IOSurfaceGetAllocSize, surface->memory().geometry().allocSize)
IOSURFACE_GETTER(size_t, IOSurfaceGetWidth, surface->memory().geometry().width)
IOSURFACE_GETTER(size_t, IOSurfaceGetHeight, surface->memory().geometry().height)
IOSURFACE_GETTER(size_t, IOSurfaceGetBytesPerElement, surface->memory().geometry().bytesPerElement)
IOSURFACE_GETTER(size_t, IOSurfaceGetBytesPerRow, surface->memory().geometry().bytesPerRow)
IOSURFACE_GETTER(size_t, IOSurfaceGetElementWidth, 1)
IOSURFACE_GETTER(size_t, IOSurfaceGetElementHeight, 1)
IOSURFACE_GETTER(OSType, IOSurfaceGetPixelFormat, surface->memory().geometry().pixelFormat)
IOSURFACE_GETTER(void*, IOSurfaceGetBaseAddress, surface->memory().pixels())
IOSURFACE_GETTER(size_t, IOSurfaceGetPlaneCount, 0)
IOSURFACE_GETTER(uint32_t, IOSurfaceGetSeed, surface->memory().header().seed.load())
IOSURFACE_GETTER(int32_t, IOSurfaceGetUseCount, surface->memory().header().useCount.load())

Boolean IOSurfaceIsInUse(IOSurfaceRef buffer) { return IOSurfaceGetUseCount(buffer) > 0; }

void IOSurfaceIncrementUseCount(IOSurfaceRef buffer) {
  if (const __IOSurface* surface = surfaceOf(buffer, __func__))
    surface->memory().header().useCount.fetch_add(1);
}

void IOSurfaceDecrementUseCount(IOSurfaceRef buffer) {
  const __IOSurface* surface = surfaceOf(buffer, __func__);
  if (!surface) return;
  // An unbalanced decrement must not make the surface look free to everyone else forever.
  std::atomic<int32_t>& count = surface->memory().header().useCount;
  int32_t now = count.load();
  do {
    if (now <= 0) {
      std::fprintf(stderr, "IOSurfaceDecrementUseCount: surface %u is not in use\n", surface->memory().id());
      return;
    }
  } while (!count.compare_exchange_weak(now, now - 1));
}

int _IOSurfaceCopyFileDescriptor(IOSurfaceRef buffer) {
  const __IOSurface* surface = surfaceOf(buffer, __func__);
  // Above the standard streams, so that no port is ever 0.
  return surface ? fcntl(surface->memory().fd(), F_DUPFD_CLOEXEC, 3) : -1;
}

IOSurfaceRef _IOSurfaceCreateFromFileDescriptor(int fd) {
  std::shared_ptr<SurfaceMemory> memory = SurfaceMemory::map(fd);
  if (!memory) {
    std::fprintf(stderr, "IOSurface: descriptor %d holds no surface\n", fd);
    return nullptr;
  }
  // A surface of this process comes back as the memory it already has, with its locks.
  if (auto here = SurfaceRegistry::shared().lookupHere(memory->id())) {
    struct stat a, b;
    if (fstat(here->fd(), &a) == 0 && fstat(memory->fd(), &b) == 0 && a.st_ino == b.st_ino &&
        a.st_dev == b.st_dev)
      return wrap(std::move(here));
  }
  return wrap(std::move(memory));
}
