// A process at the other end of the Mach tests. It reads commands from its standard input and
// answers one line for each:
//   serve NAME   checks NAME in with the bootstrap service and serves it on a thread ("ok",
//                or "error CODE")
// and ends when its input closes. The served port answers these messages:
//   1000  echo: replies 1100 with the same body
//   1001  call back: sends a message 1101 to the port of its one port descriptor
//   1002  compare: replies 1102 (and prints "same 1") when its two port descriptors have one
//         name, else 0 ("same 0")
//   1003  read: replies 1103 with the first 16 bytes of the fileport of its descriptor
//   1004  dies at once, still holding the reply right
//   1005  stops serving (its port's queue then fills up)
#include <mach/mach.h>
#include <servers/bootstrap.h>
#include <sys/fileport.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace {

#pragma pack(push, 4)
struct Buffer {
  mach_msg_header_t header;
  uint8_t rest[4096];
};
struct OnePort {
  mach_msg_header_t header;
  mach_msg_body_t body;
  mach_msg_port_descriptor_t port;
};
struct TwoPorts {
  mach_msg_header_t header;
  mach_msg_body_t body;
  mach_msg_port_descriptor_t ports[2];
};
#pragma pack(pop)

void reply(const mach_msg_header_t& request, mach_msg_id_t id, const void* body, size_t size) {
  Buffer answer{};
  answer.header.msgh_bits = MACH_MSGH_BITS(MACH_MSGH_BITS_REMOTE(request.msgh_bits), 0);
  answer.header.msgh_remote_port = request.msgh_remote_port;
  answer.header.msgh_id = id;
  std::memcpy(answer.rest, body, size);
  answer.header.msgh_size = mach_msg_size_t(sizeof(mach_msg_header_t) + size);
  mach_msg(&answer.header, MACH_SEND_MSG | MACH_SEND_TIMEOUT, answer.header.msgh_size, 0, MACH_PORT_NULL,
           5000, MACH_PORT_NULL);
}

void serve(mach_port_t port) {
  for (;;) {
    Buffer request{};
    if (mach_msg(&request.header, MACH_RCV_MSG, 0, sizeof request, port, 0, MACH_PORT_NULL) !=
        MACH_MSG_SUCCESS)
      return;
    const mach_msg_header_t& header = request.header;
    const size_t bodySize = header.msgh_size - sizeof header;
    switch (header.msgh_id) {
      case 1000:
        reply(header, 1100, request.rest, bodySize);
        break;
      case 1001: {
        OnePort message;
        std::memcpy(&message, &request, sizeof message);
        mach_msg_header_t back{};
        back.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_MOVE_SEND, 0);
        back.msgh_size = sizeof back;
        back.msgh_remote_port = message.port.name;
        back.msgh_id = 1101;
        mach_msg(&back, MACH_SEND_MSG | MACH_SEND_TIMEOUT, sizeof back, 0, MACH_PORT_NULL, 5000,
                 MACH_PORT_NULL);
        break;
      }
      case 1002: {
        TwoPorts message;
        std::memcpy(&message, &request, sizeof message);
        const uint32_t same =
            MACH_PORT_VALID(message.ports[0].name) && message.ports[0].name == message.ports[1].name;
        std::printf("same %u\n", same);
        std::fflush(stdout);
        if (MACH_PORT_VALID(header.msgh_remote_port)) reply(header, 1102, &same, sizeof same);
        mach_msg_destroy(&message.header);
        break;
      }
      case 1003: {
        OnePort message;
        std::memcpy(&message, &request, sizeof message);
        char bytes[16] = {};
        const int fd = fileport_makefd(message.port.name);
        if (fd >= 0) {
          if (pread(fd, bytes, sizeof bytes, 0) < 0) bytes[0] = 0;
          close(fd);
        }
        mach_port_deallocate(mach_task_self(), message.port.name);
        reply(header, 1103, bytes, sizeof bytes);
        break;
      }
      case 1004:
        _exit(0);
      case 1005: {
        std::mutex never;
        std::condition_variable forever;
        std::unique_lock<std::mutex> hold(never);
        forever.wait(hold, [] { return false; });
        return;
      }
      default:
        mach_msg_destroy(&request.header);
        break;
    }
  }
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.rfind("serve ", 0) == 0) {
      mach_port_t port = MACH_PORT_NULL;
      const kern_return_t status = bootstrap_check_in(bootstrap_port, line.substr(6).c_str(), &port);
      if (status != KERN_SUCCESS) {
        std::printf("error %d\n", status);
      } else {
        std::thread([port] { serve(port); }).detach();
        std::printf("ok\n");
      }
    } else {
      std::printf("unknown command\n");
    }
    std::fflush(stdout);
  }
  return 0;
}
