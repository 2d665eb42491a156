#include "backend/CFXMLReader.h"

#include <cctype>
#include <cstring>

namespace CFXML {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isAllSpace(std::string_view text) {
  for (char c : text) {
    if (!isSpace(c)) return false;
  }
  return true;
}

// Bytes of multi-byte UTF-8 sequences count as name characters: names in other scripts are
// allowed without a table of Unicode classes.
bool isNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; }
bool isNameChar(unsigned char c) { return isNameStart(c) || std::isdigit(c) || c == '.' || c == '-'; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The characters XML allows in a document.
bool isXMLCharacter(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUTF8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// Whether text is UTF-8 made only of characters XML allows (no overlong forms, no surrogates).
bool isXMLText(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    unsigned char lead = byte(i);
    uint32_t c;
    size_t length;
    if (lead < 0x80) {
      c = lead;
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      c = lead & 0x1F;
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      c = lead & 0x0F;
      length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      c = lead & 0x07;
      length = 4;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) return false;
      c = (c << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || !isXMLCharacter(c)) return false;
    i += length;
  }
  return true;
}

// One line end, "\n", for "\r\n", "\r" and "\n" alike, as XML reads them.
std::string normalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

const char* predefinedEntityText(std::string_view name) {
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "amp") return "&";
  if (name == "quot") return "\"";
  if (name == "apos") return "'";
  return nullptr;
}

RefPtr<const __CFString> makeString(std::string_view text) {
  return adopt(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                       CFIndex(text.size()), kCFStringEncodingUTF8, false));
}

}  // namespace

Reader::Reader(std::string_view text, CFOptionFlags options, CFIndex version)
    : mText(normalizeLineEnds(text)), mOptions(options), mVersion(version) {}

bool Reader::fail(const std::string& why) {
  if (mError.empty()) {
    size_t line = 1;
    for (size_t i = 0; i < mPos && i < mText.size(); ++i) line += mText[i] == '\n';
    mError = why + " at line " + std::to_string(line);
  }
  return false;
}

bool Reader::skipWhitespace() {
  size_t start = mPos;
  while (!atEnd() && isSpace(mText[mPos])) ++mPos;
  return mPos > start;
}

CFXMLTreeRef Reader::readDocument(CFURLRef source) {
  if (!isXMLText(mText)) {
    fail("text is not UTF-8 or holds characters XML does not allow");
    return nullptr;
  }
  CFXMLDocumentInfo info{source, kCFStringEncodingUTF8};
  auto node = adopt(CFXMLNodeCreate(nullptr, kCFXMLNodeTypeDocument, nullptr, &info, mVersion));
  mDocument = adopt(CFXMLTreeCreateWithNode(nullptr, node.get()));
  if (!mDocument) return nullptr;
  mOpen.assign(1, mDocument.get());
  mOpenNames.assign(1, std::string());

  if (startsWith("<?xml") && (mText.size() == 5 || isSpace(mText[5]) || startsWith("<?xml?"))) {
    if (!readXMLDeclaration()) return nullptr;
  }
  if (!readContent()) return nullptr;
  return mDocument.leak();
}

bool Reader::readXMLDeclaration() {
  mPos += 5;
  while (true) {
    bool spaced = skipWhitespace();
    if (startsWith("?>")) {
      mPos += 2;
      return true;
    }
    std::string name, value;
    if (!spaced || !readName(name)) return fail("malformed XML declaration");
    skipWhitespace();
    if (atEnd() || mText[mPos] != '=') return fail("malformed XML declaration");
    ++mPos;
    skipWhitespace();
    if (!readQuoted(value)) return false;
    if (name == "encoding" && !equalsIgnoringCase(value, "UTF-8") && !equalsIgnoringCase(value, "UTF8") &&
        !equalsIgnoringCase(value, "US-ASCII") && !equalsIgnoringCase(value, "ASCII")) {
      return fail("unsupported encoding \"" + value + "\"");
    }
  }
}

