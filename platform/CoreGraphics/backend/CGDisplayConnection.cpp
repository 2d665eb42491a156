#include "backend/CGDisplayConnection.h"

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace CGDisplayServer {

namespace {

// The connections of this layer and whether a request on each has failed. Xlib keeps one
// error handler for the whole process: errors on other connections go on to the handler
// that was there before.
std::mutex gLock;
std::set<Display*>* gConnections = new std::set<Display*>();
std::set<Display*>* gFailed = new std::set<Display*>();
XErrorHandler gPreviousErrorHandler = nullptr;
XIOErrorHandler gPreviousIOErrorHandler = nullptr;

int onXError(Display* display, XErrorEvent* event) {
  {
    std::lock_guard guard(gLock);
    if (gConnections->count(display)) {
      gFailed->insert(display);
      return 0;
    }
  }
  return gPreviousErrorHandler ? gPreviousErrorHandler(display, event) : 0;
}

// A lost connection (the server quit) must not end the process, as both Xlib's default handler
// and its default exit do: the connection is marked lost and the requests that follow fail.
int onIOError(Display* display) {
  {
    std::lock_guard guard(gLock);
    if (gConnections->count(display)) return 0;
  }
  return gPreviousIOErrorHandler ? gPreviousIOErrorHandler(display) : 0;
}

void onConnectionLost(Display*, void* lost) { static_cast<std::atomic<bool>*>(lost)->store(true); }

}  // namespace

Connection::Connection() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return;
  static std::once_flag installHandler;
  std::call_once(installHandler, [] {
    gPreviousErrorHandler = XSetErrorHandler(onXError);
    gPreviousIOErrorHandler = XSetIOErrorHandler(onIOError);
  });
  mDisplay = XOpenDisplay(name);
  if (!mDisplay) return;
  XSetIOErrorExitHandler(mDisplay, onConnectionLost, &mLost);
  std::lock_guard guard(gLock);
  gConnections->insert(mDisplay);
}

Connection::~Connection() {
  if (!mDisplay) return;
  // Forgotten before closing, so that a connection opened meanwhile at the same address
  // keeps its own entry. A lost connection has nothing left to wait for.
  if (!mLost) XSync(mDisplay, False);
  {
    std::lock_guard guard(gLock);
    gConnections->erase(mDisplay);
    gFailed->erase(mDisplay);
  }
  XCloseDisplay(mDisplay);
}

bool Connection::failedSinceLastCheck() {
  if (!mDisplay) return true;
  XSync(mDisplay, False);
  std::lock_guard guard(gLock);
  return gFailed->erase(mDisplay) > 0;
}

bool Connection::readyForReuse() {
  const bool lost = isLost();
  // Failures of the previous holder are not the next one's.
  std::lock_guard guard(gLock);
  gFailed->erase(mDisplay);
  return !lost;
}

bool Connection::isLost() {
  if (!mDisplay) return true;
  XSync(mDisplay, False);
  return mLost;
}

namespace {

// At most this many free connections are kept per display name.
constexpr size_t kMostKeptPerName = 4;

std::mutex gKeptLock;
auto* gKept = new std::map<std::string, std::vector<std::unique_ptr<Connection>>>();

}  // namespace

KeptConnection::KeptConnection() {
  // A child process must not talk over its parent's connections.
  const char* name = std::getenv("DISPLAY");
  mName = std::to_string(getpid()) + " " + (name ? name : "");
  for (;;) {
    std::unique_ptr<Connection> kept;
    {
      std::lock_guard guard(gKeptLock);
      auto& free = (*gKept)[mName];
      if (free.empty()) break;
      kept = std::move(free.back());
      free.pop_back();
    }
    if (kept->readyForReuse()) {
      mConnection = std::move(kept);
      return;
    }
  }
  mConnection = std::make_unique<Connection>();
}

KeptConnection::~KeptConnection() {
  if (!mConnection->isOpen()) return;
  std::lock_guard guard(gKeptLock);
  auto& free = (*gKept)[mName];
  if (free.size() < kMostKeptPerName) free.push_back(std::move(mConnection));
}

}  // namespace CGDisplayServer
