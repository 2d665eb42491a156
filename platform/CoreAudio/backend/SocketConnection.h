#pragma once
// The connection of a client process to the audio server program: requests and answers on
// the socket, property changes read by a thread of the connection, and one I/O thread per
// device whose I/O the process runs.
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "HALConnection.h"
#include "PacketSocket.h"

namespace HALClient {

class ClientIOSession;

class SocketConnection final : public Connection {
 public:
  // Null when no audio server answers on the socket of the runtime folder.
  static std::unique_ptr<Connection> connect(ConnectionEvents& events);
  ~SocketConnection() override;

  Boolean hasProperty(AudioObjectID objectID, const AudioObjectPropertyAddress& address) override;
  OSStatus isPropertySettable(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                              Boolean* outIsSettable) override;
  OSStatus getPropertyDataSize(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                               UInt32 qualifierSize, const void* qualifier, UInt32* outDataSize) override;
  OSStatus getPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                           UInt32 qualifierSize, const void* qualifier, UInt32* ioDataSize,
                           void* outData) override;
  OSStatus setPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                           UInt32 qualifierSize, const void* qualifier, UInt32 inDataSize,
                           const void* inData) override;
  OSStatus startIO(AudioObjectID deviceID, IOCycleHandler* handler) override;
  OSStatus stopIO(AudioObjectID deviceID) override;
  OSStatus getCurrentTime(AudioObjectID deviceID, AudioTimeStamp* outTime) override;

 private:
  SocketConnection(int socket, ConnectionEvents& events);
  // Sends the request and waits for its answer; false when the server did not answer.
  bool request(AudioServerProtocol::Message message, const AudioServerProtocol::Writer& payload,
               AudioServerProtocol::Packet& reply);
  void readerMain();
  // Hands the connection out once the server took the introduction: from then on its end is
  // told as a lost connection. False when it already ended.
  bool markIntroduced();
  void writeQualifier(AudioServerProtocol::Writer& writer, const AudioObjectPropertyAddress& address,
                      UInt32 qualifierSize, const void* qualifier);

  const int mSocket;
  ConnectionEvents& mEvents;
  std::mutex mSendLock;
  std::mutex mRepliesLock;
  std::condition_variable mRepliesChanged;
  std::map<uint32_t, AudioServerProtocol::Packet> mReplies;
  uint32_t mNextSerial = 1;
  bool mClosed = false;
  // A connection that ends before it was handed out tells nobody: whoever is making it waits
  // for its reader while holding what the teller would need.
  bool mIntroduced = false;
  std::thread mReader;

  std::mutex mSessionsLock;
  std::map<AudioObjectID, std::unique_ptr<ClientIOSession>> mSessions;
};

}  // namespace HALClient
