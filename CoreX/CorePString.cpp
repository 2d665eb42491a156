#include "CorePString.h"

#include <cstring>
#include <string>

#include "CoreMachDebug.h"

void CorePString::setLength(unsigned int length) {
  mBytes[0] = static_cast<unsigned char>(length);
  mBytes[length + 1] = 0;
}

CorePString& CorePString::operator=(const char* text) {
  const size_t length = text ? strnlen(text, kMaximumLength) : 0;
  memmove(mBytes + 1, text ? text : "", length);
  setLength(static_cast<unsigned int>(length));
  return *this;
}

CorePString& CorePString::operator=(const unsigned char* pascal) {
  if (!pascal) return *this = static_cast<const char*>(nullptr);
  const unsigned int length = pascal[0];
  memmove(mBytes + 1, pascal + 1, length);
  setLength(length);
  return *this;
}

void CorePString::AssignTo(char* destination) const {
  if (destination) strcpy(destination, c_str());
}

void CorePString::strcat(const unsigned char* rhs) {
  const unsigned int pstring_len = Length();
  const unsigned int rhs_len = rhs ? rhs[0] : 0;
  if (!VERIFY(pstring_len+rhs_len)) return;
  if (!VERIFY(pstring_len+rhs_len<=kMaximumLength)) return;
  if (rhs_len > 0) memmove(mBytes + 1 + pstring_len, rhs + 1, rhs_len);
  setLength(pstring_len + rhs_len);
}

bool CorePString::operator==(const unsigned char* rhs) const {
  if (!rhs) return false;
  const char* characters = reinterpret_cast<const char*>(rhs + 1);
  return std::string(characters, strnlen(characters, rhs[0])) == c_str();
}
