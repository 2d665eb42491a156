#pragma once
// A connection to the X server named by DISPLAY for the display and window-image layers
// (inner workings). Errors on it, such as a window destroyed while it is being read, are
// kept for the caller to look at rather than ending the process as Xlib would.
#include <X11/Xlib.h>

#include <atomic>

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

 private:
  Display* mDisplay = nullptr;
  std::atomic<bool> mLost{false};
};

}  // namespace CGDisplayServer
