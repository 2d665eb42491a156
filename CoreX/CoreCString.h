#pragma once
// An owning heap C string with a 16-bit capacity (the terminator included). Operations that
// need the text throw CoreException "Nil exception pointer" when it is missing, and "Invariant
// failed" when a result would not fit the capacity, so a caller sees either a valid string or
// an exception.
#include <CoreFoundation/CFString.h>

#include <string>

class CorePString;

class CoreCString {
 public:
  // The largest capacity a string can have.
  static constexpr size_t kMaximumCapacity = 0xFFFF;

  explicit CoreCString(unsigned short minimum = 0);
  CoreCString(const char* text, unsigned short minimum = 0);
  CoreCString(const unsigned char* pascal, unsigned short minimum = 0);
  CoreCString(const CoreCString& other, unsigned short minimum = 0);
  CoreCString(const std::string& text, unsigned short minimum = 0);
  // The code as "0x%08lx 'abcd'".
  CoreCString(OSType code, unsigned short minimum);
  virtual ~CoreCString();

  // Makes room for the text (at least minimum bytes) and copies it; answers whether the whole
  // text was copied.
  bool Alloc(const char* text, unsigned short minimum = 0);
  bool Alloc(const unsigned char* pascal, unsigned short minimum = 0);
  // An empty text of that capacity.
  bool Alloc(unsigned short minimum);
  void Delete();
  void Empty();

  const char* c_str() const { return mText; }
  const char* Get_const_cstring() const { return mText; }
  unsigned short Capacity() const { return mCapacity; }

  // Replaces the text with at most count bytes of source, cut to the capacity.
  bool safe_strncpy(const char* source, unsigned short count);
  bool safe_strcpy(const char* source);
  // Appends what fits the capacity.
  void safe_strcat(const char* source);
  // Appends in a new text of strlen(text)+strlen(source)+2 bytes.
  void strcat(const char* source);
  CoreCString& operator+=(const char* source);
  CoreCString& operator+=(const unsigned char* pascal);
  CoreCString& operator+=(const CoreCString& other);

  CoreCString& operator=(const char* text);
  CoreCString& operator=(const unsigned char* pascal);
  CoreCString& operator=(const CoreCString& other);
  CoreCString& operator=(const CorePString& pascal);
  // The string's text in Mac Roman; empty when it has characters Mac Roman lacks.
  CoreCString& operator=(CFStringRef string);

  bool operator==(const char* text) const;
  bool operator==(const unsigned char* pascal) const;

  double AsDouble() const;
  void AssignTo(char* destination) const;
  void AssignTo(unsigned char* pascal, unsigned int maximum) const;

  void trim_leading_whitespace();
  void trim_trailing_whitespace();
  void trim_trailing_and_leading_whitespace();

  // Formats into the caller's buffer, then takes the result as the text.
  bool sprintf(char* buffer, unsigned long size, const char* format, ...) __attribute__((format(printf, 4, 5)));
  bool printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool ConstructFourCharCode(unsigned int code);

  // The hex digits of up to maximum bytes (all when maximum is 0), each pair followed by the
  // separator.
  void EncodeHexString(const void* bytes, unsigned int length, unsigned int maximum, char separator);
  void HexData(const void* bytes, unsigned int length, unsigned int maximum);
  // Replaces a non-empty text by the hex of its own bytes.
  void AsHexString();
  // Replaces the text by the bytes that the hex digits of text spell (other characters are
  // skipped); answers the text.
  const char* DecodeHexString(const char* text);

  // Copies text into a Pascal string of at most maximum characters (0 for a null text).
  static void AssignTo(unsigned char* pascal, unsigned int maximum, const char* text);
  // The byte's two hex digits, then the separator unless it is 0 (a control character is
  // written as a blank). Valid on this thread until its next call.
  static const char* HexDigitPairFromByte(const unsigned char* byte, char separator);

 protected:
  // Throws "Nil exception pointer" when there is no text.
  void requireText() const;
  // Frees the text, then takes a copy of text in a new one of just its size.
  void replace(const char* text);
  // Appends length bytes in a new text of just the size of both and room for one more byte.
  void append(const char* source, size_t length);

  char* mText = nullptr;
  unsigned short mCapacity = 0;
};
