#pragma once
// Queries over the window list: walk it with a callback, find windows by name, and read single
// values out of one window's dictionary. They are silent: a missing list, dictionary or value
// gives a default. Values returned are not retained; they live as long as the dictionary.
#include <functional>

#include <CoreGraphics/CGWindow.h>

// Gets the running index and a window's dictionary; answers true to go on, false to stop.
using UCoreCGWindowCallback = std::function<bool(CFIndex index, CFDictionaryRef window)>;

// Calls back for each window of the list (options, no relative window) until the callback
// stops; answers the number of windows visited, the one that stopped the walk included.
CFIndex UCoreCGWindowList_EnumWindowsWithOptions(CGWindowListOption options,
                                                 const UCoreCGWindowCallback& callback);
// The same over only the windows whose name equals name exactly (a window without a name has
// the empty name), with the count of matches so far as index; answers the matches visited.
CFIndex UCoreCGWindowList_FindWindowNameWithOptions(CFStringRef name, CGWindowListOption options,
                                                    const UCoreCGWindowCallback& callback);

UInt64 UCoreCGWindowInfo_GetWindowID(CFDictionaryRef window);
SInt64 UCoreCGWindowInfo_GetWindowLevel(CFDictionaryRef window);
CFStringRef UCoreCGWindowInfo_GetWindowOwnerName(CFDictionaryRef window);
bool UCoreCGWindowInfo_HasWindowOwnerName(CFDictionaryRef window, CFStringRef name);
bool UCoreCGWindowInfo_HasWindowName(CFDictionaryRef window, CFStringRef name);
CGRect UCoreCGWindowInfo_GetWindowBounds(CFDictionaryRef window);

// The typed readers under them.
CFStringRef string_ForKey(CFDictionaryRef window, CFStringRef key, CFStringRef defaultValue);
bool hasString_ForKeyWithValue(CFDictionaryRef window, CFStringRef key, CFStringRef value);
bool boolean_ForKey(CFDictionaryRef window, CFStringRef key);
SInt64 int64_ForKey(CFDictionaryRef window, CFStringRef key, SInt64 defaultValue);
UInt64 uint64_ForKey(CFDictionaryRef window, CFStringRef key, UInt64 defaultValue);
