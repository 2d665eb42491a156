#pragma once
// The XML property-list format: reading a document into CF objects and writing CF objects
// into a document.
#include <cstddef>
#include <optional>
#include <string>

#include <CoreFoundation/CFPropertyList.h>

namespace CFPropertyListXML {

// The property list of an XML document (+1), or null with what is wrong in error.
CFPropertyListRef read(const UInt8* bytes, size_t length, CFOptionFlags mutability, std::string& error);

// The XML document of a property list, or nothing with what cannot be written in error.
std::optional<std::string> write(CFPropertyListRef propertyList, std::string& error);

// Nesting deeper than this is refused, so that a container holding itself cannot recurse forever.
constexpr int kMaximumDepth = 512;

}  // namespace CFPropertyListXML
