// Another process that registers a service for the tests:
//   DNSServiceProbe <name> <port> <type>
// registers the service, says "registered <name>" on its standard output, and keeps it until
// its standard input ends (or it is killed, as a crash would end it).
#include <arpa/inet.h>
#include <dns_sd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  DNSServiceRef service = nullptr;
  const uint16_t port = htons(uint16_t(std::atoi(argv[2])));
  if (DNSServiceRegister(&service, 0, 0, argv[1], argv[3], "local.", nullptr, port, 0, nullptr, nullptr, nullptr) !=
      kDNSServiceErr_NoError) {
    return 1;
  }
  std::printf("registered %s\n", argv[1]);
  std::fflush(stdout);
  char byte;
  while (read(STDIN_FILENO, &byte, 1) > 0) {
  }
  DNSServiceRefDeallocate(service);
  return 0;
}
