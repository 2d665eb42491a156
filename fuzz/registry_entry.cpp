// Entries of the service registry folder, which any local process can write: the input is an
// entry file, held locked as a living owner holds it, that a browser and a resolver read.
#include <CoreFoundation/CFPlatformRoot.h>
#include <dns_sd.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzRoot.h"

namespace {

void noBrowse(DNSServiceRef, DNSServiceFlags, uint32_t, DNSServiceErrorType, const char*, const char*, const char*,
              void*) {}
void noResolve(DNSServiceRef, DNSServiceFlags, uint32_t, DNSServiceErrorType, const char*, const char*, uint16_t,
               uint16_t, const unsigned char*, void*) {}

// Hands on whatever replies are waiting, without waiting for more.
void processWaiting(DNSServiceRef service) {
  pollfd ready{DNSServiceRefSockFD(service), POLLIN, 0};
  while (poll(&ready, 1, 0) > 0 && DNSServiceProcessResult(service) == kDNSServiceErr_NoError) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::privateRoot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string folder = std::string(_CFPlatformRuntimePath()) + "/dnssd/local./_fuzz._udp.";
  if (!CFPlatform::makeFolders(folder)) return 0;
  const std::string entry = folder + "/Fuzzed";
  const int fd = open(entry.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return 0;
  if (write(fd, data, size) == ssize_t(size) && flock(fd, LOCK_EX | LOCK_NB) == 0) {
    DNSServiceRef browser = nullptr, resolver = nullptr;
    if (DNSServiceBrowse(&browser, 0, 0, "_fuzz._udp.", "local.", noBrowse, nullptr) == kDNSServiceErr_NoError) {
      processWaiting(browser);
      DNSServiceRefDeallocate(browser);
    }
    if (DNSServiceResolve(&resolver, 0, 0, "Fuzzed", "_fuzz._udp.", "local.", noResolve, nullptr) ==
        kDNSServiceErr_NoError) {
      processWaiting(resolver);
      DNSServiceRefDeallocate(resolver);
    }
  }
  unlink(entry.c_str());
  close(fd);
  return 0;
}
