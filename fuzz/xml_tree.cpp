// XML documents read into a tree (CFXMLTreeCreateFromData), as feeds and nibs are: the first
// byte chooses the parser options, the rest is the document.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFXMLNode.h>
#include <CoreFoundation/CFXMLParser.h>
#include <objc/RefPtr.h>

#include <cstddef>
#include <cstdint>

namespace {

// Visits every node, as a reader of the tree does.
size_t walk(CFTreeRef tree, int depth) {
  size_t nodes = 1;
  CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  if (node) {
    CFXMLNodeGetTypeCode(node);
    CFStringRef text = CFXMLNodeGetString(node);
    if (text) CFStringGetLength(text);
  }
  for (CFIndex i = 0; depth < 4096 && i < CFTreeGetChildCount(tree); ++i)
    nodes += walk(CFTreeGetChildAtIndex(tree, i), depth + 1);
  return nodes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const CFOptionFlags options = data[0] & 1 ? kCFXMLParserSkipWhitespace : kCFXMLParserNoOptions;
  RefPtr<const __CFData> document = adopt(CFDataCreate(nullptr, data + 1, CFIndex(size - 1)));
  RefPtr<__CFTree> tree =
      adopt(CFXMLTreeCreateFromData(nullptr, document.get(), nullptr, options, kCFXMLNodeCurrentVersion));
  if (tree) walk(tree.get(), 0);
  return 0;
}
