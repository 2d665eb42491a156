#pragma once
// The names of the DNS-SD services of a type that stand at this moment: the registry is read
// once, nothing is waited for. Header-only: the program links dns_sd itself.
#include <dns_sd.h>
#include <poll.h>

#include <string>
#include <vector>

namespace moxicam::test {

inline std::vector<std::string> standingServices(const char* type, const char* domain = "local.") {
  std::vector<std::string> names;
  DNSServiceRef browser = nullptr;
  auto reply = [](DNSServiceRef, DNSServiceFlags flags, uint32_t, DNSServiceErrorType error, const char* name,
                  const char*, const char*, void* context) {
    if (error == kDNSServiceErr_NoError && (flags & kDNSServiceFlagsAdd))
      static_cast<std::vector<std::string>*>(context)->push_back(name);
  };
  if (DNSServiceBrowse(&browser, 0, 0, type, domain, reply, &names) != kDNSServiceErr_NoError)
    return {"<no browser>"};
  // What stands is ready to be told at once.
  pollfd ready{DNSServiceRefSockFD(browser), POLLIN, 0};
  while (poll(&ready, 1, 0) > 0) DNSServiceProcessResult(browser);
  DNSServiceRefDeallocate(browser);
  return names;
}

}  // namespace moxicam::test
