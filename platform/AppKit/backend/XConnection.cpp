#include "XConnection.h"

#include <X11/Xatom.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include <AppKit/NSApplication.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSWindow.h>
#include <CoreGraphics/CGDisplay.h>
#include <Foundation/NSString.h>

#include "ScreenSpace.h"

namespace AppKitBackend {

namespace {

// Xlib has one error handler for the whole process: errors on this layer's connections are
// reported and survived (a window that another client destroyed, a visual the server lacks),
// errors on other connections go to the handler that was there before.
std::mutex gLock;
std::set<Display*>* gOwnDisplays = new std::set<Display*>();
// Connections whose server went away; the next window on that DISPLAY opens a new one.
std::set<Display*>* gLostDisplays = new std::set<Display*>();
XErrorHandler gPreviousHandler = nullptr;

int onXError(Display* display, XErrorEvent* event) {
  {
    std::lock_guard guard(gLock);
    if (gOwnDisplays->count(display)) {
      char text[256] = {};
      XGetErrorText(display, event->error_code, text, sizeof text);
      std::fprintf(stderr, "AppKit: X request %d failed: %s\n", int(event->request_code), text);
      return 0;
    }
  }
  return gPreviousHandler ? gPreviousHandler(display, event) : 0;
}

void onConnectionLost(Display* display, void*) {
  std::lock_guard guard(gLock);
  gLostDisplays->insert(display);
}

XIOErrorHandler gPreviousIOHandler = nullptr;

// A server that goes away ends its windows here, not the process.
int onIOError(Display* display) {
  {
    std::lock_guard guard(gLock);
    if (gOwnDisplays->count(display)) {
      gLostDisplays->insert(display);
      return 0;
    }
  }
  return gPreviousIOHandler ? gPreviousIOHandler(display) : 0;
}

bool isLost(Display* display) {
  std::lock_guard guard(gLock);
  return gLostDisplays->count(display) > 0;
}

struct Connections {
  std::mutex lock;
  std::map<std::string, std::shared_ptr<XConnection>> byName;
};

Connections& connections() {
  static Connections* const shared = new Connections;
  return *shared;
}

double now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

NSEventModifierFlags modifierFlags(unsigned int state) {
  NSEventModifierFlags flags = 0;
  if (state & ShiftMask) flags |= NSShiftKeyMask;
  if (state & LockMask) flags |= NSAlphaShiftKeyMask;
  if (state & ControlMask) flags |= NSControlKeyMask;
  if (state & Mod1Mask) flags |= NSAlternateKeyMask;
  if (state & Mod4Mask) flags |= NSCommandKeyMask;
  return flags;
}

NSUInteger pressedButtons(unsigned int state) {
  NSUInteger buttons = 0;
  if (state & Button1Mask) buttons |= 1;
  if (state & Button3Mask) buttons |= 2;
  if (state & Button2Mask) buttons |= 4;
  return buttons;
}

void onReadable(CFFileDescriptorRef descriptor, CFOptionFlags, void*) {
  XConnection::pumpAll();
  CFFileDescriptorEnableCallBacks(descriptor, kCFFileDescriptorReadCallBack);
}

std::vector<CGRect> readMonitors(Display* display) {
  std::vector<CGRect> monitors;
  uint32_t count = 0;
  if (CGGetActiveDisplayList(0, nullptr, &count) == kCGErrorSuccess && count > 0) {
    std::vector<CGDirectDisplayID> ids(count);
    if (CGGetActiveDisplayList(count, ids.data(), &count) == kCGErrorSuccess) {
      for (uint32_t i = 0; i < count; ++i) monitors.push_back(CGDisplayBounds(ids[i]));
    }
  }
  if (monitors.empty()) {
    Screen* screen = DefaultScreenOfDisplay(display);
    monitors.push_back(CGRectMake(0, 0, WidthOfScreen(screen), HeightOfScreen(screen)));
  }
  return monitors;
}

}  // namespace

std::shared_ptr<XConnection> XConnection::current() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  Connections& all = connections();
  std::lock_guard guard(all.lock);
  auto found = all.byName.find(name);
  if (found != all.byName.end()) {
    // A server that ended (and perhaps another that now has its name) shows in a round trip.
    if (!found->second) return nullptr;
    XSync(found->second->display(), False);
    if (!isLost(found->second->display())) return found->second;
    all.byName.erase(found);
  }
  static std::once_flag installHandler;
  std::call_once(installHandler, [] {
    gPreviousHandler = XSetErrorHandler(onXError);
    gPreviousIOHandler = XSetIOErrorHandler(onIOError);
  });
  Display* display = XOpenDisplay(name);
  std::shared_ptr<XConnection> connection;
  if (display) {
    XSetIOErrorExitHandler(display, onConnectionLost, nullptr);
    {
      std::lock_guard ownGuard(gLock);
      gOwnDisplays->insert(display);
    }
    connection.reset(new XConnection(display));
  } else {
    std::fprintf(stderr, "AppKit: cannot open the X display \"%s\"; windows stay off screen\n", name);
  }
  // A display that cannot be opened is not tried again.
  all.byName[name] = connection;
  return connection;
}

