#include <mutex>
#include <string>
#include <unordered_map>

#include "backend/CFStringEncodings.h"
#include "backend/CFStringObject.h"

namespace {

// One immortal string per distinct text. The table is never destroyed, so CFSTR works from
// static constructors and destructors in any order.
struct ConstantTable {
  std::mutex lock;
  std::unordered_map<std::string, __CFString*> strings;
};

ConstantTable& constantTable() {
  static ConstantTable* table = new ConstantTable();
  return *table;
}

}  // namespace

CFStringRef __CFStringMakeConstantString(const char* cStr) {
  if (!cStr) return nullptr;
  ConstantTable& table = constantTable();
  std::lock_guard<std::mutex> guard(table.lock);
  auto found = table.strings.find(cStr);
  if (found != table.strings.end()) return found->second;
  size_t length = std::char_traits<char>::length(cStr);
  const UInt8* bytes = reinterpret_cast<const UInt8*>(cStr);
  // Source text is UTF-8; a literal that is not keeps every byte as Mac Roman.
  std::optional<std::u16string> text = CFStringEncodings::decode(bytes, length, kCFStringEncodingUTF8);
  if (!text) text = CFStringEncodings::decode(bytes, length, kCFStringEncodingMacRoman);
  if (!text) text = CFStringEncodings::decode(bytes, length, kCFStringEncodingISOLatin1);
  __CFString* string = new __CFString(std::move(*text));
  string->keepAsciiForm();
  string->makeImmortal();
  table.strings.emplace(cStr, string);
  return string;
}
