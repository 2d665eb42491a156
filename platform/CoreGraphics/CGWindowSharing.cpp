#include <CoreGraphics/CGWindowSharing.h>
#include <X11/Xatom.h>

#include "backend/CGWindowSharingState.h"

bool CGWindowSetX11SharingState(void* xDisplay, unsigned long xWindow, CGWindowSharingType state) {
  auto* display = static_cast<Display*>(xDisplay);
  if (!display || xWindow == None || state > kCGWindowSharingReadWrite) return false;
  Atom property = XInternAtom(display, kCGWindowSharingStateX11Property, False);
  long value = long(state);
  XChangeProperty(display, Window(xWindow), property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&value), 1);
  XFlush(display);
  return true;
}

namespace CGWindowServer {

CGWindowSharingType sharingStateOfX11Window(Display* display, Window window) {
  // Asking must not create the atom: a server where nobody marked a window has none.
  Atom property = XInternAtom(display, kCGWindowSharingStateX11Property, True);
  if (property == None) return kCGWindowSharingReadOnly;
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, bytesAfter = 0;
  unsigned char* data = nullptr;
  CGWindowSharingType state = kCGWindowSharingReadOnly;
  if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &actualType, &actualFormat, &count,
                         &bytesAfter, &data) == Success &&
      data && actualType == XA_CARDINAL && actualFormat == 32 && count == 1) {
    unsigned long value = *reinterpret_cast<unsigned long*>(data);
    if (value <= kCGWindowSharingReadWrite) state = CGWindowSharingType(value);
  }
  if (data) XFree(data);
  return state;
}

}  // namespace CGWindowServer
