#pragma once
// The window list and the values of one window's dictionary, for the grabber cameras. Unlike
// the silent queries of the support library these report what is wrong: a missing list, an
// entry or a window that is no dictionary, a value of the wrong type. A value that is simply
// absent (a window without a name) gives the default without a report. Values are returned
// without retaining them: they live as long as the window dictionary.
#include <CoreGraphics/CGWindow.h>

#include <functional>

// Gets the running index and a window's dictionary; answers true to go on, false to stop.
using UQuartzWindowCallback = std::function<bool(CFIndex index, CFDictionaryRef window)>;

// Calls back for each window of the list (options, no relative window) until the callback
// stops; answers the number of windows visited, 0 without a list.
CFIndex UQuartzWindowList_EnumWindowsWithOptions(CGWindowListOption options, const UQuartzWindowCallback& callback);
// The same over the windows named exactly name, with the count of matches as index.
CFIndex UQuartzWindowList_FindWindowNameWithOptions(CFStringRef name, CGWindowListOption options,
                                                    const UQuartzWindowCallback& callback);

UInt64 UQuartzWindowInfo_GetWindowID(CFDictionaryRef window);
SInt64 UQuartzWindowInfo_GetWindowLevel(CFDictionaryRef window);
SInt64 UQuartzWindowInfo_GetWindowOwnerPID(CFDictionaryRef window);
SInt64 UQuartzWindowInfo_GetSharingState(CFDictionaryRef window);
bool UQuartzWindowInfo_GetIsOnscreen(CFDictionaryRef window);
CFStringRef UQuartzWindowInfo_GetWindowName(CFDictionaryRef window);
CFStringRef UQuartzWindowInfo_GetWindowOwnerName(CFDictionaryRef window);
bool UQuartzWindowInfo_HasWindowName(CFDictionaryRef window, CFStringRef name);
bool UQuartzWindowInfo_HasWindowOwnerName(CFDictionaryRef window, CFStringRef name);
CGRect UQuartzWindowInfo_GetWindowBounds(CFDictionaryRef window);

namespace NQCMIOGrabber {

// The typed readers under the accessors.
CFStringRef string_ForKey(CFDictionaryRef window, CFStringRef key, CFStringRef defaultValue);
bool hasString_ForKeyWithValue(CFDictionaryRef window, CFStringRef key, CFStringRef value);
bool boolean_ForKey(CFDictionaryRef window, CFStringRef key);
SInt64 int64_ForKey(CFDictionaryRef window, CFStringRef key, SInt64 defaultValue);
UInt64 uint64_ForKey(CFDictionaryRef window, CFStringRef key, UInt64 defaultValue);

}  // namespace NQCMIOGrabber
