// A surface port is a fileport of the surface's memory: the descriptor travels in the message,
// and the receiver maps the same memory.
#include <IOSurface/IOSurfaceAPI.h>
#include <sys/fileport.h>
#include <unistd.h>

mach_port_t IOSurfaceCreateMachPort(IOSurfaceRef buffer) {
  const int fd = _IOSurfaceCopyFileDescriptor(buffer);
  if (fd < 0) return MACH_PORT_NULL;
  fileport_t port = MACH_PORT_NULL;
  if (fileport_makeport(fd, &port) != 0) port = MACH_PORT_NULL;
  close(fd);
  return port;
}

IOSurfaceRef IOSurfaceLookupFromMachPort(mach_port_t port) {
  if (!MACH_PORT_VALID(port)) return nullptr;
  const int fd = fileport_makefd(port);
  if (fd < 0) return nullptr;
  IOSurfaceRef surface = _IOSurfaceCreateFromFileDescriptor(fd);
  close(fd);
  return surface;
}
