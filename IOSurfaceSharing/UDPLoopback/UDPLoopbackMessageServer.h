#pragma once
// The server side of the frame protocol. A client subscribes with a ping and is answered
// with an acknowledgement; from then on every frame cast reaches it for as long as its lease
// runs (1.25 s from its latest ping). The socket never blocks: the frame thread reads at most
// one datagram per frame and casts one short datagram per client.
//
// The table of clients is kept small: a client whose lease has lapsed is dropped at the
// next cast (it is served again as soon as it pings again), and once the table is full a new
// client is turned away until a lease lapses.
#include <cstddef>
#include <cstdint>
#include <map>

#include "CoreMachElapsedTime.h"
#include "UDPLoopBackMessageData.h"
#include "UDPLoopbackMessageProtocol.h"
#include "UDPNetworkSocket.h"

class UDPLoopbackMessageServer {
 public:
  static constexpr double kClientLeaseSeconds = 1.25;
  static constexpr size_t kMaximumActiveClients = 64;

  struct UDPActiveClient {
    explicit UDPActiveClient(CoreMachElapsedTime::Clock clock) : mElapsedTime(clock) {}
    UDPNetwork::IPAddress mAddress;
    CoreMachElapsedTime mElapsedTime;  // since the latest ping
  };

  explicit UDPLoopbackMessageServer(uint16_t port = 0,
                                    CoreMachElapsedTime::Clock clock = CoreMachElapsedTime::HostTime_nsec)
      : mProtocol(port), mClock(clock) {}

  // Opens the socket on the listener port unless it is open; answers whether it is open.
  bool OpenServerSocket();
  // Closes the socket, takes the new port and opens it again.
  bool SetServerPortNumber(uint16_t port);
  uint16_t GetServerPortNumber() const { return mProtocol.GetServerListenerPort(); }
  bool IsServerSocketOpen() const { return mServerSocket.IsOpen(); }

  // Reads at most one datagram; answers whether one was read. A ping is acknowledged and
  // (re)starts its sender's lease; anything else is dropped.
  bool HandleClientMessages();
  // Sends the message to every client within its lease; answers how many got all of it.
  size_t BroadcastMessageToActiveClients(const UDPLoopBackMessageData& message);

  const std::map<uint64_t, UDPActiveClient>& GetActiveClients() const { return mActiveClients; }

 private:
  bool LeaseHolds(const UDPActiveClient& client) const;
  void RemoveLapsedClients();

  UDPLoopbackMessageProtocol mProtocol;
  CoreMachElapsedTime::Clock mClock;
  std::map<uint64_t, UDPActiveClient> mActiveClients;
  UDPNetwork::Socket mServerSocket;
};
