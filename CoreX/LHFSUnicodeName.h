#pragma once
// A File Manager name (HFSUniStr255) that always keeps a 0 unit after its last unit and two
// guard words behind its units, with conversions from and to UTF-8, Pascal strings and
// UTF-32.
#include <string>

#include <Carbon/Files.h>
#include <Carbon/Script.h>

class LHFSUnicodeName : public HFSUniStr255 {
 public:
  // At most kMaxLength - 1 units, so that unicode[length] can hold the terminating 0.
  static constexpr UInt16 kMaxLength = 254;
  static constexpr UInt16 kGuard1 = 0xBAAD;
  static constexpr UInt16 kGuard2 = 0xDEAD;

  enum Special : UInt32 { kEmptyName = 0, kDataForkName = 256, kResourceForkName = 257 };

  LHFSUnicodeName();
  explicit LHFSUnicodeName(Special special);
  LHFSUnicodeName(const char* utf8);
  LHFSUnicodeName(const std::string& utf8);
  LHFSUnicodeName(ConstStr255Param macRoman);
  LHFSUnicodeName(ConstStr255Param text, ScriptCode script);
  LHFSUnicodeName(const UniChar* utf16);
  LHFSUnicodeName(const char32_t* utf32);
  LHFSUnicodeName(const LHFSUnicodeName& other);
  LHFSUnicodeName& operator=(const LHFSUnicodeName& other);
  ~LHFSUnicodeName();

  void Empty();
  bool Construct(Special special);
  bool Construct(const char* utf8);
  bool Construct(const std::string& utf8);
  bool Construct(ConstStr255Param macRoman);
  bool Construct(ConstStr255Param text, ScriptCode script);
  bool Construct(const UniChar* utf16);
  bool Construct(const char32_t* utf32);
  bool Construct(const HFSUniStr255& units);

  bool IsEmpty() const { return length == 0; }
  bool IsMarked() const { return mGuard1 == kGuard1 && mGuard2 == kGuard2; }
  bool IsNullTerminated() const { return length < kMaxLength && unicode[length] == 0; }
  bool IsValid() const { return IsMarked() && IsNullTerminated(); }

  bool GetUnixPath(std::string& utf8) const;
  bool GetUnixPath(std::u32string& utf32) const;

  static bool ConvertFileName(const std::string& utf8, HFSUniStr255& name);
  static bool ConvertFileName(ConstStr255Param text, ScriptCode script, HFSUniStr255& name);

  bool operator==(const LHFSUnicodeName& other) const;
  bool operator!=(const LHFSUnicodeName& other) const { return !(*this == other); }

  static const LHFSUnicodeName sDataForkName;
  static const LHFSUnicodeName sResourceForkName;

 private:
  UInt16 mGuard1;
  UInt16 mGuard2;
};
