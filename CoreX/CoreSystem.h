#pragma once
// The running system's version, and whether a system framework exports a function.
#include <CoreFoundation/CFString.h>

// The version in the gestaltSystemVersion form: 0x1090 is 10.9.0, 0x1085 is 10.8.5.
typedef SInt32 CoreSystemName;

namespace CoreSystem {

// The version, asked of the system once and then kept; 0 while it cannot be had.
CoreSystemName GetSystemName();
// Whether the running system is older than the revision (a test for "that release or
// later" is the negation).
bool IsEarlierThanRevision(const CoreSystemName& revision);
// Loads the framework from the system domain for the question and unloads it again.
bool SystemFrameworkHasFunction(CFStringRef framework, CFStringRef function);

}  // namespace CoreSystem
