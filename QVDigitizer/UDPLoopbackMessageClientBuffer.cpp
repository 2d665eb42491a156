#include "UDPLoopbackMessageClientBuffer.h"

bool UDPLoopbackMessageClientBuffer::GetNewMessages(std::vector<message_t>& messages) {
  if (!ConnectToServerWithFirstAvailableSocketInPortRange()) return !messages.empty();
  PingServerWithKeepAlive();
  HandleServerMessagesWithReceiveBlock(
      [&messages](const UDPNetwork::IPAddress& from, const UDPLoopBackMessageData& message, void*) {
        messages.push_back(message_t{from, message});
      },
      nullptr);
  return !messages.empty();
}
