#include "ServiceNames.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "PortSpace.h"

namespace MachLayer {

namespace {

constexpr size_t kLongestServiceName = 127;

uint64_t fnv1a(const std::string& text, uint64_t hash = 0xcbf29ce484222325ull) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// The system root as CoreFoundation finds it: MOXICAM_ROOT, else the folder the platform
// libraries were built or installed into (this library lies in <root>/usr/lib).
std::string rootPath() {
  const char* root = getenv("MOXICAM_ROOT");
  if (root && *root) return root;
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&serviceIdentity), &info) || !info.dli_fname) return "/";
  char resolved[PATH_MAX];
  const std::string self = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
  const size_t folder = self.rfind("/usr/lib/");
  return folder == std::string::npos || folder == 0 ? "/" : self.substr(0, folder);
}

uint64_t runtimeFolderIdentity() {
  std::string root = rootPath();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return fnv1a((root == "/" ? "" : root) + "/private/var/run/moxicam");
}

}  // namespace

bool serviceAddress(const char* serviceName, ServiceAddress& out) {
  if (!serviceName || !*serviceName || strlen(serviceName) > kLongestServiceName) return false;
  char prefix[64];
  snprintf(prefix, sizeof prefix, "moxicam-bootstrap.%016llx.", (unsigned long long)runtimeFolderIdentity());
  std::string name = std::string(prefix) + serviceName;
  // A long service name is known by its hash, so that every valid name has an address.
  if (name.size() >= sizeof out.address.sun_path) {
    char hashed[24];
    snprintf(hashed, sizeof hashed, "#%016llx", (unsigned long long)fnv1a(serviceName));
    name = std::string(prefix) + hashed;
  }
  out.address = {};
  out.address.sun_family = AF_UNIX;
  // Abstract: the name starts after a zero byte and is not zero-terminated.
  std::memcpy(out.address.sun_path + 1, name.data(), name.size());
  out.length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return true;
}

uint64_t serviceIdentity(const char* serviceName, pid_t server) {
  return portIdentity(server, uint32_t(fnv1a(serviceName, runtimeFolderIdentity())));
}

}  // namespace MachLayer