void XConnection::pumpAll() {
  std::vector<std::shared_ptr<XConnection>> open;
  {
    Connections& all = connections();
    std::lock_guard guard(all.lock);
    for (auto& [name, connection] : all.byName) {
      if (connection) open.push_back(connection);
    }
  }
  for (auto& connection : open) connection->pump();
}

XConnection::XConnection(Display* display) : mDisplay(display), mRoot(DefaultRootWindow(display)) {
  XVisualInfo info{};
  if (XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &info)) {
    mArgbVisual = info.visual;
    mArgbColormap = XCreateColormap(display, mRoot, info.visual, AllocNone);
  }
  mMonitors = readMonitors(display);
  mDescriptor = CFFileDescriptorCreate(nullptr, ConnectionNumber(display), false, onReadable, nullptr);
  if (mDescriptor) {
    mSource = CFFileDescriptorCreateRunLoopSource(nullptr, mDescriptor, 0);
    CFRunLoopAddSource(CFRunLoopGetMain(), mSource, kCFRunLoopCommonModes);
    CFFileDescriptorEnableCallBacks(mDescriptor, kCFFileDescriptorReadCallBack);
  }
}

XConnection::~XConnection() {
  bool lost;
  {
    std::lock_guard guard(gLock);
    gOwnDisplays->erase(mDisplay);
    // Xlib cannot free a display whose connection broke without writing to it again: a lost
    // display stays listed (and so held) for the life of the process.
    lost = gLostDisplays->count(mDisplay) > 0;
  }
  if (mSource) {
    CFRunLoopSourceInvalidate(mSource);
    CFRelease(mSource);
  }
  if (mDescriptor) {
    CFFileDescriptorInvalidate(mDescriptor);
    CFRelease(mDescriptor);
  }
  if (!lost) XCloseDisplay(mDisplay);
}

Atom XConnection::atom(const char* name) {
  auto found = mAtoms.find(name);
  if (found != mAtoms.end()) return found->second;
  Atom made = XInternAtom(mDisplay, name, False);
  mAtoms[name] = made;
  return made;
}

void XConnection::addWindow(Window window, NSWindow* owner) { mWindows[window] = owner; }

void XConnection::removeWindow(Window window) { mWindows.erase(window); }

RefPtr<NSWindow> XConnection::windowFor(Window window) {
  auto found = mWindows.find(window);
  return found == mWindows.end() ? nullptr : found->second.get();
}

void XConnection::pump() {
  if (isLost(mDisplay)) {
    // Its descriptor would only ever say that the server hung up.
    if (mDescriptor) CFFileDescriptorInvalidate(mDescriptor);
    return;
  }
  while (!isLost(mDisplay) && XPending(mDisplay) > 0) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    handle(event);
  }
}

