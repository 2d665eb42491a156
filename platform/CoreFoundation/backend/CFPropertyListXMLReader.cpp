// Documents are parsed with libxml2, without network access and without loading the DTD
// that property lists name.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include "backend/CFPropertyListXML.h"

namespace CFPropertyListXML {

namespace {

struct DocumentDeleter {
  void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
struct ContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

bool named(const xmlNode* node, const char* name) {
  return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

class Reader {
 public:
  // `documentSize` bounds what entity references may add to the document's text.
  Reader(CFOptionFlags mutability, size_t documentSize, std::string& error)
      : mMutability(mutability), mExpansionLeft(documentSize), mError(error) {}

  // Whether entity references would have made the text larger than the document: a few
  // nested entity declarations would otherwise grow a small document past any memory.
  bool overExpanded() const { return mOverExpanded; }

  // The element children of a node; false (with the error) when other content stands between them.
  bool elementChildren(const xmlNode* node, std::vector<const xmlNode*>& children) {
    for (const xmlNode* child = node->children; child; child = child->next) {
      if (child->type == XML_ELEMENT_NODE) {
        children.push_back(child);
      } else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
        if (!trimmed(text(child)).empty()) return fail(child, "text \"" + trimmed(text(child)) + "\" outside a value");
      }
    }
    return true;
  }

  // The value of a document: the one value its <plist> holds, or its root element.
  CFPropertyListRef document(const xmlNode* root) {
    if (!named(root, "plist")) return value(root, 0);
    std::vector<const xmlNode*> children;
    if (!elementChildren(root, children)) return nullptr;
    if (children.size() != 1) {
      return failNull(root, "<plist> holds " + std::to_string(children.size()) + " values instead of one");
    }
    return value(children[0], 0);
  }

  CFPropertyListRef value(const xmlNode* node, int depth) {
    if (depth > kMaximumDepth) return failNull(node, "values nested too deeply");
    if (named(node, "dict")) return dictionary(node, depth);
    if (named(node, "array")) return array(node, depth);
    if (named(node, "string")) return string(text(node));
    if (named(node, "integer")) return integer(node);
    if (named(node, "real")) return real(node);
    if (named(node, "true")) return CFRetain(kCFBooleanTrue);
    if (named(node, "false")) return CFRetain(kCFBooleanFalse);
    if (named(node, "data")) return data(node);
    if (named(node, "date")) return date(node);
    return failNull(node, std::string("unexpected element <") + reinterpret_cast<const char*>(node->name) + ">");
  }

 private:
  // The text of a node and what it holds, entity references expanded within the budget.
  std::string text(const xmlNode* node) {
    std::string out;
    appendText(node, out, false, 0);
    return out;
  }

  void appendText(const xmlNode* node, std::string& out, bool expanded, int depth) {
    if (mOverExpanded) return;
    switch (node->type) {
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
        if (node->content) append(reinterpret_cast<const char*>(node->content), out, expanded);
        return;
      case XML_ELEMENT_NODE:
        for (const xmlNode* child = node->children; child; child = child->next) appendText(child, out, expanded, depth);
        return;
      case XML_ENTITY_REF_NODE: {
        const xmlEntity* entity = xmlGetDocEntity(node->doc, node->name);
        if (!entity) return;
        if (depth >= kMaximumDepth) {
          mOverExpanded = true;
          return;
        }
        if (!entity->children && entity->content) append(reinterpret_cast<const char*>(entity->content), out, true);
        for (const xmlNode* child = entity->children; child; child = child->next) appendText(child, out, true, depth + 1);
        return;
      }
      default:
        return;
    }
  }

  void append(const char* text, std::string& out, bool expanded) {
    const size_t size = std::strlen(text);
    if (expanded) {
      if (size > mExpansionLeft) {
        mOverExpanded = true;
        return;
      }
      mExpansionLeft -= size;
    }
    out += text;
  }

  bool fail(const xmlNode* node, const std::string& message) {
    if (mError.empty()) mError = "line " + std::to_string(xmlGetLineNo(node)) + ": " + message;
    return false;
  }
  CFPropertyListRef failNull(const xmlNode* node, const std::string& message) {
    fail(node, message);
    return nullptr;
  }

  CFPropertyListRef dictionary(const xmlNode* node, int depth) {
    std::vector<const xmlNode*> children;
    if (!elementChildren(node, children)) return nullptr;
    CFMutableDictionaryRef result =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (size_t i = 0; i < children.size(); i += 2) {
      if (!named(children[i], "key")) {
        CFRelease(result);
        return failNull(children[i], "a dictionary entry without a <key>");
      }
      if (i + 1 == children.size()) {
        CFRelease(result);
        return failNull(children[i], "the key \"" + text(children[i]) + "\" has no value");
      }
      CFStringRef key = plainString(text(children[i]));
      CFPropertyListRef entry = key ? value(children[i + 1], depth + 1) : nullptr;
      if (!entry) {
        if (key) CFRelease(key);
        else fail(children[i], "a key that is not UTF-8 text");
        CFRelease(result);
        return nullptr;
      }
      CFDictionarySetValue(result, key, entry);
      CFRelease(key);
      CFRelease(entry);
    }
    if (mMutability != kCFPropertyListImmutable) return result;
    CFDictionaryRef immutable = CFDictionaryCreateCopy(nullptr, result);
    CFRelease(result);
    return immutable;
  }

  CFPropertyListRef array(const xmlNode* node, int depth) {
    std::vector<const xmlNode*> children;
    if (!elementChildren(node, children)) return nullptr;
    CFMutableArrayRef result = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const xmlNode* child : children) {
      CFPropertyListRef entry = value(child, depth + 1);
      if (!entry) {
        CFRelease(result);
        return nullptr;
      }
      CFArrayAppendValue(result, entry);
      CFRelease(entry);
    }
    if (mMutability != kCFPropertyListImmutable) return result;
    CFArrayRef immutable = CFArrayCreateCopy(nullptr, result);
    CFRelease(result);
    return immutable;
  }

