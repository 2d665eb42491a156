#include "backend/ItemNames.h"

#include <cstring>

#include "backend/IconvConverter.h"

namespace CarbonFiles {

OSErr itemNameFromUnicode(UniCharCount length, const UniChar* name, std::string& utf8) {
  utf8.clear();
  if (length == 0 || !name) return errFSMissingName;
  if (length > 255) return errFSNameTooLong;
  CarbonText::IconvConverter toUTF8("UTF-8", CarbonText::nativeUTF16Name());
  std::string units(reinterpret_cast<const char*>(name), length * sizeof(UniChar));
  if (!toUTF8.convertAll(units, utf8)) return bdNamErr;
  if (utf8 == "." || utf8 == ".." || utf8.find('/') != std::string::npos || utf8.find('\0') != std::string::npos) {
    return bdNamErr;
  }
  if (utf8.size() > 255) return errFSNameTooLong;
  return noErr;
}

OSErr unicodeNameFromItemName(const std::string& utf8, HFSUniStr255& name) {
  std::memset(&name, 0, sizeof name);
  CarbonText::IconvConverter toUTF16(CarbonText::nativeUTF16Name(), "UTF-8");
  std::string units;
  if (!toUTF16.convertAll(utf8, units)) return bdNamErr;
  if (units.size() / sizeof(UniChar) > 255) return errFSNameTooLong;
  std::memcpy(name.unicode, units.data(), units.size());
  name.length = UInt16(units.size() / sizeof(UniChar));
  return noErr;
}

}  // namespace CarbonFiles
