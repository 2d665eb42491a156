#pragma once
// The audio server's socket: one connection per client process, each served by a thread of
// its own that answers the process's requests and is the process's client of the server.
// A request that does not parse is answered with a status and a report on standard error;
// the connection and the server go on.
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "Server.h"

namespace AudioServer {

class SocketServer {
 public:
  explicit SocketServer(Server& server);
  ~SocketServer();
  SocketServer(const SocketServer&) = delete;
  SocketServer& operator=(const SocketServer&) = delete;

  // Binds the socket of the runtime folder and writes the pid file; false, with the reason,
  // when another audio server answers there or the socket cannot be made.
  bool listen(std::string& error);
  int listeningSocket() const { return mListening; }
  // Accepts a pending connection and serves it.
  void acceptConnection();

 private:
  class Connection;

  void reapFinished();

  Server& mServer;
  int mListening = -1;
  bool mOwnsFiles = false;
  std::mutex mConnectionsLock;
  std::list<std::unique_ptr<Connection>> mConnections;
};

}  // namespace AudioServer
