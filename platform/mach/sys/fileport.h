#pragma once
// A file descriptor as a port right, so that it can travel in a message: the right holds its
// own duplicate of the descriptor.
#include <mach/port.h>

typedef mach_port_t fileport_t;

// 0, or -1 with errno set.
MACH_EXPORT int fileport_makeport(int fd, fileport_t* port);
// A new descriptor (close-on-exec) of what the right holds, or -1 with errno set.
MACH_EXPORT int fileport_makefd(fileport_t port);
