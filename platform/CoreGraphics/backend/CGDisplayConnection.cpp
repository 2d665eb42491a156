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

// A lost connection must not end the process; the requests that follow fail.
void onConnectionLost(Display*, void*) {}

}  // namespace

Connection::Connection() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return;
  static std::once_flag installHandler;
  std::call_once(installHandler, [] { gPreviousErrorHandler = XSetErrorHandler(onXError); });
  mDisplay = XOpenDisplay(name);
  if (!mDisplay) return;
  XSetIOErrorExitHandler(mDisplay, onConnectionLost, nullptr);
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

}  // namespace CGDisplayServer
