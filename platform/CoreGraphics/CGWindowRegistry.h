#pragma once
// The windows of this process, for when there is no X server to show them: the window list
// answers them in place of the X server's, so that finding windows by name and owner works
// headless too. The window layer registers its windows here when DISPLAY cannot be opened.
#include <optional>
#include <string>

#include <CoreGraphics/CGWindow.h>

#pragma GCC visibility push(default)

struct CGWindowRegistryWindow {
  std::optional<std::string> name;  // none: the window has no title at all
  CGRect bounds{};
  bool onScreen = false;
  int64_t layer = 0;
  double alpha = 1.0;
  CGWindowSharingType sharingState = kCGWindowSharingReadOnly;
};

// Adds a window in front of the others; answers its id (never kCGNullWindowID).
CGWindowID CGWindowRegistryAddWindow(const CGWindowRegistryWindow& window);
// Replaces what is known of a registered window; false for an unknown id.
bool CGWindowRegistryUpdateWindow(CGWindowID windowID, const CGWindowRegistryWindow& window);
// Moves a registered window in front of the others; false for an unknown id.
bool CGWindowRegistryOrderFront(CGWindowID windowID);
void CGWindowRegistryRemoveWindow(CGWindowID windowID);

#pragma GCC visibility pop
