// A client of the Mach frame service, for tests. It serves SERVICE's frames as an outside
// program would, driven by commands on its standard input, one answer line each:
//   check-in ID TYPE        checks in with the client id made from ID    -> "checked-in INDEX" or
//   "check-in-failed" frame-in SURFACE TIME   hands a frame to the server                  -> "frame-in ok"
//   or "frame-in failed" raw CASE                sends a malformed or foreign message         -> "raw CASE
//   reply ID retcode N",
//                                                                           or "raw CASE error HEX" without
//                                                                           reply
// and prints, as they come, "frame ID TIME WIDTHxHEIGHT PIXEL" for each frame it is sent (the
// surface found by the id its port carries, and its first pixel), "command NAME VALUE" for each
// control command. With --silent it never reads what the server sends. It ends when its input
// closes.
#include <Foundation/NSPortNameServer.h>
#include <mach/mach.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>

#include "IOSurfaceConnectionClientID.h"
#include "IOSurfaceIPC.h"
#include "IOSurfaceMachConnection.h"
#include "IOSurfaceSharingConnectServer.h"

namespace {

std::mutex sOutputLock;

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
  std::lock_guard<std::mutex> guard(sOutputLock);
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

class ProbeConnection : public IOSurfaceMachConnection {
  OBJC_CLASS_DECL(ProbeConnection, IOSurfaceMachConnection)

 public:
  int32_t __mach_message_BroadcastFrameSurfaceTime_frameSurfaceID(uint64_t frameSurfaceTime,
                                                                  uint32_t surfaceID) override {
    RefPtr<__IOSurface> surface = adopt(IOSurfaceLookup(surfaceID));
    uint32_t pixel = 0;
    if (surface && IOSurfaceLock(surface.get(), kIOSurfaceLockReadOnly, nullptr) == kIOReturnSuccess) {
      std::memcpy(&pixel, IOSurfaceGetBaseAddress(surface.get()), sizeof pixel);
      IOSurfaceUnlock(surface.get(), kIOSurfaceLockReadOnly, nullptr);
    }
    say("frame %u %" PRIu64 " %zux%zu %08x", surfaceID, frameSurfaceTime,
        surface ? IOSurfaceGetWidth(surface.get()) : 0, surface ? IOSurfaceGetHeight(surface.get()) : 0,
        pixel);
    return KERN_SUCCESS;
  }

  int32_t __mach_message_BroadcastControlCommand_commandValue(uint64_t commandName,
                                                              uint64_t commandValue) override {
    say("command %" PRIu64 " %" PRIu64, commandName, commandValue);
    return KERN_SUCCESS;
  }

 protected:
  ProbeConnection() = default;
};
OBJC_CLASS_DEFINE(ProbeConnection)

namespace {

using namespace IOSurfaceSharingConnectServer;

#pragma pack(push, 4)
union Exchange {
  mach_msg_header_t header;
  mig_reply_error_t reply;
  ClientCheckInRequest checkIn;
  ClientFrameInRequest frameIn;
  BroadcastControlCommandRequest command;
  uint8_t bytes[256];
};
#pragma pack(pop)

mach_port_t newPort() {
  mach_port_t port = MACH_PORT_NULL;
  mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &port);
  mach_port_insert_right(mach_task_self(), port, port, MACH_MSG_TYPE_MAKE_SEND);
  return port;
}

void setPort(mach_msg_port_descriptor_t& descriptor, mach_port_t name, mach_msg_type_name_t disposition) {
  descriptor = {};
  descriptor.name = name;
  descriptor.disposition = disposition;
  descriptor.type = MACH_MSG_PORT_DESCRIPTOR;
}

// Builds the message of a case; false for a case it does not know.
bool build(const std::string& name, Exchange& message, mach_msg_size_t& size, mach_port_t client) {
  message.header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, MACH_MSG_TYPE_MAKE_SEND_ONCE);
  message.checkIn.NDR = NDR_record;
  auto checkIn = [&](mach_msg_type_name_t disposition) {
    message.header.msgh_bits |= MACH_MSGH_BITS_COMPLEX;
    message.header.msgh_id = kClientCheckInID;
    message.checkIn.msgh_body.msgh_descriptor_count = 1;
    setPort(message.checkIn.clientPort, client, disposition);
    message.checkIn.NDR = NDR_record;
    message.checkIn.clientID = 1;
    size = sizeof message.checkIn;
  };
  if (name == "short-check-in") {
    checkIn(MACH_MSG_TYPE_MAKE_SEND);
    size -= 4;
  } else if (name == "plain-check-in") {
    checkIn(MACH_MSG_TYPE_MAKE_SEND);
    message.header.msgh_bits &= ~mach_msg_bits_t(MACH_MSGH_BITS_COMPLEX);
  } else if (name == "send-once-client-port") {
    checkIn(MACH_MSG_TYPE_MAKE_SEND_ONCE);
  } else if (name == "unknown-id") {
    message.header.msgh_id = kBaseID + 4;
    size = sizeof(mach_msg_header_t) + sizeof(NDR_record_t);
  } else if (name == "control-to-server") {
    message.header.msgh_id = kBroadcastControlCommandID;
    message.command.NDR = NDR_record;
    size = sizeof message.command;
  } else if (name == "frame-in-unknown-client") {
    message.header.msgh_bits |= MACH_MSGH_BITS_COMPLEX;
    message.header.msgh_id = kClientFrameInID;
    message.frameIn.msgh_body.msgh_descriptor_count = 2;
    setPort(message.frameIn.clientPort, client, MACH_MSG_TYPE_MAKE_SEND);
    setPort(message.frameIn.frameSurface, client, MACH_MSG_TYPE_MAKE_SEND);
    message.frameIn.NDR = NDR_record;
    size = sizeof message.frameIn;
  } else {
    return false;
  }
  return true;
}

