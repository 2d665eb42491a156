#pragma once
// A file name value over LFSRef, for code that only names, compares and dates files.
#include <string>

#include "LFSRef.h"

class XFileName {
 public:
  XFileName() = default;
  XFileName(const XFileName* copyOf);
  XFileName(const XFileName& other) = default;
  XFileName& operator=(const XFileName& other) = default;
  explicit XFileName(const char* unix_path);
  explicit XFileName(const FSRef& ref);
  explicit XFileName(const LFSRef& ref);

  bool Construct(const char* unix_path);
  bool Construct(const FSRef& ref);
  void Empty() { m_filename.Empty(); }
  bool IsConstructed() const;

  bool GetSystemRepresentation(FSRef& ref) const;
  bool GetSystemRepresentation(LUnixPath& path) const;
  bool GetParentFolder(XFileName& folder) const;
  bool GetJustName(std::string& name) const;
  bool RenameFile(const char* name);
  bool DeleteFile();
  bool GetFileTypeCreator(OSType& type, OSType& creator) const;
  bool GetDateTimeCreated(UTCDateTime& date) const;
  bool FileExists() const;
  bool IsNewerThan(const XFileName& other) const;

  const LFSRef& Ref() const { return m_filename; }

 private:
  LFSRef m_filename;
};

// `out` names `relative` inside `parent`, which must exist.
bool FSRef_ConstructFromParentAndRelativeName(XFileName& out, const FSRef* parent, const char* relative);