bool Reader::readContent() {
  while (!atEnd()) {
    char c = mText[mPos];
    if (c == '<') {
      flushText(false);
      bool ok;
      if (startsWith("<!--")) {
        ok = readComment();
      } else if (startsWith("<![CDATA[")) {
        ok = readCDATA();
      } else if (startsWith("<!DOCTYPE")) {
        ok = readDocumentType();
      } else if (startsWith("<?")) {
        ok = readProcessingInstruction();
      } else if (startsWith("</")) {
        ok = readEndTag();
      } else {
        ok = readStartTag();
      }
      if (!ok) return false;
    } else if (c == '&') {
      if (!readReferenceInText()) return false;
    } else {
      size_t next = mText.find_first_of("<&", mPos);
      if (next == std::string::npos) next = mText.size();
      if (atDocumentLevel() && !isAllSpace(std::string_view(mText).substr(mPos, next - mPos))) {
        return fail("text outside the root element");
      }
      mPendingText.append(mText, mPos, next - mPos);
      mPos = next;
    }
  }
  flushText(false);
  if (mOpen.size() > 1) return fail("element <" + mOpenNames.back() + "> is not closed");
  if (!mHasRoot) return fail("no root element");
  return true;
}

void Reader::flushText(bool beforeReference) {
  bool isContent = mPendingTextHasCharacterReference || (mPendingTextFollowsReference && beforeReference);
  mPendingTextFollowsReference = false;
  mPendingTextHasCharacterReference = false;
  if (mPendingText.empty()) return;
  std::string text = std::move(mPendingText);
  mPendingText.clear();
  if (atDocumentLevel()) return;  // spaces between the prolog's parts
  if (!isContent && isAllSpace(text)) {
    if (!(mOptions & kCFXMLParserSkipWhitespace)) appendNode(kCFXMLNodeTypeWhitespace, text, nullptr);
    return;
  }
  appendNode(kCFXMLNodeTypeText, text, nullptr);
}

bool Reader::readReferenceInText() {
  if (atDocumentLevel()) return fail("reference outside the root element");
  if (startsWith("&#")) {
    mPendingTextHasCharacterReference = true;
    return readCharacterReference(mPendingText);
  }
  ++mPos;
  std::string name;
  if (!readName(name) || atEnd() || mText[mPos] != ';') return fail("malformed entity reference");
  ++mPos;
  flushText(true);
  if (!appendNode(kCFXMLNodeTypeEntityReference, name, nullptr)) return false;
  mPendingTextFollowsReference = true;
  return true;
}

bool Reader::readCharacterReference(std::string& out) {
  mPos += 2;
  int base = 10;
  if (!atEnd() && mText[mPos] == 'x') {
    base = 16;
    ++mPos;
  }
  uint32_t code = 0;
  size_t digits = 0;
  while (!atEnd() && std::isxdigit(static_cast<unsigned char>(mText[mPos]))) {
    char d = mText[mPos];
    if (base == 10 && !std::isdigit(static_cast<unsigned char>(d))) break;
    uint32_t value = std::isdigit(static_cast<unsigned char>(d)) ? uint32_t(d - '0')
                                                                 : uint32_t(std::tolower(d) - 'a' + 10);
    if (code > 0x10FFFF) return fail("character reference out of range");
    code = code * uint32_t(base) + value;
    ++digits;
    ++mPos;
  }
  if (digits == 0 || atEnd() || mText[mPos] != ';') return fail("malformed character reference");
  ++mPos;
  if (!isXMLCharacter(code)) return fail("character reference to a character XML does not allow");
  appendUTF8(out, code);
  return true;
}

bool Reader::readName(std::string& name) {
  size_t start = mPos;
  if (atEnd() || !isNameStart(static_cast<unsigned char>(mText[mPos]))) return false;
  while (!atEnd() && isNameChar(static_cast<unsigned char>(mText[mPos]))) ++mPos;
  name.assign(mText, start, mPos - start);
  return true;
}

bool Reader::readQuoted(std::string& out) {
  if (atEnd() || (mText[mPos] != '"' && mText[mPos] != '\'')) return fail("expected a quoted value");
  char quote = mText[mPos++];
  size_t end = mText.find(quote, mPos);
  if (end == std::string::npos) return fail("unterminated quoted value");
  out.assign(mText, mPos, end - mPos);
  mPos = end + 1;
  return true;
}

