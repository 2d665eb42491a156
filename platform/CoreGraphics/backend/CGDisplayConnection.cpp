#include "backend/CGDisplayConnection.h"

#include <cstdlib>
#include <mutex>
#include <set>

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
  // keeps its own entry.
  XSync(mDisplay, False);
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

bool Connection::isLost() {
  if (!mDisplay) return true;
  XSync(mDisplay, False);
  return mLost;
}

}  // namespace CGDisplayServer
