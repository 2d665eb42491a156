// hw.model from the machine's firmware (see MachineIdentity).
#include <sys/sysctl.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "backend/MachineIdentity.h"

int sysctl(const int* name, unsigned int namelen, void* oldp, size_t* oldlenp, const void* newp, size_t) {
  if (newp) {
    errno = EPERM;
    return -1;
  }
  if (!name || namelen != 2 || name[0] != CTL_HW || name[1] != HW_MODEL || !oldlenp) {
    errno = ENOENT;
    return -1;
  }
  std::string model = IOKitPlatform::machineModel();
  size_t size = model.size() + 1;
  if (oldp) {
    if (*oldlenp < size) {
      *oldlenp = size;
      errno = ENOMEM;
      return -1;
    }
    memcpy(oldp, model.c_str(), size);
  }
  *oldlenp = size;
  return 0;
}

int sysctlbyname(const char* name, void* oldp, size_t* oldlenp, const void* newp, size_t newlen) {
  if (!name || strcmp(name, "hw.model") != 0) {
    errno = ENOENT;
    return -1;
  }
  const int mib[2] = {CTL_HW, HW_MODEL};
  return sysctl(mib, 2, oldp, oldlenp, newp, newlen);
}