void raw(const std::string& name, mach_port_t server) {
  const mach_port_t client = newPort();
  const mach_port_t replyPort = newPort();
  Exchange message{};
  mach_msg_size_t size = 0;
  if (!build(name, message, size, client)) {
    say("raw %s unknown", name.c_str());
  } else {
    message.header.msgh_size = size;
    message.header.msgh_remote_port = server;
    message.header.msgh_local_port = replyPort;
    const mach_msg_return_t result =
        mach_msg(&message.header, MACH_SEND_MSG | MACH_RCV_MSG | MACH_SEND_TIMEOUT | MACH_RCV_TIMEOUT, size,
                 sizeof message, replyPort, 5000, MACH_PORT_NULL);
    if (result != MACH_MSG_SUCCESS) {
      say("raw %s error %x", name.c_str(), unsigned(result));
    } else if (message.header.msgh_size < sizeof message.reply) {
      say("raw %s reply %d", name.c_str(), message.header.msgh_id);
    } else {
      say("raw %s reply %d retcode %d", name.c_str(), message.header.msgh_id, message.reply.RetCode);
    }
  }
  mach_port_destroy(mach_task_self(), client);
  mach_port_destroy(mach_task_self(), replyPort);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SERVICE [--silent]\n", argv[0]);
    return 2;
  }
  const bool silent = argc > 2 && std::strcmp(argv[2], "--silent") == 0;
  objc::AutoreleasePool pool;
  RefPtr<ProbeConnection> connection = adopt(static_cast<ProbeConnection*>(ProbeConnection::alloc()->init()));
  RefPtr<NSMachPort> server(static_cast<NSMachPort*>(
      NSMachBootstrapServer::sharedInstance()->portForName(NSString::stringWithUTF8String(argv[1]))));
  if (!server) {
    say("no-service");
    return 1;
  }
  connection->connectWithServerMachPort(server.get());
  if (!silent) connection->runLocalConnectionOnMachPort(connection->localPort().get());

  std::string line;
  while (std::getline(std::cin, line)) {
    objc::AutoreleasePool each;
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "check-in") {
      std::string id;
      uint64_t type = 0;
      words >> id >> type;
      uint32_t index = 0;
      const uint64_t clientID =
          IOSurfaceConnectionClientID::uniqueIdentifierWithString(NSString::stringWithUTF8String(id.c_str()));
      if (connection->__mach_call_ClientCheckIn_inClientType_outClientIndex(clientID, type, &index))
        say("checked-in %u", index);
      else
        say("check-in-failed");
    } else if (command == "frame-in") {
      uint32_t surfaceID = 0;
      uint64_t time = 0;
      words >> surfaceID >> time;
      say("frame-in %s",
          connection->__mach_call_ClientFrameIn_frameSurfaceID(time, surfaceID) ? "ok" : "failed");
    } else if (command == "raw") {
      std::string name;
      words >> name;
      raw(name, server->machPort());
    } else {
      say("unknown-command");
    }
  }
  connection->disconnect();
  return 0;
}
