#pragma once
// Inside the File Manager: item names between the File Manager's UTF-16 and the file
// system's UTF-8.
#include <string>

#include <Carbon/Files.h>

namespace CarbonFiles {

// A name given to a create, rename or look-up call: one item name (not empty, ".", ".."
// and without "/" or NUL), at most 255 bytes in UTF-8.
OSErr itemNameFromUnicode(UniCharCount length, const UniChar* name, std::string& utf8);

// The UTF-16 form of a file-system name; a name longer than 255 units is refused.
OSErr unicodeNameFromItemName(const std::string& utf8, HFSUniStr255& name);

}  // namespace CarbonFiles
