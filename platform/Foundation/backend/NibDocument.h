#pragma once
// The element tree of a nib file (Foundation/NibBuilder.h describes the format), read with the
// CoreFoundation XML parser. Inside Foundation only.
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Foundation {

struct NibElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  // The element's own text (its text children joined, entities replaced).
  std::string text;
  std::vector<std::unique_ptr<NibElement>> children;

  // The attribute's value, or null when the element has none.
  const std::string* attribute(const char* attributeName) const;
};

// The root element of the XML text; null when the text is not well-formed XML.
std::unique_ptr<NibElement> readNibDocument(const void* bytes, size_t length);

}  // namespace Foundation
