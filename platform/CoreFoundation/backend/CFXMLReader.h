#pragma once
// The reader behind CFXMLTreeCreateFromData: turns XML text into a tree of CFXMLNodes.
//
// It is written here rather than taken from libxml2 or expat because both replace the
// predefined entities (&lt; &amp; ...) by their characters while parsing, and the users of the
// tree need every entity reference as a node of its own. It reads well-formed XML 1.0 without
// validation; the document type's internal subset is skipped, not interpreted.
#include <CoreFoundation/CFXMLParser.h>
#include <objc/RefPtr.h>

#include <string>
#include <string_view>
#include <vector>

namespace CFXML {

class Reader {
 public:
  Reader(std::string_view text, CFOptionFlags options, CFIndex version);

  // The document's tree (+1), or null when the text is not well-formed; error() then says why.
  CFXMLTreeRef readDocument(CFURLRef source);
  const std::string& error() const { return mError; }

  // Deeper documents are refused, so that nothing that walks the tree runs out of stack.
  static constexpr size_t kMaxDepth = 1024;

 private:
  bool readContent();
  bool readXMLDeclaration();
  bool readStartTag();
  bool readEndTag();
  bool readComment();
  bool readCDATA();
  bool readProcessingInstruction();
  bool readDocumentType();
  bool readReferenceInText();
  bool readQuoted(std::string& out);
  bool readAttributeValue(std::string& out);
  bool readCharacterReference(std::string& out);
  bool readName(std::string& name);
  bool skipInternalSubset();
  void flushText(bool beforeReference);

  bool appendNode(CFXMLNodeTypeCode type, std::string_view string, const void* info,
                  CFXMLTreeRef* added = nullptr);
  bool fail(const std::string& why);

  bool atDocumentLevel() const { return mOpen.size() == 1; }
  bool startsWith(std::string_view prefix) const { return mText.compare(mPos, prefix.size(), prefix) == 0; }
  bool atEnd() const { return mPos >= mText.size(); }
  bool skipWhitespace();

  std::string mText;
  size_t mPos = 0;
  CFOptionFlags mOptions;
  CFIndex mVersion;
  std::string mError;

  RefPtr<__CFTree> mDocument;
  // The document and the elements still open, innermost last, with the elements' names.
  std::vector<CFXMLTreeRef> mOpen;
  std::vector<std::string> mOpenNames;
  bool mHasRoot = false;
  bool mHasDocumentType = false;

  // Character data not yet made into a node. Spaces between two entity references
  // ("&lt;b&gt; &lt;i&gt;") or written as character references are content, never formatting.
  std::string mPendingText;
  bool mPendingTextFollowsReference = false;
  bool mPendingTextHasCharacterReference = false;
};

}  // namespace CFXML
