#pragma once
// The path value of the file references: the path-text rules of CoreUnixPath, with quieter
// extension look-ups (a missing extension is an answer, not a fault) and no file operations.
#include <string>

class LUnixPath {
 public:
  LUnixPath() = default;
  LUnixPath(const char* path) { Construct(path); }
  LUnixPath(const LUnixPath& other) = default;
  LUnixPath& operator=(const LUnixPath& other) = default;
  virtual ~LUnixPath() = default;

  bool Construct(const char* path);
  bool Construct(const std::string& path) { return Construct(path.c_str()); }
  void Empty() { mPath.clear(); }
  bool IsEmpty() const { return mPath.empty(); }
  operator const char*() const { return mPath.c_str(); }
  const std::string& Path() const { return mPath; }
  bool IsRoot() const { return IsRootPath(mPath.c_str()); }

  static const std::string s_slash_str;
  static bool IsRootPath(const char* path);
  static bool AddTrailingSlash(std::string& path);
  static bool RemoveTrailingSlash(std::string& path);
  static bool GetPathParent(const std::string& path, std::string& parent);
  static bool GetPathJustName(const std::string& path, std::string& name);
  static bool AddPathExtension(std::string& path, const char* ext);
  static bool HasValidFileExtension(const std::string& path);
  static bool GetPathExtension(const std::string& path, std::string& ext);
  static bool HasPathExtension(const std::string& path, const char* ext);
  static bool ReplacePathExtension(std::string& path, const char* ext);

  bool AddTrailingSlash() { return AddTrailingSlash(mPath); }
  bool RemoveTrailingSlash() { return RemoveTrailingSlash(mPath); }
  bool GetParent(std::string& parent) const { return GetPathParent(mPath, parent); }
  bool GetParent(LUnixPath& parent) const;
  bool GetJustName(std::string& name) const { return GetPathJustName(mPath, name); }
  bool GetExtension(std::string& ext) const { return GetPathExtension(mPath, ext); }
  bool HasExtension(const char* ext) const;
  bool ReplaceExtension(const char* ext) { return ReplacePathExtension(mPath, ext); }

  static bool IsFullyQualified(const char* path);
  static bool IsPartiallyQualified(const char* path);
  static bool IsQualified(const char* path);
  static bool IsJustName(const char* path);
  bool IsFullyQualified() const;
  bool IsPartiallyQualified() const;
  bool IsQualified() const;
  bool IsJustName() const;

  static bool GetPathBasePartAndNamePart(const std::string& path, std::string& base, std::string& name);
  bool GetFirstPair(std::string& base, std::string& name) const;
  bool GetNextPair(std::string& base, std::string& name) const;

 protected:
  std::string mPath;
};