  static CFStringRef plainString(const std::string& text) {
    return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                   static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false);
  }

  CFPropertyListRef string(const std::string& text) {
    CFStringRef result = plainString(text);
    if (!result || mMutability != kCFPropertyListMutableContainersAndLeaves) return result;
    CFMutableStringRef mutableString = CFStringCreateMutableCopy(nullptr, 0, result);
    CFRelease(result);
    return mutableString;
  }

  CFPropertyListRef integer(const xmlNode* node) {
    std::string digits = trimmed(text(node));
    bool negative = !digits.empty() && digits[0] == '-';
    size_t start = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    int base = 10;
    if (digits.compare(start, 2, "0x") == 0 || digits.compare(start, 2, "0X") == 0) {
      base = 16;
      start += 2;
    }
    // Parsed as a magnitude so that the most negative value fits.
    unsigned long long magnitude = 0;
    const char* first = digits.data() + start;
    const char* last = digits.data() + digits.size();
    auto [end, failure] = std::from_chars(first, last, magnitude, base);
    bool inRange = negative ? magnitude <= 9223372036854775808ULL : magnitude <= 9223372036854775807ULL;
    if (first == last || end != last || failure != std::errc() || !inRange) {
      return failNull(node, "\"" + digits + "\" is not a 64-bit integer");
    }
    SInt64 number = negative ? static_cast<SInt64>(0 - magnitude) : static_cast<SInt64>(magnitude);
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &number);
  }