bool Reader::readAttributeValue(std::string& out) {
  if (atEnd() || (mText[mPos] != '"' && mText[mPos] != '\'')) return fail("attribute value is not quoted");
  char quote = mText[mPos++];
  out.clear();
  while (true) {
    if (atEnd()) return fail("unterminated attribute value");
    char c = mText[mPos];
    if (c == quote) {
      ++mPos;
      return true;
    }
    if (c == '<') return fail("'<' in an attribute value");
    if (c == '&') {
      if (startsWith("&#")) {
        if (!readCharacterReference(out)) return false;
        continue;
      }
      size_t start = mPos++;
      std::string name;
      if (!readName(name) || atEnd() || mText[mPos] != ';') return fail("malformed entity reference");
      ++mPos;
      // An entity the document does not declare to us is kept as written rather than lost.
      const char* text = predefinedEntityText(name);
      if (text) {
        out += text;
      } else {
        out.append(mText, start, mPos - start);
      }
      continue;
    }
    out += isSpace(c) ? ' ' : c;
    ++mPos;
  }
}

bool Reader::readStartTag() {
  ++mPos;
  std::string name;
  if (!readName(name)) return fail("malformed start tag");
  if (atDocumentLevel() && mHasRoot) return fail("more than one root element");

  auto attributes = adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                    &kCFTypeDictionaryValueCallBacks));
  auto order = adopt(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
  std::vector<std::string> seen;
  bool isEmpty = false;
  while (true) {
    bool spaced = skipWhitespace();
    if (startsWith("/>")) {
      mPos += 2;
      isEmpty = true;
      break;
    }
    if (startsWith(">")) {
      ++mPos;
      break;
    }
    std::string attribute, value;
    if (!spaced || !readName(attribute)) return fail("malformed start tag <" + name + ">");
    skipWhitespace();
    if (atEnd() || mText[mPos] != '=') return fail("attribute " + attribute + " has no value");
    ++mPos;
    skipWhitespace();
    if (!readAttributeValue(value)) return false;
    for (const std::string& other : seen) {
      if (other == attribute) return fail("attribute " + attribute + " given twice");
    }
    seen.push_back(attribute);
    auto key = makeString(attribute);
    auto text = makeString(value);
    if (!key || !text) return fail("attribute text is not UTF-8");
    CFDictionarySetValue(attributes.get(), key.get(), text.get());
    CFArrayAppendValue(order.get(), key.get());
  }

  CFXMLElementInfo info{attributes.get(), order.get(), isEmpty, {}};
  CFXMLTreeRef element = nullptr;
  if (!appendNode(kCFXMLNodeTypeElement, name, &info, &element)) return false;
  if (atDocumentLevel()) mHasRoot = true;
  if (!isEmpty) {
    if (mOpen.size() > kMaxDepth) return fail("elements nested too deeply");
    mOpen.push_back(element);
    mOpenNames.push_back(name);
  }
  return true;
}

bool Reader::readEndTag() {
  mPos += 2;
  std::string name;
  if (!readName(name)) return fail("malformed end tag");
  skipWhitespace();
  if (atEnd() || mText[mPos] != '>') return fail("malformed end tag </" + name + ">");
  ++mPos;
  if (atDocumentLevel()) return fail("end tag </" + name + "> without a start tag");
  if (name != mOpenNames.back()) return fail("end tag </" + name + "> closes <" + mOpenNames.back() + ">");
  mOpen.pop_back();
  mOpenNames.pop_back();
  return true;
}

bool Reader::readComment() {
  size_t end = mText.find("-->", mPos + 4);
  if (end == std::string::npos) return fail("unterminated comment");
  std::string_view text(mText.data() + mPos + 4, end - mPos - 4);
  mPos = end + 3;
  return appendNode(kCFXMLNodeTypeComment, text, nullptr);
}

