#include <CoreGraphics/CGDisplay.h>

#include <algorithm>

#include "backend/CGDisplayMonitors.h"

using CGDisplayServer::Connection;
using CGDisplayServer::DisplayRecord;

CGError CGGetActiveDisplayList(uint32_t maxDisplays, CGDirectDisplayID* activeDisplays, uint32_t* displayCount) {
  if (!displayCount) return kCGErrorIllegalArgument;
  *displayCount = 0;
  Connection connection;
  if (!connection.isOpen()) return kCGErrorInvalidConnection;
  std::vector<DisplayRecord> displays = CGDisplayServer::readDisplays(connection);
  if (!activeDisplays) {
    *displayCount = uint32_t(displays.size());
    return kCGErrorSuccess;
  }
  const uint32_t count = std::min<uint32_t>(maxDisplays, uint32_t(displays.size()));
  for (uint32_t i = 0; i < count; ++i) activeDisplays[i] = displays[i].id;
  *displayCount = count;
  return kCGErrorSuccess;
}

CGDirectDisplayID CGMainDisplayID(void) {
  Connection connection;
  std::vector<DisplayRecord> displays = CGDisplayServer::readDisplays(connection);
  return displays.empty() ? kCGNullDirectDisplay : displays.front().id;
}

CGRect CGDisplayBounds(CGDirectDisplayID display) {
  Connection connection;
  auto found = CGDisplayServer::findDisplay(connection, display);
  return found ? found->bounds : CGRectZero;
}

size_t CGDisplayPixelsWide(CGDirectDisplayID display) { return size_t(CGDisplayBounds(display).size.width); }
size_t CGDisplayPixelsHigh(CGDirectDisplayID display) { return size_t(CGDisplayBounds(display).size.height); }
