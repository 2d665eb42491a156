#pragma once
// A private X server (Xvfb with Composite and RandR) for one test program, so that what a
// test draws and the displays it sets up are seen by nobody else, and other tests' windows
// never show in its pictures. DISPLAY points at it while the object lives. Header-only;
// the tests that use Xlib calls here link x11.
// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "RunningChild.h"

namespace moxicam::test {

class XTestServer {
 public:
  explicit XTestServer(int width = 1280, int height = 1024) : mWidth(width), mHeight(height) {
    start("");
    if (!isRunning()) return;
    if (const char* previous = std::getenv("DISPLAY")) mPreviousDisplay = previous;
    setenv("DISPLAY", mDisplayName.c_str(), 1);
  }

  ~XTestServer() {
    stop();
    if (mPreviousDisplay.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", mPreviousDisplay.c_str(), 1);
    }
  }

  XTestServer(const XTestServer&) = delete;
  XTestServer& operator=(const XTestServer&) = delete;

  bool isRunning() const { return !mDisplayName.empty(); }
  // Why there is no server, for GTEST_SKIP.
  const std::string& problem() const { return mProblem; }
  const std::string& displayName() const { return mDisplayName; }

  // Ends the server and starts a fresh one under the same name, as when an X server restarts;
  // false (with a problem) when another server took the name meanwhile.
  bool restart() {
    const std::string name = mDisplayName;
    stop();
    start(name);
    return isRunning();
  }

 private:
  // Starts Xvfb at `name`, or at the first free display when it is empty; it says its number
  // on its standard output once it takes connections. It listens on the abstract socket only:
  // in a test's own network namespace every display number looks free, and a server that also
  // took the socket file of its number in /tmp/.X11-unix would take it from the X server that
  // the other tests of the run share.
  void start(const std::string& name) {
    const std::string screen = std::to_string(mWidth) + "x" + std::to_string(mHeight) + "x24";
    std::vector<std::string> arguments{"-displayfd", "1", "-screen", "0", screen, "+extension", "Composite",
                                       "+extension", "RANDR", "-nolisten", "tcp", "-nolisten", "unix",
                                       "-noreset"};
    if (!name.empty()) arguments.insert(arguments.begin(), name);
    mServer = std::make_unique<RunningChild>("Xvfb", arguments);
    std::optional<std::string> number;
    if (mServer->started()) number = mServer->nextLine(std::chrono::seconds(15));
    if (!number || number->empty()) {
      mProblem = name.empty() ? "Xvfb did not start (is it installed?)" : "Xvfb did not start again at " + name;
      stop();
      return;
    }
    mDisplayName = ":" + *number;
  }

  void stop() {
    if (mServer) mServer->stop(SIGTERM, std::chrono::seconds(2));
    mServer.reset();
    mDisplayName.clear();
  }

  int mWidth;
  int mHeight;
  std::unique_ptr<RunningChild> mServer;
  std::string mDisplayName;
  std::string mPreviousDisplay;
  std::string mProblem;
};

// A test on a server of its own, with a connection to it; skipped where Xvfb cannot start.
class XServerTest : public testing::Test {
 protected:
  XServerTest(int width, int height) : mServer(width, height) {}

  void SetUp() override {
    if (!mServer.isRunning()) GTEST_SKIP() << mServer.problem();
    mDisplay = XOpenDisplay(nullptr);
    ASSERT_NE(mDisplay, nullptr);
  }
  void TearDown() override {
    if (mDisplay) XCloseDisplay(mDisplay);
  }

  XTestServer mServer;
  Display* mDisplay = nullptr;
};

// A top-level window of one solid colour (0xRRGGBB), mapped and painted by the server, that
// says which process owns it, as window managers expect.
inline Window openSolidWindow(Display* display, int x, int y, int width, int height, unsigned long rgb) {
  XSetWindowAttributes attributes{};
  attributes.background_pixel = rgb;
  attributes.override_redirect = True;
  Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, unsigned(width), unsigned(height), 0,
                                CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect,
                                &attributes);
  long pid = getpid();
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  XSelectInput(display, window, ExposureMask);
  XMapRaised(display, window);
  XEvent event;
  do {
    XWindowEvent(display, window, ExposureMask, &event);
  } while (event.type != Expose);
  XSync(display, False);
  return window;
}

}  // namespace moxicam::test
