#include <mach/mach.h>
#include <objc/RefPtr.h>

#include "IOSurfaceIPC.h"

uint32_t IOSurfaceIPC::remotingSurfaceIDFromLocalIOSurfaceID(uint32_t surfaceID) {
  RefPtr<__IOSurface> surface = adopt(IOSurfaceLookup(surfaceID));
  return surface ? IOSurfaceCreateMachPort(surface.get()) : MACH_PORT_NULL;
}

uint32_t IOSurfaceIPC::localIOSurfaceIDFromRemotingSurfaceID(uint32_t port) {
  RefPtr<__IOSurface> surface = adopt(IOSurfaceLookupFromMachPort(port));
  return surface ? IOSurfaceGetID(surface.get()) : 0;
}

bool IOSurfaceIPC::deallocateRemotingSurfaceID(uint32_t port) {
  if (port != MACH_PORT_NULL) mach_port_deallocate(mach_task_self(), port);
  return true;
}
