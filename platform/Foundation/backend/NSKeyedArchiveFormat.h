#pragma once
// The pieces of the keyed-archive layout that the archiver and the unarchiver share.
#include <string>

#include <CoreFoundation/CFString.h>

class NSString;

namespace KeyedArchive {

constexpr long kVersion = 100000;

// A dictionary { "CF$UID" = index; } (+1).
CFTypeRef createUID(CFIndex index);
// The index of a UID dictionary; false when value is not one.
bool readUID(CFTypeRef value, CFIndex& index);
// Keys the caller gives that start with "$" get one more "$", so that they never meet the
// archive's own keys.
CFStringRef createEscapedKey(NSString* key);

}  // namespace KeyedArchive
