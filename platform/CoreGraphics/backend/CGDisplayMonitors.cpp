// Displays read from RandR (libxrandr): each monitor of the default screen is one display.
#include "backend/CGDisplayMonitors.h"

#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace CGDisplayServer {

namespace {

bool hasMonitors(Display* display) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
  if (!XRRQueryVersion(display, &major, &minor)) return false;
  return major > 1 || (major == 1 && minor >= 5);
}

}  // namespace

std::vector<DisplayRecord> readDisplays(Connection& connection) {
  std::vector<DisplayRecord> displays;
  if (!connection.isOpen()) return displays;
  Display* display = connection.display();
  Window root = DefaultRootWindow(display);
  if (hasMonitors(display)) {
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
    for (int i = 0; i < count; ++i) {
      const XRRMonitorInfo& monitor = monitors[i];
      if (monitor.width <= 0 || monitor.height <= 0) continue;
      DisplayRecord record{CGDirectDisplayID(monitor.name),
                           CGRectMake(monitor.x, monitor.y, monitor.width, monitor.height)};
      if (monitor.primary) {
        displays.insert(displays.begin(), record);
      } else {
        displays.push_back(record);
      }
    }
    if (monitors) XRRFreeMonitors(monitors);
  }
  if (displays.empty()) {
    // A server without monitors shows its screen as one display, named by the root window.
    const int screen = DefaultScreen(display);
    displays.push_back(DisplayRecord{CGDirectDisplayID(root),
                                     CGRectMake(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen))});
  }
  return displays;
}

std::optional<DisplayRecord> findDisplay(Connection& connection, CGDirectDisplayID display) {
  if (display == kCGNullDirectDisplay) return std::nullopt;
  std::vector<DisplayRecord> displays = readDisplays(connection);
  auto found = std::find_if(displays.begin(), displays.end(),
                            [display](const DisplayRecord& record) { return record.id == display; });
  if (found == displays.end()) return std::nullopt;
  return *found;
}

}  // namespace CGDisplayServer
