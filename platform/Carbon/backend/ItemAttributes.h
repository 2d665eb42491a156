#pragma once
// Inside the File Manager: the Finder information and the resource fork of an item, kept in
// its extended attributes "user.com.apple.FinderInfo" and "user.com.apple.ResourceFork".
// Where the file system takes no extended attributes, they live in this process only.
#include <string>
#include <vector>

#include "backend/FileIdentity.h"

namespace CarbonFiles {

extern const char* const kFinderInfoAttribute;
extern const char* const kResourceForkAttribute;

// Reads an attribute; answers 0, ENODATA when the item has none, or another errno.
int readAttribute(const std::string& path, const ItemIdentity& item, const char* name, std::vector<UInt8>& value);
int writeAttribute(const std::string& path, const ItemIdentity& item, const char* name,
                   const std::vector<UInt8>& value);
int removeAttribute(const std::string& path, const ItemIdentity& item, const char* name);

// Drops what this process kept for an item that is gone.
void forgetAttributes(const ItemIdentity& item);

}  // namespace CarbonFiles
