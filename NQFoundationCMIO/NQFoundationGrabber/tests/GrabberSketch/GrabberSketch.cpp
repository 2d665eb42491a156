// GrabberSketch: an application with windows for the grabber cameras to show. Each window
// shows one picture whose parts can be told apart at a glance: a green band over its top
// quarter, red below it on the left half and blue on the right half.
//
//   GrabberSketch [--private] X,Y,WIDTH,HEIGHT ...
//
// It prints "ready" once every window is on screen and painted, paints again whenever the
// server asks, and quits when its standard input ends. With --private its windows are marked
// as not to be shared.
#include <CoreGraphics/CGWindowSharing.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct Placement {
  int x, y, width, height;
};

void paint(Display* display, Window window, GC gc, const Placement& at) {
  const int band = at.height / 4;
  XSetForeground(display, gc, 0x00FF00);
  XFillRectangle(display, window, gc, 0, 0, unsigned(at.width), unsigned(band));
  XSetForeground(display, gc, 0xFF0000);
  XFillRectangle(display, window, gc, 0, band, unsigned(at.width / 2), unsigned(at.height - band));
  XSetForeground(display, gc, 0x0000FF);
  XFillRectangle(display, window, gc, at.width / 2, band, unsigned(at.width - at.width / 2),
                 unsigned(at.height - band));
}

Window open(Display* display, const Placement& at, bool isPrivate) {
  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0;
  attributes.override_redirect = True;
  Window window = XCreateWindow(display, DefaultRootWindow(display), at.x, at.y, unsigned(at.width),
                                unsigned(at.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWBackPixel | CWOverrideRedirect, &attributes);
  long pid = getpid();
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  if (isPrivate) CGWindowSetX11SharingState(display, window, kCGWindowSharingNone);
  XSelectInput(display, window, ExposureMask);
  XMapRaised(display, window);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  bool isPrivate = false;
  std::vector<Placement> placements;
  for (int i = 1; i < argc; ++i) {
    Placement at{};
    if (std::strcmp(argv[i], "--private") == 0) {
      isPrivate = true;
    } else if (std::sscanf(argv[i], "%d,%d,%d,%d", &at.x, &at.y, &at.width, &at.height) == 4 && at.width > 0 &&
               at.height > 0) {
      placements.push_back(at);
    } else {
      std::fprintf(stderr, "usage: GrabberSketch [--private] X,Y,WIDTH,HEIGHT ...\n");
      return 64;
    }
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "GrabberSketch: no X server\n");
    return 1;
  }
  GC gc = XCreateGC(display, DefaultRootWindow(display), 0, nullptr);
  std::vector<Window> windows;
  for (const Placement& at : placements) windows.push_back(open(display, at, isPrivate));
  XSync(display, False);

  std::set<Window> unpainted(windows.begin(), windows.end());
  if (unpainted.empty()) std::printf("ready\n");
  std::fflush(stdout);
  pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {0, POLLIN, 0}};
  while (true) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != Expose) continue;
      for (size_t i = 0; i < windows.size(); ++i) {
        if (windows[i] == event.xexpose.window) paint(display, windows[i], gc, placements[i]);
      }
      XSync(display, False);
      if (unpainted.erase(event.xexpose.window) && unpainted.empty()) {
        std::printf("ready\n");
        std::fflush(stdout);
      }
    }
    if (poll(watched, 2, -1) < 0) continue;
    if (watched[1].revents & (POLLIN | POLLHUP)) {
      char buffer[64];
      if (read(0, buffer, sizeof buffer) <= 0) break;
    }
  }
  XFreeGC(display, gc);
  XCloseDisplay(display);
  return 0;
}
