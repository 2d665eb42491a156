#include "CoreXMLTree.h"

#include <cstdlib>

#include "CoreMachDebug.h"

namespace {

bool equalsIgnoringCase(CFStringRef text, CFStringRef other) {
  return text && CFStringCompare(text, other, kCFCompareCaseInsensitive) == kCFCompareEqualTo;
}

// A name given as UTF-8 text, as a CFString for the life of the object (null for no name).
class NameString {
 public:
  explicit NameString(const char* name)
      : mString(name ? CFStringCreateWithCString(kCFAllocatorDefault, name, kCFStringEncodingUTF8)
                     : nullptr) {}
  ~NameString() {
    if (mString) CFRelease(mString);
  }
  NameString(const NameString&) = delete;
  NameString& operator=(const NameString&) = delete;

  CFStringRef get() const { return mString; }

 private:
  CFStringRef mString;
};

struct EntityReplacement {
  CFStringRef name;
  CFStringRef text;
};

}  // namespace

CoreXMLTree::CoreXMLTree() : mTreeRef(nullptr) {}

CoreXMLTree::CoreXMLTree(CFXMLTreeRef treeRef) : mTreeRef(treeRef) {}

CoreXMLTree::CoreXMLTree(const CoreXMLTree& other) : mTreeRef(other.mTreeRef) {}

CoreXMLTree& CoreXMLTree::operator=(const CoreXMLTree& other) {
  mTreeRef = other.mTreeRef;
  return *this;
}

CoreXMLTree& CoreXMLTree::operator=(CFXMLTreeRef treeRef) {
  mTreeRef = treeRef;
  return *this;
}

CoreXMLTree::~CoreXMLTree() { mTreeRef = nullptr; }

CFXMLNodeRef CoreXMLTree::GetNodeRef() const { return mTreeRef ? CFXMLTreeGetNode(mTreeRef) : nullptr; }

CFXMLNodeTypeCode CoreXMLTree::GetNodeType() const {
  CFXMLNodeRef nodeRef = GetNodeRef();
  return nodeRef ? CFXMLNodeGetTypeCode(nodeRef) : 0;
}

CoreXMLTree CoreXMLTree::GetChild(CFIndex n, CFXMLNodeTypeCode type, const char* name) const {
  if (!VERIFY(IsValid())) return CoreXMLTree();
  // Any child at all is found by position alone, so that walking all children stays linear.
  if (type == 0 && !name) return CoreXMLTree(CFTreeGetChildAtIndex(mTreeRef, n));
  NameString wanted(name);
  if (name && !wanted.get()) return CoreXMLTree();
  CFIndex matches = 0;
  CFIndex count = CFTreeGetChildCount(mTreeRef);
  for (CFIndex i = 0; i < count; ++i) {
    CFTreeRef child = CFTreeGetChildAtIndex(mTreeRef, i);
    CFXMLNodeRef node = CFXMLTreeGetNode(child);
    if (type != 0 && CFXMLNodeGetTypeCode(node) != type) continue;
    if (name && !equalsIgnoringCase(CFXMLNodeGetString(node), wanted.get())) continue;
    if (matches++ == n) return CoreXMLTree(child);
  }
  return CoreXMLTree();
}

CoreXMLTree CoreXMLTree::GetChildElement(const char* name, CFIndex n) const {
  return GetChild(n, kCFXMLNodeTypeElement, name);
}

bool CoreXMLTree::HasChildElement(const char* name, CFIndex n) const {
  CoreXMLTree element = GetChildElement(name, n);
  return element.IsValid() && element.IsNodeType(kCFXMLNodeTypeElement);
}

UInt32 CoreXMLTree::GetChildCount(CFXMLNodeTypeCode type, const char* name) const {
  if (!VERIFY(IsValid())) return 0;
  NameString wanted(name);
  if (name && !wanted.get()) return 0;
  UInt32 matches = 0;
  CFIndex count = CFTreeGetChildCount(mTreeRef);
  for (CFIndex i = 0; i < count; ++i) {
    CFXMLNodeRef node = CFXMLTreeGetNode(CFTreeGetChildAtIndex(mTreeRef, i));
    if (type != 0 && CFXMLNodeGetTypeCode(node) != type) continue;
    if (name && !equalsIgnoringCase(CFXMLNodeGetString(node), wanted.get())) continue;
    ++matches;
  }
  return matches;
}

UInt32 CoreXMLTree::GetChildElementCount(const char* name) const {
  return GetChildCount(kCFXMLNodeTypeElement, name);
}

