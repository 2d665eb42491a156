#pragma once
// The signature of the running program: none, unless the test switch MOXICAM_CODE_SIGNATURE
// names a property list that stands for one.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

namespace CodeSignature {

struct Signature {
  RefPtr<const __CFString> identifier;  // null: unsigned
  RefPtr<const __CFData> entitlements;  // null: none
};

// Read at each call; a switch that names a file that cannot be read as such a dictionary is
// reported on standard error once and counts as no signature.
Signature ofRunningProgram();

}  // namespace CodeSignature
