#include <servers/bootstrap.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "backend/PortSpace.h"
#include "backend/ServiceNames.h"

using namespace MachLayer;

mach_port_t bootstrap_port = PortSpace::kBootstrapName;

namespace {

// How long a look-up waits for a service that does not take connections (its queue is full).
constexpr int kLookUpSeconds = 5;

}  // namespace

kern_return_t bootstrap_check_in(mach_port_t bp, const char* service_name, mach_port_t* sp) {
  if (bp != PortSpace::kBootstrapName || !sp) return KERN_INVALID_ARGUMENT;
  ServiceAddress address;
  if (!serviceAddress(service_name, address)) return BOOTSTRAP_NOT_PRIVILEGED;
  PortSpace& space = PortSpace::shared();
  mach_port_name_t name;
  std::shared_ptr<ReceivePort> port;
  if (kern_return_t status = space.allocateReceive(serviceIdentity(service_name, getpid()), &name, &port))
    return status;
  if (!port->listen(address.address, address.length)) {
    const int error = errno;
    space.destroy(name);
    if (error == EADDRINUSE) return BOOTSTRAP_SERVICE_ACTIVE;
    std::fprintf(stderr, "bootstrap_check_in: cannot serve %s: %s\n", service_name, strerror(error));
    return BOOTSTRAP_NO_MEMORY;
  }
  *sp = name;
  return BOOTSTRAP_SUCCESS;
}

kern_return_t bootstrap_look_up(mach_port_t bp, const char* service_name, mach_port_t* sp) {
  if (bp != PortSpace::kBootstrapName || !sp) return KERN_INVALID_ARGUMENT;
  ServiceAddress address;
  if (!serviceAddress(service_name, address)) return BOOTSTRAP_UNKNOWN_SERVICE;
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return BOOTSTRAP_NO_MEMORY;
  const timeval patience{kLookUpSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
  int connected;
  do {
    connected = connect(fd, reinterpret_cast<const sockaddr*>(&address.address), address.length);
  } while (connected != 0 && errno == EINTR);
  ucred server{};
  socklen_t length = sizeof server;
  if (connected != 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &server, &length) != 0) {
    if (connected != 0 && (errno == EAGAIN || errno == ETIMEDOUT))
      std::fprintf(stderr, "bootstrap_look_up: %s does not take connections\n", service_name);
    close(fd);
    return BOOTSTRAP_UNKNOWN_SERVICE;
  }
  *sp = PortSpace::shared().insertSendConnection(fd, serviceIdentity(service_name, server.pid));
  return BOOTSTRAP_SUCCESS;
}
