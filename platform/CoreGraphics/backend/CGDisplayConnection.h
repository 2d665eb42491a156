#pragma once
// A connection to the X server named by DISPLAY for the display and window-image layers
// (inner workings). Errors on it, such as a window destroyed while it is being read, are
// kept for the caller to look at rather than ending the process as Xlib would.
#include <X11/Xlib.h>

#include <atomic>
#include <memory>
#include <string>

namespace CGDisplayServer {

class Connection {
 public:
  // Opens DISPLAY; isOpen() is false when there is no X server to talk to.
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool isOpen() const { return mDisplay != nullptr; }
  Display* display() const { return mDisplay; }

  // Waits for the server to answer everything sent so far; answers whether any request
  // since the last check failed, and forgets the failure.
  bool failedSinceLastCheck();

  // Whether the server is gone (it quit, or restarted under the same name, which a fresh
  // server does not know this connection); asks it, so it answers at once either way.
  bool isLost();

  // For a connection used again by another caller: whether the server still knows it (a
  // server that quit, or came back under the same name, does not), with the failures left by
  // the earlier caller forgotten. One round trip.
  bool readyForReuse();

 private:
  Display* mDisplay = nullptr;
  std::atomic<bool> mLost{false};
};

// A connection kept for calls made again and again (a camera's window pictures and window list
// every frame), so that each call does not open one of its own: taken from the connections the
// process keeps for DISPLAY, or opened when none is free, and given back when this goes. Each
// is used by one caller at a time, so a caller that keeps calling keeps its own. A connection
// whose server is gone is not given back.
class KeptConnection {
 public:
  KeptConnection();
  ~KeptConnection();
  KeptConnection(const KeptConnection&) = delete;
  KeptConnection& operator=(const KeptConnection&) = delete;

  Connection& operator*() const { return *mConnection; }
  Connection* operator->() const { return mConnection.get(); }

 private:
  std::string mName;
  std::unique_ptr<Connection> mConnection;
};

}  // namespace CGDisplayServer
