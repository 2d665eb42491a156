#include <CoreFoundation/CFXMLParser.h>

#include <cstdio>
#include <string_view>

#include "backend/CFXMLReader.h"

CFXMLTreeRef CFXMLTreeCreateFromData(CFAllocatorRef, CFDataRef xmlData, CFURLRef dataSource,
                                     CFOptionFlags parseOptions, CFIndex versionOfNodes) {
  if (!xmlData) return nullptr;
  std::string_view text(reinterpret_cast<const char*>(CFDataGetBytePtr(xmlData)),
                        size_t(CFDataGetLength(xmlData)));
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  CFXML::Reader reader(text, parseOptions, versionOfNodes);
  CFXMLTreeRef tree = reader.readDocument(dataSource);
  // The caller only learns that parsing failed; the reason goes where a developer looks.
  if (!tree) std::fprintf(stderr, "CFXMLTreeCreateFromData: %s\n", reader.error().c_str());
  return tree;
}
