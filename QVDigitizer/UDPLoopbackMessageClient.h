#pragma once
// The client side of the frame protocol: binds the first free port of the range the server
// expects, subscribes by pinging, renews the subscription, and reads what has arrived since
// the last call. It is pulled, never pushed: no thread, timer or run-loop source of its own,
// and no call ever waits on the network.
//
// Only datagrams from the server's own address and port are taken, each read into a fresh
// record and only when it holds at least a whole header: a surface id must come from the
// server, never from whoever else can send to the client's port, nor from a previous datagram.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "CoreMachElapsedTime.h"
#include "UDPLoopBackMessageData.h"
#include "UDPLoopbackMessageProtocol.h"
#include "UDPNetworkSocket.h"

class UDPLoopbackMessageClient {
 public:
  using ReceiveBlock = std::function<void(const UDPNetwork::IPAddress& from,
                                          const UDPLoopBackMessageData& message, void* context)>;

  static constexpr double kKeepAliveSeconds = 1.0;
  // Datagrams read by one call at most, so that a flood cannot hold the caller.
  static constexpr size_t kMaximumDatagramsPerCall = 256;

  explicit UDPLoopbackMessageClient(uint16_t serverPort,
                                    CoreMachElapsedTime::Clock clock = CoreMachElapsedTime::HostTime_nsec);
  virtual ~UDPLoopbackMessageClient();
  UDPLoopbackMessageClient(const UDPLoopbackMessageClient&) = delete;
  UDPLoopbackMessageClient& operator=(const UDPLoopbackMessageClient&) = delete;

  uint16_t GetServerPortNumber() const { return mProtocol.GetServerListenerPort(); }
  // Takes the listener port; an open socket is closed, so that the next connection binds a
  // port of the new range.
  void SetServerPortNumber(uint16_t port);
  const UDPNetwork::IPAddress& GetServerIPAddress() const { return mProtocol.GetServerIPAddress(); }
  const UDPNetwork::IPAddress& GetClientIPAddress() const { return mClientAddress; }
  const UDPNetwork::IPAddress& GetServerAckIPAddress() const { return mServerAckAddress; }
  bool IsConnected() const { return mSocket.IsOpen(); }

  // Opens a socket on the first free port of the client range and pings once; true when a
  // socket is open afterwards.
  bool ConnectToServerWithFirstAvailableSocketInPortRange();
  // Sends one subscription and restarts the stopwatch; false when no socket is open.
  bool SendPingMessageToServer();
  // Pings when more than a second has passed since the last ping; answers whether it did.
  bool PingServerWithKeepAlive();
  // Reads what waits: frame casts go to the block, an acknowledgement notes its sender.
  // Answers whether either came.
  bool HandleServerMessagesWithReceiveBlock(const ReceiveBlock& block, void* context);
  bool DisconnectFromServer();

 private:
  UDPLoopbackMessageProtocol mProtocol;
  UDPNetwork::Socket mSocket;
  UDPNetwork::IPAddress mClientAddress;
  UDPNetwork::IPAddress mServerAckAddress;
  CoreMachElapsedTime mElapsedTime;
};
