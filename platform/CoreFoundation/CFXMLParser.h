#pragma once
// Building a CFXMLTree from XML text.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFURL.h>
#include <CoreFoundation/CFXMLNode.h>

typedef CF_OPTIONS(CFOptionFlags, CFXMLParserOptions) {
  kCFXMLParserValidateDocument = 1 << 0,
  kCFXMLParserSkipMetaData = 1 << 1,
  kCFXMLParserReplacePhysicalEntities = 1 << 2,
  kCFXMLParserSkipWhitespace = 1 << 3,
  kCFXMLParserResolveExternalEntities = 1 << 4,
  kCFXMLParserAddImpliedAttributes = 1 << 5,
  kCFXMLParserAllOptions = 0x00FFFFFF,
  kCFXMLParserNoOptions = 0,
};

// Parses a whole document of UTF-8 text (a byte-order mark and an XML declaration naming
// UTF-8 or ASCII are accepted). The tree's root carries the document node; its children are
// the document's comments, processing instructions, document type and root element. Entity
// references other than character references stay nodes of their own. With
// kCFXMLParserSkipWhitespace, text that is only formatting between tags is left out; otherwise
// it becomes whitespace nodes. Answers null for text that is not well-formed XML.
CF_EXPORT CFXMLTreeRef CFXMLTreeCreateFromData(CFAllocatorRef allocator, CFDataRef xmlData,
                                               CFURLRef dataSource, CFOptionFlags parseOptions,
                                               CFIndex versionOfNodes);