bool Reader::readCDATA() {
  if (atDocumentLevel()) return fail("CDATA section outside the root element");
  size_t start = mPos + std::strlen("<![CDATA[");
  size_t end = mText.find("]]>", start);
  if (end == std::string::npos) return fail("unterminated CDATA section");
  mPos = end + 3;
  return appendNode(kCFXMLNodeTypeCDATASection, std::string_view(mText.data() + start, end - start), nullptr);
}

bool Reader::readProcessingInstruction() {
  mPos += 2;
  std::string target;
  if (!readName(target)) return fail("malformed processing instruction");
  if (equalsIgnoringCase(target, "xml")) return fail("XML declaration not at the start of the document");
  size_t end = mText.find("?>", mPos);
  if (end == std::string::npos) return fail("unterminated processing instruction");
  if (mPos < end && !skipWhitespace()) return fail("malformed processing instruction");
  auto data = makeString(std::string_view(mText.data() + mPos, end - mPos));
  mPos = end + 2;
  if (!data) return fail("processing instruction is not UTF-8");
  CFXMLProcessingInstructionInfo info{data.get()};
  return appendNode(kCFXMLNodeTypeProcessingInstruction, target, &info);
}

bool Reader::readDocumentType() {
  if (!atDocumentLevel() || mHasRoot || mHasDocumentType) return fail("misplaced document type");
  mPos += std::strlen("<!DOCTYPE");
  std::string name;
  if (!skipWhitespace() || !readName(name)) return fail("malformed document type");
  bool spaced = skipWhitespace();
  std::string publicID, systemID;
  bool hasPublicID = false, hasSystemID = false;
  if (spaced && (startsWith("SYSTEM") || startsWith("PUBLIC"))) {
    bool isPublic = startsWith("PUBLIC");
    mPos += 6;
    if (!skipWhitespace()) return fail("malformed document type");
    if (isPublic) {
      if (!readQuoted(publicID)) return false;
      hasPublicID = true;
      if (!skipWhitespace()) return fail("malformed document type");
    }
    if (!readQuoted(systemID)) return false;
    hasSystemID = true;
    skipWhitespace();
  }
  if (startsWith("[")) {
    ++mPos;
    if (!skipInternalSubset()) return false;
    skipWhitespace();
  }
  if (atEnd() || mText[mPos] != '>') return fail("malformed document type");
  ++mPos;
  mHasDocumentType = true;

  RefPtr<const __CFString> publicText = hasPublicID ? makeString(publicID) : nullptr;
  RefPtr<const __CFString> systemText = hasSystemID ? makeString(systemID) : nullptr;
  RefPtr<const __CFURL> systemURL =
      systemText ? adopt(CFURLCreateWithString(nullptr, systemText.get(), nullptr)) : nullptr;
  CFXMLDocumentTypeInfo info{{systemURL.get(), publicText.get()}};
  return appendNode(kCFXMLNodeTypeDocumentType, name, &info);
}

bool Reader::skipInternalSubset() {
  while (!atEnd()) {
    char c = mText[mPos];
    if (c == ']') {
      ++mPos;
      return true;
    }
    if (c == '"' || c == '\'') {
      std::string ignored;
      if (!readQuoted(ignored)) return false;
    } else if (startsWith("<!--")) {
      size_t end = mText.find("-->", mPos + 4);
      if (end == std::string::npos) return fail("unterminated comment");
      mPos = end + 3;
    } else {
      ++mPos;
    }
  }
  return fail("unterminated document type");
}

bool Reader::appendNode(CFXMLNodeTypeCode type, std::string_view string, const void* info,
                        CFXMLTreeRef* added) {
  auto text = makeString(string);
  if (!text) return fail("text is not UTF-8");
  auto node = adopt(CFXMLNodeCreate(nullptr, type, text.get(), info, mVersion));
  auto tree = adopt(CFXMLTreeCreateWithNode(nullptr, node.get()));
  if (!tree) return fail("out of memory");
  CFTreeAppendChild(mOpen.back(), tree.get());
  if (added) *added = tree.get();
  return true;
}

}  // namespace CFXML
