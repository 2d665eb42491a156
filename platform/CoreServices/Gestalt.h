#pragma once
// Gestalt: the system's answers to numbered questions. Only the system version is asked here.
// The version this layer presents comes from MOXICAM_SYSTEM_VERSION ("major.minor.bugfix",
// default 10.15.7). 'sysv' packs it as 0xMMmb in hex digits and so cannot tell versions from
// 10.10 on apart: it answers 0x1099 for all of them, as the platform does; 'sys1', 'sys2'
// and 'sys3' answer the true numbers.
#include <CoreFoundation/MacTypes.h>

enum : OSType {
  gestaltSystemVersion = FOUR_CHAR_CODE("sysv"),
  gestaltSystemVersionMajor = FOUR_CHAR_CODE("sys1"),
  gestaltSystemVersionMinor = FOUR_CHAR_CODE("sys2"),
  gestaltSystemVersionBugFix = FOUR_CHAR_CODE("sys3"),
};

enum : OSErr {
  gestaltUnknownErr = -5550,
  gestaltUndefSelectorErr = -5551,
};

// noErr with the answer in *response; gestaltUndefSelectorErr for any other selector;
// paramErr (-50) when response is null.
extern "C" __attribute__((visibility("default"))) OSErr Gestalt(OSType selector, SInt32* response);
