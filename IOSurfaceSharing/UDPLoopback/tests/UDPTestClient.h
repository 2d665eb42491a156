#pragma once
// A subscriber of the frame protocol for tests: a non-blocking socket of its own that pings a
// server and reads what comes back, with deadlines.
#include <PollUntil.h>

#include "UDPLoopBackMessageData.h"
#include "UDPNetworkSocket.h"

namespace moxicam::test {

struct UDPDatagram {
  size_t size = 0;
  UDPLoopBackMessageData message;
};

struct UDPTestClient {
  static UDPNetwork::IPAddress at(uint16_t port, uint32_t address = UDPNetwork::IPAddress::kLoopbackAddress) {
    return UDPNetwork::IPAddress(address, port);
  }

  explicit UDPTestClient(uint16_t port) { opened = socket.Open(port, true); }
  bool send(const UDPLoopBackMessageData& message, UDPNetwork::IPAddress to) {
    return socket.Send(to, message.sendMessageData(), message.sendMessageDataSize());
  }
  bool ping(UDPNetwork::IPAddress to) {
    return send(UDPLoopBackMessageData(MessageType_ClientPing, 0, 0, UDPLoopBackMessageData::kClientPingText),
                to);
  }
  // The next datagram, waited for with a deadline; size 0 when none came.
  UDPDatagram next() {
    UDPDatagram datagram;
    UDPNetwork::IPAddress from;
    pollUntil([&] {
      datagram.size = socket.Receive(from, datagram.message.receiveMessageData(),
                                     datagram.message.receiveMessageDataSize());
      return datagram.size > 0;
    });
    return datagram;
  }
  // How many datagrams wait now, read without waiting: callers first make sure that anything
  // sent to this client has arrived (a datagram sent after it to another client came).
  size_t waiting() {
    size_t count = 0;
    UDPLoopBackMessageData message;
    UDPNetwork::IPAddress from;
    while (socket.Receive(from, message.receiveMessageData(), message.receiveMessageDataSize()) > 0) ++count;
    return count;
  }

  UDPNetwork::Socket socket;
  bool opened = false;
};

}  // namespace moxicam::test
