#include <CoreGraphics/CGWindowLevel.h>

#include <climits>

CGWindowLevel CGWindowLevelForKey(CGWindowLevelKey key) {
  switch (key) {
    case kCGBaseWindowLevelKey: return INT32_MIN;
    case kCGMinimumWindowLevelKey: return INT32_MIN + 1;
    case kCGDesktopWindowLevelKey: return INT32_MIN + 1000;
    case kCGBackstopMenuLevelKey: return -20;
    case kCGNormalWindowLevelKey: return 0;
    case kCGFloatingWindowLevelKey: return 3;
    case kCGTornOffMenuWindowLevelKey: return 3;
    case kCGModalPanelWindowLevelKey: return 8;
    case kCGUtilityWindowLevelKey: return 19;
    case kCGDockWindowLevelKey: return 20;
    case kCGMainMenuWindowLevelKey: return 24;
    case kCGStatusWindowLevelKey: return 25;
    case kCGPopUpMenuWindowLevelKey: return 101;
    case kCGOverlayWindowLevelKey: return 102;
    case kCGHelpWindowLevelKey: return 200;
    case kCGDraggingWindowLevelKey: return 500;
    case kCGScreenSaverWindowLevelKey: return 1000;
    case kCGAssistiveTechHighWindowLevelKey: return 1500;
    case kCGCursorWindowLevelKey: return 2000;
    case kCGMaximumWindowLevelKey: return INT32_MAX - 15;
    case kCGDesktopIconWindowLevelKey: return INT32_MIN + 1000 + 20;
    default: return 0;
  }
}
