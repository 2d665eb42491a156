// The window list read from the X server: the top-level windows of each screen in stacking
// order, with their titles, owning processes (_NET_WM_PID), bounds and map state.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "backend/CGDisplayConnection.h"
#include "backend/CGWindowRecord.h"
#include "backend/CGWindowSharingState.h"

namespace CGWindowServer {

namespace {

struct Atoms {
  Atom netWMName, utf8String, netWMPID, wmState, windowType, windowTypeDesktop, windowOpacity;
};

Atoms internAtoms(Display* display) {
  const char* names[] = {"_NET_WM_NAME",          "UTF8_STRING",
                         "_NET_WM_PID",           "WM_STATE",
                         "_NET_WM_WINDOW_TYPE",   "_NET_WM_WINDOW_TYPE_DESKTOP",
                         "_NET_WM_WINDOW_OPACITY"};
  Atom atoms[7] = {};
  // Atoms that do not exist yet are on no window; asking must not create them.
  XInternAtoms(display, const_cast<char**>(names), 7, True, atoms);
  return Atoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5], atoms[6]};
}

// A property's items: bytes for format 8, longs for format 32 (Xlib's representation).
template <class Item>
bool readProperty(Display* display, Window window, Atom property, Atom type, std::vector<Item>& items) {
  items.clear();
  if (property == None) return false;
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, bytesAfter = 0;
  unsigned char* data = nullptr;
  constexpr long kMaxLongs = 1 << 16;
  if (XGetWindowProperty(display, window, property, 0, kMaxLongs, False, type, &actualType, &actualFormat,
                         &count, &bytesAfter, &data) != Success) {
    return false;
  }
  constexpr int kFormat = sizeof(Item) == 1 ? 8 : 32;
  bool matches = data && actualType == type && actualFormat == kFormat;
  if (matches) items.assign(reinterpret_cast<Item*>(data), reinterpret_cast<Item*>(data) + count);
  if (data) XFree(data);
  return matches;
}

bool hasProperty(Display* display, Window window, Atom property) {
  if (property == None) return false;
  int count = 0;
  Atom* properties = XListProperties(display, window, &count);
  bool found = false;
  for (int i = 0; i < count && !found; ++i) found = properties[i] == property;
  if (properties) XFree(properties);
  return found;
}

std::vector<Window> childrenOf(Display* display, Window window) {
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> result;
  if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
    result.assign(children, children + count);
  }
  if (children) XFree(children);
  return result;
}

// The application's own window inside a top-level window: the top-level window itself when
// no window manager framed it, else the framed window that carries WM_STATE.
Window clientWindow(Display* display, const Atoms& atoms, Window topLevel) {
  if (hasProperty(display, topLevel, atoms.wmState)) return topLevel;
  std::vector<Window> level = {topLevel};
  for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
    std::vector<Window> next;
    for (Window window : level) {
      for (Window child : childrenOf(display, window)) {
        if (hasProperty(display, child, atoms.wmState)) return child;
        next.push_back(child);
      }
    }
    level = std::move(next);
  }
  return topLevel;
}

std::optional<std::string> windowName(Display* display, const Atoms& atoms, Window window) {
  std::vector<char> utf8;
  if (readProperty(display, window, atoms.netWMName, atoms.utf8String, utf8))
    return std::string(utf8.begin(), utf8.end());
  XTextProperty text{};
  if (!XGetWMName(display, window, &text)) return std::nullopt;
  std::optional<std::string> name;
  char** list = nullptr;
  int count = 0;
  if (Xutf8TextPropertyToTextList(display, &text, &list, &count) >= Success && list) {
    name = count > 0 && list[0] ? std::string(list[0]) : std::string();
    XFreeStringList(list);
  }
  if (text.value) XFree(text.value);
  return name;
}

void readWindow(Display* display, const Atoms& atoms, Window root, Window topLevel,
                const XWindowAttributes& frame, std::vector<WindowRecord>& windows) {
  Window client = clientWindow(display, atoms, topLevel);
  XWindowAttributes attributes = frame;
  if (client != topLevel && !XGetWindowAttributes(display, client, &attributes)) return;
  int x = 0, y = 0;
  Window unused = None;
  if (!XTranslateCoordinates(display, client, root, 0, 0, &x, &y, &unused)) return;

  WindowRecord record;
  record.number = CGWindowID(client);
  record.name = windowName(display, atoms, client);
  std::vector<long> values;
  if (readProperty(display, client, atoms.netWMPID, XA_CARDINAL, values) && !values.empty()) {
    record.ownerPID = pid_t(values[0]);
    std::string owner = processName(*record.ownerPID);
    if (!owner.empty()) record.ownerName = owner;
  }
  record.bounds = CGRectMake(x, y, attributes.width, attributes.height);
  record.onScreen = frame.map_state == IsViewable;
  record.sharingState = sharingStateOfX11Window(display, client);
  if (readProperty(display, client, atoms.windowType, XA_ATOM, values)) {
    for (long type : values) {
      if (atoms.windowTypeDesktop != None && Atom(type) == atoms.windowTypeDesktop) {
        record.isDesktopElement = true;
        record.layer = kDesktopLayer;
      }
    }
  }
  if (readProperty(display, client, atoms.windowOpacity, XA_CARDINAL, values) && !values.empty()) {
    record.alpha = double(static_cast<unsigned long>(values[0]) & 0xFFFFFFFFUL) / double(0xFFFFFFFFUL);
  }
  windows.push_back(std::move(record));
}

}  // namespace

bool readX11Windows(std::vector<WindowRecord>& windows) {
  windows.clear();
  // Errors on the connection (a window destroyed while it is being read) are expected: that
  // window is skipped, and a server that goes away ends the list short.
  CGDisplayServer::KeptConnection kept;
  CGDisplayServer::Connection& connection = *kept;
  if (!connection.isOpen()) return false;
  Display* display = connection.display();

  Atoms atoms = internAtoms(display);
  for (int screen = 0; screen < ScreenCount(display); ++screen) {
    Window root = RootWindow(display, screen);
    std::vector<Window> topLevels = childrenOf(display, root);
    // The server lists children from the bottom of the stack up; the list starts at the front.
    for (auto window = topLevels.rbegin(); window != topLevels.rend(); ++window) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(display, *window, &attributes) || attributes.c_class == InputOnly) continue;
      readWindow(display, atoms, root, *window, attributes, windows);
    }
  }
  return true;
}

}  // namespace CGWindowServer
