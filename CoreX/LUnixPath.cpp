#include "LUnixPath.h"

#include "CoreMachDebug.h"
#include "CoreUnixPath.h"

// The rules are CoreUnixPath's; only the extension look-ups stay silent here.
const std::string LUnixPath::s_slash_str = "/";

bool LUnixPath::Construct(const char* path) {
  if (!path) {
    mPath.clear();
  } else {
    mPath = path;
  }
  return !mPath.empty();
}

bool LUnixPath::IsRootPath(const char* path) { return CoreUnixPath::IsRootPath(path); }
bool LUnixPath::AddTrailingSlash(std::string& path) { return CoreUnixPath::AddTrailingSlash(path); }
bool LUnixPath::RemoveTrailingSlash(std::string& path) { return CoreUnixPath::RemoveTrailingSlash(path); }
bool LUnixPath::GetPathParent(const std::string& path, std::string& parent) {
  return CoreUnixPath::GetPathParent(path, parent);
}
bool LUnixPath::GetPathJustName(const std::string& path, std::string& name) {
  return CoreUnixPath::GetPathJustName(path, name);
}
bool LUnixPath::AddPathExtension(std::string& path, const char* ext) {
  return CoreUnixPath::AddPathExtension(path, ext);
}
bool LUnixPath::HasValidFileExtension(const std::string& path) { return CoreUnixPath::HasValidFileExtension(path); }
bool LUnixPath::GetPathExtension(const std::string& path, std::string& ext) {
  return CoreUnixPath::ReadPathExtension(path, ext, false);
}
bool LUnixPath::HasPathExtension(const std::string& path, const char* ext) {
  return CoreUnixPath::MatchPathExtension(path, ext, false);
}
bool LUnixPath::ReplacePathExtension(std::string& path, const char* ext) {
  return CoreUnixPath::ReplacePathExtension(path, ext);
}

bool LUnixPath::GetParent(LUnixPath& out) const {
  std::string parent;
  if (!VERIFY(GetPathParent(mPath, parent))) return false;
  return VERIFY(out.Construct(parent));
}

bool LUnixPath::HasExtension(const char* ext) const {
  return HasValidFileExtension(mPath) && HasPathExtension(mPath, ext);
}

bool LUnixPath::IsFullyQualified(const char* path) { return CoreUnixPath::IsFullyQualified(path); }
bool LUnixPath::IsPartiallyQualified(const char* path) { return CoreUnixPath::IsPartiallyQualified(path); }
bool LUnixPath::IsQualified(const char* path) { return CoreUnixPath::IsQualified(path); }
bool LUnixPath::IsJustName(const char* path) { return CoreUnixPath::IsJustName(path); }
bool LUnixPath::IsFullyQualified() const { return VERIFY(!mPath.empty()) && IsFullyQualified(mPath.c_str()); }
bool LUnixPath::IsPartiallyQualified() const { return VERIFY(!mPath.empty()) && IsPartiallyQualified(mPath.c_str()); }
bool LUnixPath::IsQualified() const { return VERIFY(!mPath.empty()) && IsQualified(mPath.c_str()); }
bool LUnixPath::IsJustName() const { return VERIFY(!mPath.empty()) && IsJustName(mPath.c_str()); }

bool LUnixPath::GetPathBasePartAndNamePart(const std::string& path, std::string& base, std::string& name) {
  return CoreUnixPath::GetPathBasePartAndNamePart(path, base, name);
}

// The walk is CoreUnixPath's, on this path's text.
bool LUnixPath::GetFirstPair(std::string& base, std::string& name) const {
  CoreUnixPath walked(mPath.c_str());
  return walked.GetFirstPair(base, name);
}

bool LUnixPath::GetNextPair(std::string& base, std::string& name) const {
  CoreUnixPath walked(mPath.c_str());
  return walked.GetNextPair(base, name);
}
