#include "backend/NibDocument.h"

#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFXMLParser.h>

namespace Foundation {

namespace {

std::string utf8(CFStringRef string) {
  if (!string) return {};
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string text(size_t(size), '\0');
  if (!CFStringGetCString(string, text.data(), size, kCFStringEncodingUTF8)) return {};
  text.resize(text.find('\0'));
  return text;
}

// The five entities that XML predefines; the parser leaves their references as nodes.
std::string predefinedEntity(const std::string& name) {
  if (name == "amp") return "&";
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "quot") return "\"";
  if (name == "apos") return "'";
  return {};
}

std::unique_ptr<NibElement> elementOf(CFXMLTreeRef tree) {
  CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  auto element = std::make_unique<NibElement>();
  element->name = utf8(CFXMLNodeGetString(node));
  if (auto* info = static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(node)); info && info->attributes) {
    CFIndex count = CFDictionaryGetCount(info->attributes);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(info->attributes, keys.data(), values.data());
    for (CFIndex i = 0; i < count; ++i) {
      element->attributes[utf8(static_cast<CFStringRef>(keys[size_t(i)]))] = utf8(static_cast<CFStringRef>(values[size_t(i)]));
    }
  }
  for (CFIndex i = 0, count = CFTreeGetChildCount(tree); i < count; ++i) {
    CFXMLTreeRef child = CFTreeGetChildAtIndex(tree, i);
    CFXMLNodeRef childNode = CFXMLTreeGetNode(child);
    switch (CFXMLNodeGetTypeCode(childNode)) {
      case kCFXMLNodeTypeElement:
        element->children.push_back(elementOf(child));
        break;
      case kCFXMLNodeTypeText:
      case kCFXMLNodeTypeCDATASection:
      case kCFXMLNodeTypeWhitespace:
        element->text += utf8(CFXMLNodeGetString(childNode));
        break;
      case kCFXMLNodeTypeEntityReference:
        element->text += predefinedEntity(utf8(CFXMLNodeGetString(childNode)));
        break;
      default:
        break;
    }
  }
  return element;
}

}  // namespace

const std::string* NibElement::attribute(const char* attributeName) const {
  auto found = attributes.find(attributeName);
  return found == attributes.end() ? nullptr : &found->second;
}

std::unique_ptr<NibElement> readNibDocument(const void* bytes, size_t length) {
  CFDataRef data = CFDataCreate(nullptr, static_cast<const UInt8*>(bytes), CFIndex(length));
  CFXMLTreeRef document = CFXMLTreeCreateFromData(nullptr, data, nullptr, kCFXMLParserSkipWhitespace,
                                                  kCFXMLNodeCurrentVersion);
  CFRelease(data);
  if (!document) return nullptr;
  std::unique_ptr<NibElement> root;
  for (CFIndex i = 0, count = CFTreeGetChildCount(document); i < count && !root; ++i) {
    CFXMLTreeRef child = CFTreeGetChildAtIndex(document, i);
    if (CFXMLNodeGetTypeCode(CFXMLTreeGetNode(child)) == kCFXMLNodeTypeElement) root = elementOf(child);
  }
  CFRelease(document);
  return root;
}

}  // namespace Foundation
