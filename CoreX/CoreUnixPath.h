#pragma once
// A POSIX path held as UTF-8 text, with the path-text rules shared by LUnixPath (parent,
// name, extension, qualification, walking component by component) and a few file-system
// calls. Failed checks are reported through VERIFY and answered with false.
#include <string>

#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

class CoreRefPath;

class CoreUnixPath {
 public:
  CoreUnixPath() = default;
  CoreUnixPath(const char* path);
  CoreUnixPath(const CoreUnixPath& other);
  CoreUnixPath(CFStringRef path);
  CoreUnixPath(CFURLRef url);
  CoreUnixPath(const CoreRefPath& folder);
  virtual ~CoreUnixPath() = default;

  CoreUnixPath& operator=(const CoreUnixPath& other);
  CoreUnixPath& operator=(const CoreRefPath& folder);

  bool Construct(const char* path);
  bool Construct(const std::string& path) { return Construct(path.c_str()); }
  bool Construct(CFStringRef path);
  bool Construct(CFURLRef url);

  void Empty() { mPath.clear(); }
  bool IsEmpty() const { return mPath.empty(); }
  operator const char*() const { return mPath.c_str(); }
  const std::string& Path() const { return mPath; }
  bool IsRoot() const { return IsRootPath(mPath.c_str()); }

  bool getcwd();
  bool chdir() const;

  // Path text.
  static const std::string s_slash_str_const;
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
  bool GetParent(std::string& parent) const;
  bool GetParent(CoreUnixPath& parent) const;
  bool GetJustName(std::string& name) const;
  bool GetExtension(std::string& ext) const;
  bool HasExtension(const char* ext) const;
  bool ReplaceExtension(const char* ext);

  // Qualification.
  static bool IsFullyQualified(const char* path);
  static bool IsPartiallyQualified(const char* path);
  static bool IsQualified(const char* path);
  static bool IsJustName(const char* path);
  bool IsFullyQualified() const;
  bool IsPartiallyQualified() const;
  bool IsQualified() const;
  bool IsJustName() const;

  // Walking: base parts always end in "/", a bare name starts from "./".
  static bool GetPathBasePartAndNamePart(const std::string& path, std::string& base, std::string& name);
  bool GetFirstPair(std::string& base, std::string& name) const;
  bool GetNextPair(std::string& base, std::string& name) const;

  // File operations.
  static bool FileDelete(const char* path);
  static bool FolderDelete(const char* path);
  static bool FileExists(const char* path);
  static bool FileExistsRead(const char* path);
  static bool FileExistsReadWrite(const char* path);
  static bool FileExistsWrite(const char* path);
  static bool MakeSymbolicLinkFromTo(const char* from, const char* to);

  // The rules that LUnixPath shares, with the choice whether a failure is reported.
  static bool ReadPathExtension(const std::string& path, std::string& ext, bool report);
  static bool MatchPathExtension(const std::string& path, const char* ext, bool report);

 protected:
  std::string mPath;
};
