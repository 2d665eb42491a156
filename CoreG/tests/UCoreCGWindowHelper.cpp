// A program that owns windows for the window-list tests: it opens the X server, creates one
// top-level window per argument, maps them in order (so the last is in front), prints each
// window's id on a line and then "ready", and keeps the windows until its standard input
// closes or a minute has passed.
//
// Argument: NAME@X,Y,WxH[+FLAGS], FLAGS any of: hidden (not mapped), desktop (a desktop
// element), legacy (title in WM_NAME only), untitled (no title at all).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct WindowSpec {
  std::string name;
  int x = 0, y = 0;
  unsigned width = 1, height = 1;
  bool hidden = false, desktop = false, legacy = false, untitled = false;
};

bool parseSpec(const std::string& argument, WindowSpec& spec) {
  size_t at = argument.rfind('@');
  if (at == std::string::npos) return false;
  spec.name = argument.substr(0, at);
  std::string rest = argument.substr(at + 1);
  size_t plus = rest.find('+');
  std::string flags = plus == std::string::npos ? "" : rest.substr(plus + 1);
  if (std::sscanf(rest.c_str(), "%d,%d,%ux%u", &spec.x, &spec.y, &spec.width, &spec.height) != 4)
    return false;
  spec.hidden = flags.find("hidden") != std::string::npos;
  spec.desktop = flags.find("desktop") != std::string::npos;
  spec.legacy = flags.find("legacy") != std::string::npos;
  spec.untitled = flags.find("untitled") != std::string::npos;
  return spec.width > 0 && spec.height > 0;
}

Window createWindow(Display* display, const WindowSpec& spec) {
  Window root = DefaultRootWindow(display);
  Window window = XCreateSimpleWindow(display, root, spec.x, spec.y, spec.width, spec.height, 0, 0, 0);
  XSelectInput(display, window, StructureNotifyMask);
  long pid = getpid();
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
  if (!spec.untitled) {
    // WM_NAME the way older programs write it: Latin-1 where the title allows.
    char* title = const_cast<char*>(spec.name.c_str());
    XTextProperty text{};
    if (Xutf8TextListToTextProperty(display, &title, 1, XStdICCTextStyle, &text) >= Success) {
      XSetWMName(display, window, &text);
      XFree(text.value);
    }
    if (!spec.legacy) {
      XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                      XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(spec.name.data()), int(spec.name.size()));
    }
  }
  if (spec.desktop) {
    Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
  }
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<WindowSpec> specs;
  for (int i = 1; i < argc; ++i) {
    WindowSpec spec;
    if (!parseSpec(argv[i], spec)) {
      std::fprintf(stderr, "bad window argument: %s\n", argv[i]);
      return 2;
    }
    specs.push_back(spec);
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "cannot open the X display\n");
    return 3;
  }

  int waitingForMap = 0;
  for (const WindowSpec& spec : specs) {
    Window window = createWindow(display, spec);
    if (!spec.hidden) {
      XMapRaised(display, window);
      ++waitingForMap;
    }
    std::printf("%lu\n", static_cast<unsigned long>(window));
  }
  XFlush(display);
  while (waitingForMap > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify) --waitingForMap;
  }
  XSync(display, False);
  std::printf("ready\n");
  std::fflush(stdout);

  pollfd input{STDIN_FILENO, POLLIN, 0};
  char buffer[64];
  while (poll(&input, 1, 60000) > 0 && read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  XCloseDisplay(display);
  return 0;
}
