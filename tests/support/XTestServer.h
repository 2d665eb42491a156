#pragma once
// A private X server (Xvfb with Composite and RandR) for one test program, so that what a
// test draws and the displays it sets up are seen by nobody else, and other tests' windows
// never show in its pictures. DISPLAY points at it while the object lives. Header-only;
// the tests that use Xlib calls here link x11.
// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace moxicam::test {

class XTestServer {
 public:
  explicit XTestServer(int width = 1280, int height = 1024) {
    int channel[2];
    if (pipe(channel) != 0) {
      mProblem = "no pipe for Xvfb";
      return;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string fd = std::to_string(channel[1]);
    mPid = fork();
    if (mPid == 0) {
      close(channel[0]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "+extension", "Composite",
             "+extension", "RANDR", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(channel[1]);
    if (mPid < 0) {
      close(channel[0]);
      mProblem = "cannot fork for Xvfb";
      return;
    }
    std::string number;
    pollfd wait{channel[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      if (poll(&wait, 1, 100) <= 0) continue;
      char buffer[32];
      ssize_t got = read(channel[0], buffer, sizeof buffer);
      if (got <= 0) break;
      number.append(buffer, size_t(got));
    }
    close(channel[0]);
    if (number.find('\n') == std::string::npos) {
      mProblem = "Xvfb did not start (is it installed?)";
      stop();
      return;
    }
    number.resize(number.find('\n'));
    if (const char* previous = std::getenv("DISPLAY")) mPreviousDisplay = previous;
    mDisplayName = ":" + number;
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

 private:
  void stop() {
    if (mPid <= 0) return;
    kill(mPid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      if (waitpid(mPid, nullptr, WNOHANG) == mPid) {
        mPid = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
    mPid = -1;
  }

  pid_t mPid = -1;
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
