#pragma once
// The displays as the X server describes them (inner workings).
#include <optional>
#include <vector>

#include <CoreGraphics/CGDisplay.h>

#include "backend/CGDisplayConnection.h"

namespace CGDisplayServer {

struct DisplayRecord {
  CGDirectDisplayID id = kCGNullDirectDisplay;
  CGRect bounds{};
};

// The monitors of the connection's default screen, the primary one first; the whole screen
// as one display when the server does not know RandR monitors.
std::vector<DisplayRecord> readDisplays(Connection& connection);
// The display with this id, if the server has it.
std::optional<DisplayRecord> findDisplay(Connection& connection, CGDirectDisplayID display);

}  // namespace CGDisplayServer
