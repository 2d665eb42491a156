#pragma once
// The server's end of the frame protocol for the digitizer's tests: a socket on the listener
// port that reads what clients send and sends them what a test wants, with deadlines.
#include <PollUntil.h>

#include <vector>

#include "UDPLoopBackMessageData.h"
#include "UDPNetworkSocket.h"

namespace moxicam::test {

struct TestServer {
  explicit TestServer(uint16_t port = 30100) { opened = socket.Open(port, true); }

  // Every datagram that has come so far (waiting up to the deadline for at least `atLeast`).
  std::vector<std::pair<UDPNetwork::IPAddress, UDPLoopBackMessageData>> received(size_t atLeast = 1) {
    pollUntil([&] {
      drain();
      return got.size() >= atLeast;
    });
    return got;
  }
  void drain() {
    UDPLoopBackMessageData message;
    UDPNetwork::IPAddress from;
    while (socket.Receive(from, message.receiveMessageData(), message.receiveMessageDataSize()) > 0) {
      got.emplace_back(from, message);
      message = UDPLoopBackMessageData();
    }
  }
  bool cast(const UDPNetwork::IPAddress& to, uint64_t surfaceID, uint64_t time) {
    const UDPLoopBackMessageData message(MessageType_ServerDataCast, surfaceID, time,
                                         UDPLoopBackMessageData::kServerDataCastText);
    return socket.Send(to, message.sendMessageData(), message.sendMessageDataSize());
  }
  bool sendBytes(const UDPNetwork::IPAddress& to, const void* bytes, size_t size) {
    return socket.Send(to, bytes, size);
  }

  UDPNetwork::Socket socket;
  bool opened = false;
  std::vector<std::pair<UDPNetwork::IPAddress, UDPLoopBackMessageData>> got;
};

}  // namespace moxicam::test
