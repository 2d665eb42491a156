#include "UDPLoopbackMessageClient.h"

UDPLoopbackMessageClient::UDPLoopbackMessageClient(uint16_t serverPort, CoreMachElapsedTime::Clock clock)
    : mProtocol(serverPort), mElapsedTime(clock) {}

UDPLoopbackMessageClient::~UDPLoopbackMessageClient() { DisconnectFromServer(); }

void UDPLoopbackMessageClient::SetServerPortNumber(uint16_t port) {
  mProtocol.SetServerListenerPort(port);
  DisconnectFromServer();
}

bool UDPLoopbackMessageClient::ConnectToServerWithFirstAvailableSocketInPortRange() {
  if (mSocket.IsOpen()) return true;
  // Counted by offset: the range may wrap past 65535, where a 16-bit port counter compared
  // with the last port would never stop.
  for (uint32_t offset = 0; offset < UDPLoopbackMessageProtocol::kClientPortCount; ++offset) {
    const uint16_t port = uint16_t(mProtocol.GetClientFirstPort() + offset);
    // Port 0 asks the system for any port: one outside the range, which the server would not
    // expect.
    if (port == 0) continue;
    if (mSocket.Open(port, true)) {
      mClientAddress = mSocket.GetAddress();
      SendPingMessageToServer();
      return true;
    }
  }
  return false;
}

bool UDPLoopbackMessageClient::SendPingMessageToServer() {
  if (!mSocket.IsOpen()) return false;
  const UDPLoopBackMessageData ping(MessageType_ClientPing, 0, 0, UDPLoopBackMessageData::kClientPingText);
  // A lost ping is made good by the next keep-alive.
  mSocket.Send(mProtocol.GetServerIPAddress(), ping.sendMessageData(), ping.sendMessageDataSize());
  mElapsedTime.Start();
  return true;
}

bool UDPLoopbackMessageClient::PingServerWithKeepAlive() {
  if (!mSocket.IsOpen()) return false;
  if (mElapsedTime.Elapsed_sec() > kKeepAliveSeconds) return SendPingMessageToServer();
  return false;
}

bool UDPLoopbackMessageClient::HandleServerMessagesWithReceiveBlock(const ReceiveBlock& block,
                                                                    void* context) {
  if (!mSocket.IsOpen()) return false;
  const UDPNetwork::IPAddress& server = mProtocol.GetServerIPAddress();
  bool handled = false;
  for (size_t read = 0; read < kMaximumDatagramsPerCall; ++read) {
    UDPLoopBackMessageData message;
    UDPNetwork::IPAddress from;
    const size_t size = mSocket.Receive(from, message.receiveMessageData(), message.receiveMessageDataSize());
    if (size == 0) break;
    if (from.GetAddressPortUniqueID() != server.GetAddressPortUniqueID()) continue;
    if (size < UDPLoopBackMessageData::kHeaderSize || !message.HasMessageID()) continue;
    switch (message.GetMessageType()) {
      case MessageType_ServerDataCast:
        if (block) block(from, message, context);
        handled = true;
        break;
      case MessageType_ServerAck:
        mServerAckAddress = from;
        handled = true;
        break;
      default:
        break;
    }
  }
  return handled;
}

bool UDPLoopbackMessageClient::DisconnectFromServer() {
  if (!mSocket.IsOpen()) return false;
  mSocket.Close();
  return true;
}