CFStringRef CoreXMLTree::GetNodeValue() const {
  CFXMLNodeRef nodeRef = GetNodeRef();
  if (!VERIFY(nodeRef)) return nullptr;
  CFStringRef nodeValue;
  if (!VERIFY(nodeValue = CFXMLNodeGetString(nodeRef))) return nullptr;
  return nodeValue;
}

bool CoreXMLTree::GetNodeValueString(std::string& out) const {
  return std_stringFromCFStringRef(GetNodeValue(), out);
}

CFStringRef CoreXMLTree::GetElementValue(const char* name, CFIndex n) const {
  CoreXMLTree element = GetChildElement(name, n);
  if (!VERIFY(element.IsValid())) return nullptr;
  return element.GetNodeValue();
}

CFStringRef CoreXMLTree::GetElementChildTextValue(const char* name, CFIndex n) const {
  CoreXMLTree element = GetChildElement(name, n);
  if (!element.IsValid()) return nullptr;
  // The check's text is part of the report: keep it exactly as written.
  // clang-format off
  VERIFY(element.GetChildCount(kCFXMLNodeTypeText)==1);
  // clang-format on
  CoreXMLTree text = element.GetChild(0, kCFXMLNodeTypeText);
  CFStringRef elementText;
  if (!VERIFY(elementText = text.GetNodeValue())) return nullptr;
  return elementText;
}

CFMutableStringRef CoreXMLTree::GetElementEntityText(const char* name, CFIndex n) const {
  CoreXMLTree element = GetChildElement(name, n);
  if (!VERIFY(element.IsValid())) return nullptr;
  CFMutableStringRef entityText = element.GetEntityText(true);
  VERIFY(entityText);
  return entityText;
}

CFMutableStringRef CoreXMLTree::GetEntityText(bool descend) const {
  static const EntityReplacement kPredefinedEntities[] = {
      {CFSTR("lt"), CFSTR("<")},  {CFSTR("gt"), CFSTR(">")},   {CFSTR("quot"), CFSTR("\"")},
      {CFSTR("amp"), CFSTR("&")}, {CFSTR("apos"), CFSTR("'")},
  };
  static const CFStringRef kLineBreak = CFSTR("\r\n");

  CFMutableStringRef elementText = CFStringCreateMutable(kCFAllocatorDefault, 0);
  if (!VERIFY(elementText)) return nullptr;
  UInt32 count = GetChildCount(0);
  for (UInt32 i = 0; i < count; ++i) {
    CoreXMLTree child = GetChild(CFIndex(i), 0);
    CFXMLNodeTypeCode type = child.GetNodeType();
    CFStringRef childText = child.GetNodeValue();
    if (type == kCFXMLNodeTypeElement && equalsIgnoringCase(childText, CFSTR("br"))) {
      CFStringAppend(elementText, kLineBreak);
    } else if (type == kCFXMLNodeTypeElement && equalsIgnoringCase(childText, CFSTR("hr"))) {
      CFStringAppend(elementText, kLineBreak);
    } else if (type == kCFXMLNodeTypeText) {
      CFStringRef appendText;
      if (VERIFY(appendText = child.GetNodeValue())) CFStringAppend(elementText, appendText);
    } else if (type == kCFXMLNodeTypeElement) {
      if (child.GetChildCount(0) == 0) {
        child.Dump("CoreXMLTree::GetElementEntityText unknown element with zero children");
      } else if (descend) {
        CFMutableStringRef childEntityText = child.GetEntityText(true);
        if (VERIFY(childEntityText)) {
          CFStringAppend(elementText, childEntityText);
          CFRelease(childEntityText);
        }
      }
    } else if (type == kCFXMLNodeTypeEntityReference) {
      if (!VERIFY(childText)) continue;
      CFStringRef replacement = childText;
      for (const EntityReplacement& entity : kPredefinedEntities) {
        if (equalsIgnoringCase(childText, entity.name)) {
          replacement = entity.text;
          break;
        }
      }
      CFStringAppend(elementText, replacement);
    } else if (childText) {
      CFStringAppend(elementText, childText);
    }
  }
  return elementText;
}

const CFXMLElementInfo* CoreXMLTree::GetElementInfo() const {
  if (!VERIFY(IsNodeType(kCFXMLNodeTypeElement))) return nullptr;
  return static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(GetNodeRef()));
}

// An element written as an empty-element tag (<link href="x"/>) keeps its attributes: the
// isEmpty flag only says how the element was written, not that its attributes are absent.
bool CoreXMLTree::GetAttribute(CFStringRef name, CFStringRef& value) const {
  value = nullptr;
  const CFXMLElementInfo* element = GetElementInfo();
  if (!element || !name) return false;
  if (!VERIFY(element->attributes)) return false;
  value = static_cast<CFStringRef>(CFDictionaryGetValue(element->attributes, name));
  return value != nullptr;
}

