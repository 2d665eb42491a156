// Datagrams on this process's notification socket, which any local process can send to: each
// input is sent as one datagram, and a sentinel name posted after it shows that it has been
// taken in and handed to the observers of whatever name it spelled.
#include <CoreFoundation/CFDarwinNotify.h>
#include <dirent.h>
#include <notify.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzRoot.h"

namespace {

std::atomic<long> gSentinels{0};
int gSender = -1;
std::string gSocketPath;

// This process's socket in the registry folder.
std::string ownSocket() {
  const std::string prefix = std::to_string(getpid()) + "-";
  const std::string folder = _CFDarwinNotifyRegistryPath();
  std::string found;
  if (DIR* listing = opendir(folder.c_str())) {
    while (dirent* entry = readdir(listing))
      if (std::string(entry->d_name).rfind(prefix, 0) == 0) found = folder + "/" + entry->d_name;
    closedir(listing);
  }
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::privateRoot();
  dispatch_queue_t queue = dispatch_queue_create("fuzz notifications", DISPATCH_QUEUE_SERIAL);
  int token = 0;
  for (const char* name : {"com.example.fuzz", "com.example.fuzz.other", ""})
    if (*name) notify_register_dispatch(name, &token, queue, [](int) {});
  notify_register_dispatch("com.example.fuzz.sentinel", &token, queue, [](int) { ++gSentinels; });
  gSocketPath = ownSocket();
  gSender = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (gSocketPath.empty() || gSocketPath.size() >= sizeof address.sun_path) return 0;
  gSocketPath.copy(address.sun_path, gSocketPath.size());
  sendto(gSender, data, size, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
  const long before = gSentinels;
  notify_post("com.example.fuzz.sentinel");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (gSentinels == before) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "the notification after the datagram never came\n");
      std::abort();
    }
    sched_yield();
  }
  return 0;
}
