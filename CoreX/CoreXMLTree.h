#pragma once
// CoreXMLTree: a navigator over a parsed XML tree (CFXMLTreeCreateFromData). It finds child
// nodes by kind, name and position, reads element attributes and text, and flattens mixed
// content (text, line-break elements, entity references) into one string.
//
// The tree is borrowed: a CoreXMLTree never retains or releases it, so the caller keeps the
// tree alive while any CoreXMLTree (or any string read through one) refers into it. Failed
// checks are reported through VERIFY and give a neutral answer; nothing throws.
#include <CoreFoundation/CFXMLNode.h>

#include <string>

class CoreXMLTree {
 public:
  CoreXMLTree();
  CoreXMLTree(CFXMLTreeRef treeRef);
  CoreXMLTree(const CoreXMLTree& other);
  CoreXMLTree& operator=(const CoreXMLTree& other);
  CoreXMLTree& operator=(CFXMLTreeRef treeRef);
  ~CoreXMLTree();

  bool IsValid() const { return mTreeRef != nullptr; }
  CFXMLTreeRef GetTreeRef() const { return mTreeRef; }
  CFXMLNodeRef GetNodeRef() const;
  // The node's kind, 0 without a node.
  CFXMLNodeTypeCode GetNodeType() const;
  bool IsNodeType(CFXMLNodeTypeCode type) const { return GetNodeType() == type; }

  // The n-th direct child (from 0) of that kind (0: any kind) whose node value equals name,
  // ignoring case (null: any name); an invalid tree when there is none.
  CoreXMLTree GetChild(CFIndex n, CFXMLNodeTypeCode type, const char* name = nullptr) const;
  CoreXMLTree GetChildElement(const char* name, CFIndex n = 0) const;
  bool HasChildElement(const char* name, CFIndex n = 0) const;
  // The number of direct children that GetChild would find.
  UInt32 GetChildCount(CFXMLNodeTypeCode type, const char* name = nullptr) const;
  UInt32 GetChildElementCount(const char* name) const;

  // The node's string: an element's tag name, a text's text, an entity reference's name.
  CFStringRef GetNodeValue() const;
  bool GetNodeValueString(std::string& out) const;
  CFStringRef GetElementValue(const char* name, CFIndex n = 0) const;
  // The text of the n-th child element of that name, which should hold exactly one text.
  CFStringRef GetElementChildTextValue(const char* name, CFIndex n = 0) const;
  // GetEntityText(true) of the n-th child element of that name; the caller releases it.
  CFMutableStringRef GetElementEntityText(const char* name, CFIndex n = 0) const;
  // The children's content in document order as one new string (the caller releases it):
  // text as it is, "br" and "hr" elements as CR LF, the five predefined entities as their
  // characters and any other entity as its bare name; with descend, nested elements too.
  CFMutableStringRef GetEntityText(bool descend) const;

  // Attributes of an element node.
  const CFXMLElementInfo* GetElementInfo() const;
  bool GetAttribute(CFStringRef name, CFStringRef& value) const;
  bool GetAttribute(const char* name, std::string& value) const;
  // The n-th attribute in document order.
  bool GetAttribute(UInt32 in_attribute_n, CFStringRef& name, CFStringRef& value) const;
  bool GetAttribute(UInt32 in_attribute_n, std::string& name, std::string& value) const;
  bool HasAttribute(CFStringRef name) const;
  CFIndex GetAttributeCount() const;

  // Writes the node's address, kind, child count and value to the debug log.
  void Dump(const char* label) const;
  static const char* NodeTypeName(CFXMLNodeTypeCode code);

 private:
  CFXMLTreeRef mTreeRef;
};

// The string as UTF-8 into out (cleared first); false for a null string or a failed conversion.
bool std_stringFromCFStringRef(CFStringRef inStringRef, std::string& out);
