#include "UDPLoopbackMessageServer.h"

bool UDPLoopbackMessageServer::OpenServerSocket() {
  if (mServerSocket.IsOpen()) return true;
  return mServerSocket.Open(mProtocol.GetServerListenerPort(), true);
}

bool UDPLoopbackMessageServer::SetServerPortNumber(uint16_t port) {
  mServerSocket.Close();
  mProtocol.SetServerListenerPort(port);
  return OpenServerSocket();
}

bool UDPLoopbackMessageServer::HandleClientMessages() {
  UDPLoopBackMessageData message;
  UDPNetwork::IPAddress from;
  if (mServerSocket.Receive(from, message.receiveMessageData(), message.receiveMessageDataSize()) == 0)
    return false;
  if (!message.HasMessageID() || message.GetMessageType() != MessageType_ClientPing) return true;

  const uint64_t key = from.GetAddressPortUniqueID();
  auto client = mActiveClients.find(key);
  if (client == mActiveClients.end()) {
    if (mActiveClients.size() >= kMaximumActiveClients) RemoveLapsedClients();
    if (mActiveClients.size() >= kMaximumActiveClients) return true;
    client = mActiveClients.emplace(key, UDPActiveClient(mClock)).first;
  }
  const UDPLoopBackMessageData ack(MessageType_ServerAck, 0, 0, UDPLoopBackMessageData::kServerAckText);
  mServerSocket.Send(from, ack.sendMessageData(), ack.sendMessageDataSize());
  client->second.mAddress = from;
  client->second.mElapsedTime.Start();
  return true;
}

size_t UDPLoopbackMessageServer::BroadcastMessageToActiveClients(const UDPLoopBackMessageData& message) {
  RemoveLapsedClients();
  size_t sent = 0;
  for (const auto& [key, client] : mActiveClients)
    if (mServerSocket.Send(client.mAddress, message.sendMessageData(), message.sendMessageDataSize())) ++sent;
  return sent;
}

bool UDPLoopbackMessageServer::LeaseHolds(const UDPActiveClient& client) const {
  return client.mElapsedTime.Elapsed_sec() < kClientLeaseSeconds;
}

void UDPLoopbackMessageServer::RemoveLapsedClients() {
  std::erase_if(mActiveClients, [this](const auto& entry) { return !LeaseHolds(entry.second); });
}
