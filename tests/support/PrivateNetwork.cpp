// private-network PROGRAM [ARGUMENTS...]: runs the program in a network namespace of its own
// whose loopback interface is up, so that tests which open fixed ports never meet another
// test (or the machine) on them. Without the right to make a namespace as root, it makes one
// inside a user namespace of its own, which an ordinary user may.
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool writeFile(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
  close(fd);
  return written;
}

bool enterNetworkNamespace() {
  if (unshare(CLONE_NEWNET) == 0) return true;
  const uid_t uid = geteuid();
  const gid_t gid = getegid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
  // Keep the same user and group inside, so that the program's files stay the caller's.
  return writeFile("/proc/self/setgroups", "deny") &&
         writeFile("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") &&
         writeFile("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1");
}

bool bringLoopbackUp() {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags |= IFF_UP;
  up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  close(fd);
  return up;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: private-network PROGRAM [ARGUMENTS...]\n");
    return 64;
  }
  if (!enterNetworkNamespace()) {
    fprintf(stderr, "private-network: cannot make a network namespace: %s\n", strerror(errno));
    return 1;
  }
  if (!bringLoopbackUp()) {
    fprintf(stderr, "private-network: cannot bring the loopback interface up: %s\n", strerror(errno));
    return 1;
  }
  execv(argv[1], argv + 1);
  fprintf(stderr, "private-network: cannot run %s: %s\n", argv[1], strerror(errno));
  return 127;
}
