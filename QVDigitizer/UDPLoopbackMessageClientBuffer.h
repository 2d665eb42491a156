#pragma once
// A frame-protocol client that gathers the frame casts of each call into a list.
#include <vector>

#include "UDPLoopbackMessageClient.h"

class UDPLoopbackMessageClientBuffer : public UDPLoopbackMessageClient {
 public:
  struct message_t {
    UDPNetwork::IPAddress address;
    UDPLoopBackMessageData message;
  };

  using UDPLoopbackMessageClient::UDPLoopbackMessageClient;

  // Connects when needed, keeps the subscription alive and appends every frame cast now
  // waiting, oldest first; answers whether the list holds anything.
  bool GetNewMessages(std::vector<message_t>& messages);
};
