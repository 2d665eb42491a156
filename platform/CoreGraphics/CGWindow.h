#pragma once
// The window list: what the window server knows of every window on the machine, one
// dictionary per window, front-most first.
//
// On Linux the window server is the X server named by DISPLAY (top-level windows in stacking
// order). Without one, the list holds the windows this process has registered itself
// (CGWindowRegistry.h), so that code that looks windows up also runs headless.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreGraphics/CGBase.h>
#include <CoreGraphics/CGGeometry.h>

typedef uint32_t CGWindowID;
enum : CGWindowID { kCGNullWindowID = 0 };

typedef CF_OPTIONS(uint32_t, CGWindowListOption) {
  kCGWindowListOptionAll = 0,
  kCGWindowListOptionOnScreenOnly = 1 << 0,
  kCGWindowListOptionOnScreenAboveWindow = 1 << 1,
  kCGWindowListOptionOnScreenBelowWindow = 1 << 2,
  kCGWindowListOptionIncludingWindow = 1 << 3,
  kCGWindowListExcludeDesktopElements = 1 << 4,
};

typedef CF_ENUM(uint32_t, CGWindowSharingType) {
  kCGWindowSharingNone = 0,
  kCGWindowSharingReadOnly = 1,
  kCGWindowSharingReadWrite = 2,
};

typedef CF_ENUM(uint32_t, CGWindowBackingType) {
  kCGBackingStoreRetained = 0,
  kCGBackingStoreNonretained = 1,
  kCGBackingStoreBuffered = 2,
};

// Keys of a window's dictionary. Number, layer, bounds, sharing state, store type, memory
// usage, alpha, owner pid and on-screen flag are always present; the name only when the
// window has one, the owner name when its process is known.
CG_EXTERN const CFStringRef kCGWindowNumber;        // CFNumber, the CGWindowID
CG_EXTERN const CFStringRef kCGWindowStoreType;     // CFNumber, a CGWindowBackingType
CG_EXTERN const CFStringRef kCGWindowLayer;         // CFNumber, 0 for ordinary windows
CG_EXTERN const CFStringRef kCGWindowBounds;        // CFDictionary: X, Y, Width, Height
CG_EXTERN const CFStringRef kCGWindowSharingState;  // CFNumber, a CGWindowSharingType
CG_EXTERN const CFStringRef kCGWindowAlpha;         // CFNumber, 0.0 to 1.0
CG_EXTERN const CFStringRef kCGWindowOwnerPID;      // CFNumber
CG_EXTERN const CFStringRef kCGWindowMemoryUsage;   // CFNumber, bytes
CG_EXTERN const CFStringRef kCGWindowOwnerName;     // CFString
CG_EXTERN const CFStringRef kCGWindowName;          // CFString
CG_EXTERN const CFStringRef kCGWindowIsOnscreen;    // CFBoolean

// A window's bounds as the list gives them: a dictionary of X, Y, Width and Height numbers.
// The caller releases the dictionary; reading answers false, leaving rect unchanged, when the
// dictionary lacks one of the four numbers.
CG_EXTERN CFDictionaryRef CGRectCreateDictionaryRepresentation(CGRect rect);
CG_EXTERN bool CGRectMakeWithDictionaryRepresentation(CFDictionaryRef dict, CGRect* rect);

// The windows that the option selects, front-most first, as a new array of dictionaries (the
// caller releases it). With OnScreenAboveWindow or
// OnScreenBelowWindow, only on-screen windows in front of or behind relativeToWindow (and it
// too with IncludingWindow); IncludingWindow alone gives that one window.
CG_EXTERN CFArrayRef CGWindowListCopyWindowInfo(CGWindowListOption option, CGWindowID relativeToWindow);