  CFPropertyListRef real(const xmlNode* node) {
    std::string digits = trimmed(text(node));
    const char* first = digits.data();
    const char* last = digits.data() + digits.size();
    bool positiveSign = first != last && *first == '+';
    if (positiveSign) ++first;
    double number = 0;
    auto [end, failure] = std::from_chars(first, last, number);
    // Out-of-range values read as infinities or zero, as a C reader would take them.
    if (first == last || end != last || (failure != std::errc() && failure != std::errc::result_out_of_range)) {
      return failNull(node, "\"" + digits + "\" is not a real number");
    }
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &number);
  }

  CFPropertyListRef data(const xmlNode* node) {
    std::string encoded = text(node), bytes;
    unsigned buffer = 0;
    int bits = 0;
    size_t padding = 0;
    for (unsigned char c : encoded) {
      if (std::isspace(c)) continue;
      int sextet;
      if (c >= 'A' && c <= 'Z') sextet = c - 'A';
      else if (c >= 'a' && c <= 'z') sextet = c - 'a' + 26;
      else if (c >= '0' && c <= '9') sextet = c - '0' + 52;
      else if (c == '+') sextet = 62;
      else if (c == '/') sextet = 63;
      else if (c == '=') { ++padding; continue; }
      else return failNull(node, "data that is not base64");
      if (padding) return failNull(node, "data that is not base64");
      buffer = (buffer << 6) | static_cast<unsigned>(sextet);
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        bytes += static_cast<char>((buffer >> bits) & 0xFF);
      }
    }
    if (padding > 2) return failNull(node, "data that is not base64");
    const UInt8* start = reinterpret_cast<const UInt8*>(bytes.data());
    if (mMutability == kCFPropertyListMutableContainersAndLeaves) {
      CFMutableDataRef result = CFDataCreateMutable(nullptr, 0);
      CFDataAppendBytes(result, start, static_cast<CFIndex>(bytes.size()));
      return result;
    }
    return CFDataCreate(nullptr, start, static_cast<CFIndex>(bytes.size()));
  }

  // Dates are written in UTC to the second: "2001-01-01T00:00:00Z".
  CFPropertyListRef date(const xmlNode* node) {
    std::string written = trimmed(text(node));
    std::tm parts{};
    int consumed = 0;
    int fields = std::sscanf(written.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &parts.tm_year, &parts.tm_mon,
                             &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &consumed);
    bool valid = fields == 6 && consumed == static_cast<int>(written.size()) && parts.tm_mon >= 1 &&
                 parts.tm_mon <= 12 && parts.tm_mday >= 1 && parts.tm_mday <= 31 && parts.tm_hour <= 23 &&
                 parts.tm_min <= 59 && parts.tm_sec <= 60 && parts.tm_hour >= 0 && parts.tm_min >= 0 &&
                 parts.tm_sec >= 0;
    if (!valid) return failNull(node, "\"" + written + "\" is not a date");
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    double seconds = static_cast<double>(timegm(&parts));
    return CFDateCreate(nullptr, seconds - kCFAbsoluteTimeIntervalSince1970);
  }

  CFOptionFlags mMutability;
  size_t mExpansionLeft;
  bool mOverExpanded = false;
  std::string& mError;
};

}  // namespace

CFPropertyListRef read(const UInt8* bytes, size_t length, CFOptionFlags mutability, std::string& error) {
  static std::once_flag initialised;
  std::call_once(initialised, xmlInitParser);
  std::unique_ptr<xmlParserCtxt, ContextDeleter> context(xmlNewParserCtxt());
  if (!context) {
    error = "no XML parser";
    return nullptr;
  }
  if (length > static_cast<size_t>(INT32_MAX)) {
    error = "the document is too large";
    return nullptr;
  }
  std::unique_ptr<xmlDoc, DocumentDeleter> document(
      xmlCtxtReadMemory(context.get(), reinterpret_cast<const char*>(bytes), static_cast<int>(length), nullptr,
                        nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA));
  if (!document || !context->wellFormed) {
    const char* message = context->lastError.message;
    error = "line " + std::to_string(context->lastError.line) + ": " +
            trimmed(message ? message : "the document is not well-formed XML");
    return nullptr;
  }
  const xmlNode* root = xmlDocGetRootElement(document.get());
  if (!root) {
    error = "the document holds no property list";
    return nullptr;
  }
  Reader reader(mutability, length, error);
  CFPropertyListRef result = reader.document(root);
  if (reader.overExpanded()) {
    if (result) CFRelease(result);
    error = "entities expand the document past its own size";
    return nullptr;
  }
  return result;
}

}  // namespace CFPropertyListXML
