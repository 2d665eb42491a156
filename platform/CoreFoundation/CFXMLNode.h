#pragma once
// CFXMLNode: one node of a parsed XML document (its kind, its string and the information of
// its kind), and CFXMLTree: a CFTree whose nodes carry CFXMLNodes.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFTree.h>
#include <CoreFoundation/CFURL.h>

typedef const struct __CFXMLNode* CFXMLNodeRef;
typedef CFTreeRef CFXMLTreeRef;

enum { kCFXMLNodeCurrentVersion = 1 };

typedef CF_ENUM(CFIndex, CFXMLNodeTypeCode) {
  kCFXMLNodeTypeDocument = 1,
  kCFXMLNodeTypeElement = 2,
  kCFXMLNodeTypeAttribute = 3,
  kCFXMLNodeTypeProcessingInstruction = 4,
  kCFXMLNodeTypeComment = 5,
  kCFXMLNodeTypeText = 6,
  kCFXMLNodeTypeCDATASection = 7,
  kCFXMLNodeTypeDocumentFragment = 8,
  kCFXMLNodeTypeEntity = 9,
  kCFXMLNodeTypeEntityReference = 10,
  kCFXMLNodeTypeDocumentType = 11,
  kCFXMLNodeTypeWhitespace = 12,
  kCFXMLNodeTypeNotation = 13,
  kCFXMLNodeTypeElementTypeDeclaration = 14,
  kCFXMLNodeTypeAttributeListDeclaration = 15,
};

// The information of the kinds that have one; the other kinds have none (a null pointer).
struct CFXMLElementInfo {
  CFDictionaryRef attributes;  // name -> value
  CFArrayRef attributeOrder;   // the names in document order
  Boolean isEmpty;             // written as an empty-element tag (<name/>)
  char _reserved[3];
};

struct CFXMLProcessingInstructionInfo {
  CFStringRef dataString;
};

struct CFXMLDocumentInfo {
  CFURLRef sourceURL;
  CFStringEncoding encoding;
};

struct CFXMLExternalID {
  CFURLRef systemID;
  CFStringRef publicID;
};

struct CFXMLDocumentTypeInfo {
  CFXMLExternalID externalID;
};

CF_EXPORT CFTypeID CFXMLNodeGetTypeID(void);

// A new node; the information (the struct of the kind, or null) is copied and the objects in
// it retained.
CF_EXPORT CFXMLNodeRef CFXMLNodeCreate(CFAllocatorRef alloc, CFXMLNodeTypeCode xmlType,
                                       CFStringRef dataString, const void* additionalInfoPtr,
                                       CFIndex version);
CF_EXPORT CFXMLNodeTypeCode CFXMLNodeGetTypeCode(CFXMLNodeRef node);
CF_EXPORT CFStringRef CFXMLNodeGetString(CFXMLNodeRef node);
CF_EXPORT const void* CFXMLNodeGetInfoPtr(CFXMLNodeRef node);
CF_EXPORT CFIndex CFXMLNodeGetVersion(CFXMLNodeRef node);

// A one-node tree carrying node (retained).
CF_EXPORT CFXMLTreeRef CFXMLTreeCreateWithNode(CFAllocatorRef allocator, CFXMLNodeRef node);
CF_EXPORT CFXMLNodeRef CFXMLTreeGetNode(CFXMLTreeRef xmlTree);
