#pragma once
// For test programs that check the in-memory side of AppKit: no X server, whatever the
// environment of the test run, and a bound on every wait for events, so that input scripted
// too short ends a test instead of hanging it. Include before any window is made.
#include <cstdlib>

namespace appkit_test {
inline const bool kHeadless = [] {
  unsetenv("DISPLAY");
  setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
  return true;
}();
}  // namespace appkit_test
