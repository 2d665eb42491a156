#pragma once
// The utility library's CFString wrapper: builds a string from every text form the library
// meets and converts back. Failures are reported through VERIFY and answered with false, 0,
// -1 or an empty result; only wrapping a reference of another type throws.
#include <Carbon/Files.h>
#include <CoreFoundation/CFString.h>

#include <string>

#include "CFTypeRefClass.h"
#include "T_cstring.h"

class TCFString : public T_CFTypeRef<CFStringRef> {
 public:
  TCFString() = default;
  TCFString(CFStringRef string, CFTypeRef_Ownership ownership);
  TCFString(const char* in_cstring);
  TCFString(const std::string& text);
  TCFString(const wchar_t* in_wide_cstring);
  TCFString(const std::wstring& text);
  TCFString(const HFSUniStr255& name);

  TCFString& operator=(const char* in_cstring);
  TCFString& operator=(const wchar_t* in_wide_cstring);
  TCFString& operator=(const HFSUniStr255& name);

  bool SetValue(const char* in_cstring, CFStringEncoding inFromThisEncoding = kCFStringEncodingUTF8);
  bool SetValue(const std::string& text, CFStringEncoding inFromThisEncoding = kCFStringEncodingUTF8);
  bool SetValue(const unsigned char* in_pstring, CFStringEncoding inFromThisEncoding);
  bool SetValue(const wchar_t* in_wide_cstring);
  // A NUL-terminated string of UTF-16 units.
  bool SetValue(const UniChar* in_cstring);
  bool SetValue(const HFSUniStr255& name);

  // The length in UTF-16 units.
  CFIndex strlen() const;

  bool GetValue(HFSUniStr255& name) const;
  bool GetValue(T_cstring<unsigned short>& out_cstring) const;
  // A new malloc'ed NUL-terminated copy of the units, which the caller frees.
  bool GetValue(UniChar** out_units, CFIndex* out_count) const;
  bool GetValue(std::wstring& text) const;
  bool GetValue(std::string& text, CFStringEncoding encoding) const;
  bool GetConstCharStarValue(std::string& text, CFStringEncoding encoding) const;

  // -1, 0 or 1; -1 for an empty wrapper or a null argument.
  CFComparisonResult strcmp(CFStringRef rhs_StringRef) const;
  CFComparisonResult strcmp(const char* in_rhs_utf8_cstring) const;

  static bool ToUnicode(const unsigned char* in_pstring, HFSUniStr255& name, CFStringEncoding encoding);
  static bool ToUnicode(const char* in_utf8_cstring, HFSUniStr255& name, CFStringEncoding encoding);
  static bool ToUnicode(const char* in_utf8_cstring, std::wstring& text, CFStringEncoding encoding);
  static bool FromUnicode(const HFSUniStr255& name, std::string& text, CFStringEncoding encoding);
  static bool FromUnicode(const wchar_t* in_wide_cstring, std::string& text, CFStringEncoding encoding);

 private:
  // Holds a string this wrapper made; false for none.
  bool holdMade(CFStringRef made);
};
