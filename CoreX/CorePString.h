#pragma once
// A Pascal string (a length byte, then up to 255 characters) that always keeps a NUL after its
// last character, so that its characters can be read as a C string.
class CorePString {
 public:
  static constexpr unsigned int kMaximumLength = 255;

  CorePString() = default;
  CorePString(const CorePString& other) = default;
  explicit CorePString(const char* text) { *this = text; }

  CorePString& operator=(const CorePString& other) = default;
  // Keeps at most 255 characters; null gives the empty string.
  CorePString& operator=(const char* text);
  CorePString& operator=(const unsigned char* pascal);

  // Copies the characters as a C string; destination holds Length() + 1 bytes.
  void AssignTo(char* destination) const;
  // Appends the characters of a Pascal string. A result longer than 255 characters is
  // refused (reported, nothing changes), as is appending nothing to nothing.
  void strcat(const unsigned char* rhs);
  bool operator==(const unsigned char* rhs) const;

  unsigned int Length() const { return mBytes[0]; }
  const unsigned char* Pascal() const { return mBytes; }
  const char* c_str() const { return reinterpret_cast<const char*>(mBytes + 1); }

 private:
  void setLength(unsigned int length);

  unsigned char mBytes[kMaximumLength + 2] = {};
};
