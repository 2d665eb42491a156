#pragma once
// What the window list knows of one window, as its sources (the X server, this process's own
// registry) deliver it, before it becomes a dictionary.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <CoreGraphics/CGWindow.h>

namespace CGWindowServer {

// The layer of windows that belong to the desktop itself.
constexpr int64_t kDesktopLayer = -2147483623;

struct WindowRecord {
  CGWindowID number = kCGNullWindowID;
  std::optional<std::string> name;
  std::optional<pid_t> ownerPID;
  std::optional<std::string> ownerName;
  CGRect bounds{};
  bool onScreen = false;
  bool isDesktopElement = false;
  int64_t layer = 0;
  double alpha = 1.0;
  CGWindowSharingType sharingState = kCGWindowSharingReadOnly;
};

// The windows of the X server named by DISPLAY, front-most first; false when there is no
// X server to ask.
bool readX11Windows(std::vector<WindowRecord>& windows);

// The windows this process registered, front-most first.
std::vector<WindowRecord> readRegisteredWindows();

// The name of a running process (its executable's name), empty when it cannot be learnt.
std::string processName(pid_t pid);

}  // namespace CGWindowServer
