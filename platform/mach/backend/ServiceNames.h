#pragma once
// Where the bootstrap service keeps its names: each checked-in service is a listening
// SOCK_SEQPACKET socket in the abstract namespace, under a name made of the runtime folder's
// identity and the service name, so that processes of one system root meet and those of
// another root (a parallel test run) never do. Nothing needs to be cleaned up: the name goes
// with the socket.
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>

#include <cstdint>

namespace MachLayer {

struct ServiceAddress {
  sockaddr_un address{};
  socklen_t length = 0;
};

// False for a name that is empty or longer than the platform's names.
bool serviceAddress(const char* serviceName, ServiceAddress& out);
// The identity of the port of a service checked in by a process (PortSpace.h).
uint64_t serviceIdentity(const char* serviceName, pid_t server);

}  // namespace MachLayer