bool CoreXMLTree::GetAttribute(const char* name, std::string& value) const {
  value.clear();
  NameString attributeName(name);
  CFStringRef valueRef;
  if (!attributeName.get() || !GetAttribute(attributeName.get(), valueRef)) return false;
  return std_stringFromCFStringRef(valueRef, value);
}

bool CoreXMLTree::GetAttribute(UInt32 in_attribute_n, CFStringRef& name, CFStringRef& value) const {
  name = nullptr;
  value = nullptr;
  const CFXMLElementInfo* element = GetElementInfo();
  if (!element) return false;
  if (!VERIFY(element->attributeOrder)) return false;
  CFIndex count = CFArrayGetCount(element->attributeOrder);
  // clang-format off
  if (!VERIFY(in_attribute_n<count)) return false;
  // clang-format on
  name = static_cast<CFStringRef>(CFArrayGetValueAtIndex(element->attributeOrder, CFIndex(in_attribute_n)));
  return GetAttribute(name, value);
}

bool CoreXMLTree::GetAttribute(UInt32 in_attribute_n, std::string& name, std::string& value) const {
  name.clear();
  value.clear();
  CFStringRef nameRef, valueRef;
  if (!GetAttribute(in_attribute_n, nameRef, valueRef)) return false;
  return std_stringFromCFStringRef(nameRef, name) && std_stringFromCFStringRef(valueRef, value);
}

bool CoreXMLTree::HasAttribute(CFStringRef name) const {
  CFStringRef value;
  return GetAttribute(name, value);
}

CFIndex CoreXMLTree::GetAttributeCount() const {
  const CFXMLElementInfo* element = GetElementInfo();
  if (!element) return 0;
  if (!VERIFY(element->attributeOrder)) return 0;
  return CFArrayGetCount(element->attributeOrder);
}

void CoreXMLTree::Dump(const char* label) const {
  CFXMLNodeRef nodeRef = GetNodeRef();
  ZidaZoraDurodAri("CoreXMLTree:%s tree_ref:%08lx node_ref:%08lx node_type:%d children:%d\n",
                   label ? label : "", reinterpret_cast<unsigned long>(mTreeRef),
                   reinterpret_cast<unsigned long>(nodeRef), int(GetNodeType()),
                   int(mTreeRef ? CFTreeGetChildCount(mTreeRef) : 0));
  // A diagnostic must not add reports of its own, so the value is read without checks.
  CFStringRef nodeValue = nodeRef ? CFXMLNodeGetString(nodeRef) : nullptr;
  std::string text;
  if (nodeValue && std_stringFromCFStringRef(nodeValue, text))
    ZidaZoraDurodAri("node_value:%s\n", text.c_str());
}

const char* CoreXMLTree::NodeTypeName(CFXMLNodeTypeCode code) {
  switch (code) {
    case kCFXMLNodeTypeDocument:
      return "document";
    case kCFXMLNodeTypeElement:
      return "element";
    case kCFXMLNodeTypeAttribute:
      return "attribute";
    case kCFXMLNodeTypeProcessingInstruction:
      return "processing instruction";
    case kCFXMLNodeTypeComment:
      return "comment";
    case kCFXMLNodeTypeText:
      return "text";
    case kCFXMLNodeTypeCDATASection:
      return "CDATA section";
    case kCFXMLNodeTypeDocumentFragment:
      return "document fragment";
    case kCFXMLNodeTypeEntity:
      return "entity";
    case kCFXMLNodeTypeEntityReference:
      return "entity reference";
    case kCFXMLNodeTypeDocumentType:
      return "document type";
    case kCFXMLNodeTypeWhitespace:
      return "whitespace";
    case kCFXMLNodeTypeNotation:
      return "notation";
    case kCFXMLNodeTypeElementTypeDeclaration:
      return "element type declaration";
    case kCFXMLNodeTypeAttributeListDeclaration:
      return "attribute list declaration";
    default:
      return "unknown node type";
  }
}

bool std_stringFromCFStringRef(CFStringRef inStringRef, std::string& out) {
  out.clear();
  if (!VERIFY(inStringRef)) return false;
  CFIndex size =
      2 * CFStringGetMaximumSizeForEncoding(CFStringGetLength(inStringRef), kCFStringEncodingUTF8) + 1;
  char* utf8_buffer = static_cast<char*>(std::malloc(size_t(size)));
  if (!VERIFY(utf8_buffer)) return false;
  bool converted = VERIFY(CFStringGetCString(inStringRef, utf8_buffer, size, kCFStringEncodingUTF8));
  if (converted) out = utf8_buffer;
  std::free(utf8_buffer);
  return converted;
}
