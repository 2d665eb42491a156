#include <fcntl.h>
#include <sys/fileport.h>

#include <cerrno>

#include "backend/PortSpace.h"

int fileport_makeport(int fd, fileport_t* port) {
  if (!port) {
    errno = EINVAL;
    return -1;
  }
  const int kept = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (kept < 0) return -1;
  *port = MachLayer::PortSpace::shared().insertFileport(kept);
  return 0;
}

int fileport_makefd(fileport_t port) { return MachLayer::PortSpace::shared().copyFileportDescriptor(port); }