void XConnection::handle(XEvent& event) {
  RefPtr<NSWindow> window = windowFor(event.xany.window);
  if (!window) return;
  NSApplication* app = NSApplication::sharedApplication();
  // Events are made without a window number and given their window directly.
  const NSInteger number = 0;
  auto locationIn = [&](int xRoot, int yRoot) { return cocoaPointFromServer(xRoot, yRoot); };
  auto post = [&](NSEvent* made) {
    made->attachToWindow(window.get(), made->locationInWindow());
    app->postEvent_atStart(made, false);
  };
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) window->flushWindow();
      break;
    case ConfigureNotify: {
      // A window manager may place a framed window elsewhere than asked: the frame follows.
      if (!event.xconfigure.send_event) break;
      CGRect server = CGRectMake(event.xconfigure.x, event.xconfigure.y, event.xconfigure.width, event.xconfigure.height);
      window->noteServerFrame(cocoaRectFromServer(server));
      break;
    }
    case ClientMessage:
      if (Atom(event.xclient.data.l[0]) == atom("WM_DELETE_WINDOW")) window->performClose(nullptr);
      break;
    case ButtonPress:
    case ButtonRelease: {
      const XButtonEvent& b = event.xbutton;
      NSEvent::noteInputState(cocoaPointFromServer(b.x_root, b.y_root), modifierFlags(b.state),
                              pressedButtons(b.state));
      if (b.button == 4 || b.button == 5 || b.button == 6 || b.button == 7) {
        if (event.type == ButtonRelease) break;
        NSEvent* scroll = NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
            NSEventTypeScrollWheel, locationIn(b.x_root, b.y_root), modifierFlags(b.state), now(), number, nullptr, 0, 0, 0);
        scroll->setScrollDeltas(b.button == 6 ? 1 : b.button == 7 ? -1 : 0, b.button == 4 ? 1 : b.button == 5 ? -1 : 0);
        post(scroll);
        break;
      }
      const bool down = event.type == ButtonPress;
      if (down) {
        const double time = now();
        mClickCount = (b.button == mLastButton && time - mLastPressTime < 0.5) ? mClickCount + 1 : 1;
        mLastButton = b.button;
        mLastPressTime = time;
      }
      NSEventType type = b.button == 1   ? (down ? NSEventTypeLeftMouseDown : NSEventTypeLeftMouseUp)
                         : b.button == 3 ? (down ? NSEventTypeRightMouseDown : NSEventTypeRightMouseUp)
                                         : (down ? NSEventTypeOtherMouseDown : NSEventTypeOtherMouseUp);
      NSEvent* mouse = NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
          type, locationIn(b.x_root, b.y_root), modifierFlags(b.state), now(), number, nullptr, 0, mClickCount,
          down ? 1.0f : 0.0f);
      if (b.button == 2) mouse->setButtonNumber(2);
      post(mouse);
      break;
    }
    case MotionNotify: {
      const XMotionEvent& m = event.xmotion;
      NSEvent::noteInputState(cocoaPointFromServer(m.x_root, m.y_root), modifierFlags(m.state),
                              pressedButtons(m.state));
      NSEventType type = (m.state & Button1Mask)   ? NSEventTypeLeftMouseDragged
                         : (m.state & Button3Mask) ? NSEventTypeRightMouseDragged
                         : (m.state & Button2Mask) ? NSEventTypeOtherMouseDragged
                                                   : NSEventTypeMouseMoved;
      if (type == NSEventTypeMouseMoved && !window->acceptsMouseMovedEvents()) break;
      post(
          NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
              type, locationIn(m.x_root, m.y_root), modifierFlags(m.state), now(), number, nullptr, 0, 0,
              type == NSEventTypeMouseMoved ? 0.0f : 1.0f));
      break;
    }
    case KeyPress:
    case KeyRelease: {
      XKeyEvent& k = event.xkey;
      char text[32] = {};
      KeySym symbol = 0;
      int length = XLookupString(&k, text, sizeof text - 1, &symbol, nullptr);
      text[length > 0 ? length : 0] = '\0';
      XKeyEvent plain = k;
      plain.state &= ~(ShiftMask | ControlMask | Mod1Mask | Mod4Mask | LockMask);
      char bare[32] = {};
      int bareLength = XLookupString(&plain, bare, sizeof bare - 1, nullptr, nullptr);
      bare[bareLength > 0 ? bareLength : 0] = '\0';
      NSString* characters = NSString::stringWithUTF8String(text);
      NSString* ignoring = NSString::stringWithUTF8String(bare);
      post(
          NSEvent::keyEventWithType_location_modifierFlags_timestamp_windowNumber_context_characters_charactersIgnoringModifiers_isARepeat_keyCode(
              event.type == KeyPress ? NSEventTypeKeyDown : NSEventTypeKeyUp, locationIn(k.x_root, k.y_root),
              modifierFlags(k.state), now(), number, nullptr, characters ? characters : NSString::string(),
              ignoring ? ignoring : NSString::string(), false, static_cast<unsigned short>(k.keycode)));
      break;
    }
    default:
      break;
  }
}

}  // namespace AppKitBackend
