#include "CoreUnixPath.h"

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "CoreMachDebug.h"
#include "CoreRefPath.h"

const std::string CoreUnixPath::s_slash_str_const = "/";

namespace {

// Positions are compared as signed values: "not found" is -1, so it fails every test for a
// position greater than 0 just as a character at position 0 does.
int32_t lastPosition(const std::string& text, char character) {
  size_t found = text.find_last_of(character);
  return found == std::string::npos ? -1 : int32_t(found);
}

}  // namespace

CoreUnixPath::CoreUnixPath(const char* path) { Construct(path); }

CoreUnixPath::CoreUnixPath(const CoreUnixPath& other) : mPath(other.mPath) {}

CoreUnixPath::CoreUnixPath(CFStringRef path) { VERIFY(Construct(path)); }

CoreUnixPath::CoreUnixPath(CFURLRef url) { VERIFY(Construct(url)); }

CoreUnixPath::CoreUnixPath(const CoreRefPath& folder) { VERIFY(Construct(folder.GetUnixPath())); }

CoreUnixPath& CoreUnixPath::operator=(const CoreUnixPath& other) {
  if (this != &other) VERIFY(Construct(other.mPath.c_str()));
  return *this;
}

CoreUnixPath& CoreUnixPath::operator=(const CoreRefPath& folder) {
  VERIFY(Construct(folder.GetUnixPath()));
  return *this;
}

bool CoreUnixPath::Construct(const char* path) {
  if (!path) {
    mPath.clear();
  } else {
    mPath = path;
  }
  return !mPath.empty();
}

bool CoreUnixPath::Construct(CFStringRef path) {
  if (!VERIFY(path != nullptr)) {
    mPath.clear();
    return false;
  }
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(path), kCFStringEncodingUTF8) + 1;
  std::vector<char> text(size_t(size), '\0');
  if (!VERIFY(CFStringGetCString(path, text.data(), size, kCFStringEncodingUTF8))) {
    mPath.clear();
    return false;
  }
  return Construct(text.data());
}

bool CoreUnixPath::Construct(CFURLRef url) {
  if (!VERIFY(url != nullptr)) {
    mPath.clear();
    return false;
  }
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  if (!VERIFY(path != nullptr)) return false;
  bool made = VERIFY(Construct(path));
  CFRelease(path);
  return made;
}

bool CoreUnixPath::getcwd() {
  // A whole PATH_MAX: a deep working folder must not make this fail.
  char buffer[PATH_MAX + 1] = {};
  if (!VERIFY(::getcwd(buffer, sizeof buffer) != nullptr)) return false;
  return VERIFY(Construct(buffer));
}

bool CoreUnixPath::chdir() const {
  if (!VERIFY(!mPath.empty())) return false;
  int result = ::chdir(mPath.c_str());
  VERIFY(result == 0);
  return result == 0;
}

// The root is "/" (a text of slashes only, as the file system reads "//").
bool CoreUnixPath::IsRootPath(const char* path) {
  if (!path || !*path) return false;
  return strspn(path, "/") == strlen(path);
}

bool CoreUnixPath::AddTrailingSlash(std::string& path) {
  if (!path.empty() && path.back() == '/') return false;
  path += '/';
  return true;
}

bool CoreUnixPath::RemoveTrailingSlash(std::string& path) {
  if (path.empty() || path.back() != '/') return false;
  path.pop_back();
  return true;
}

bool CoreUnixPath::GetPathParent(const std::string& path, std::string& parent) {
  parent.clear();
  if (IsRootPath(path.c_str())) return false;
  std::string trimmed = path;
  RemoveTrailingSlash(trimmed);
  int32_t slash = lastPosition(trimmed, '/');
  if (slash <= 0) return false;
  parent = trimmed.substr(0, size_t(slash)) + "/";
  return true;
}

bool CoreUnixPath::GetPathJustName(const std::string& path, std::string& name) {
  name.clear();
  if (!VERIFY(!IsRootPath(path.c_str()))) return false;
  std::string trimmed = path;
  RemoveTrailingSlash(trimmed);
  int32_t slash = lastPosition(trimmed, '/');
  if (slash <= 0) return false;
  name = trimmed.substr(size_t(slash) + 1);
  return true;
}

bool CoreUnixPath::AddPathExtension(std::string& path, const char* ext) {
  if (!VERIFY(!IsRootPath(path.c_str()))) return false;
  if (!ext) ext = "";
  if (*ext != '.') path += '.';
  path += ext;
  return true;
}

bool CoreUnixPath::HasValidFileExtension(const std::string& path) {
  int32_t dot = lastPosition(path, '.');
  if (dot <= 0) return false;
  return VERIFY(dot > lastPosition(path, '/'));
}

bool CoreUnixPath::ReadPathExtension(const std::string& path, std::string& ext, bool report) {
  ext.clear();
  bool isRoot = IsRootPath(path.c_str());
  if (isRoot) return report ? VERIFY(!isRoot) : false;
  int32_t dot = lastPosition(path, '.');
  if (dot <= 0) return report ? VERIFY(dot > 0) : false;
  ext = path.substr(size_t(dot) + 1);
  return true;
}

bool CoreUnixPath::MatchPathExtension(const std::string& path, const char* ext, bool report) {
  std::string found;
  bool read = ReadPathExtension(path, found, report);
  if (!read) return report ? VERIFY(read) : false;
  if (!ext) return false;
  if (*ext == '.') ++ext;
  if (found.size() != strlen(ext)) return false;
  for (size_t i = 0; i < found.size(); ++i) {
    if (tolower(static_cast<unsigned char>(found[i])) != tolower(static_cast<unsigned char>(ext[i]))) return false;
  }
  return true;
}

bool CoreUnixPath::GetPathExtension(const std::string& path, std::string& ext) {
  return ReadPathExtension(path, ext, true);
}

bool CoreUnixPath::HasPathExtension(const std::string& path, const char* ext) {
  return MatchPathExtension(path, ext, true);
}

bool CoreUnixPath::ReplacePathExtension(std::string& path, const char* ext) {
  if (!VERIFY(!IsRootPath(path.c_str()))) return false;
  if (HasValidFileExtension(path)) {
    std::string stem = path.substr(0, size_t(lastPosition(path, '.')));
    if (!VERIFY(AddPathExtension(stem, ext))) return false;
    path = stem;
    return true;
  }
  return VERIFY(AddPathExtension(path, ext));
}

bool CoreUnixPath::GetParent(std::string& parent) const { return GetPathParent(mPath, parent); }

bool CoreUnixPath::GetParent(CoreUnixPath& out) const {
  std::string parent;
  if (!VERIFY(GetPathParent(mPath, parent))) return false;
  return VERIFY(out.Construct(parent));
}

bool CoreUnixPath::GetJustName(std::string& name) const { return GetPathJustName(mPath, name); }
bool CoreUnixPath::GetExtension(std::string& ext) const { return GetPathExtension(mPath, ext); }
bool CoreUnixPath::HasExtension(const char* ext) const {
  return HasValidFileExtension(mPath) && HasPathExtension(mPath, ext);
}
bool CoreUnixPath::ReplaceExtension(const char* ext) { return ReplacePathExtension(mPath, ext); }

bool CoreUnixPath::IsFullyQualified(const char* path) {
  if (!VERIFY(path != nullptr)) return false;
  return path[0] == '/';
}

bool CoreUnixPath::IsPartiallyQualified(const char* path) {
  if (!VERIFY(path != nullptr)) return false;
  return path[0] != '\0' && path[0] != '/' && strchr(path, '/') != nullptr;
}

bool CoreUnixPath::IsQualified(const char* path) {
  if (!VERIFY(path != nullptr)) return false;
  return path[0] != '\0' && (path[0] == '/' || strchr(path, '/') != nullptr);
}

bool CoreUnixPath::IsJustName(const char* path) {
  if (!VERIFY(path != nullptr)) return false;
  return path[0] != '\0' && strchr(path, '/') == nullptr;
}

bool CoreUnixPath::IsFullyQualified() const { return VERIFY(!mPath.empty()) && IsFullyQualified(mPath.c_str()); }
bool CoreUnixPath::IsPartiallyQualified() const {
  return VERIFY(!mPath.empty()) && IsPartiallyQualified(mPath.c_str());
}
bool CoreUnixPath::IsQualified() const { return VERIFY(!mPath.empty()) && IsQualified(mPath.c_str()); }
bool CoreUnixPath::IsJustName() const { return VERIFY(!mPath.empty()) && IsJustName(mPath.c_str()); }

bool CoreUnixPath::GetPathBasePartAndNamePart(const std::string& path, std::string& base, std::string& name) {
  base.clear();
  name.clear();
  if (!VERIFY(!path.empty())) return false;
  if (path[0] == '/') {
    base = s_slash_str_const;
    name = path.substr(1);
    return true;
  }
  size_t slash = path.find('/');
  if (slash == std::string::npos) {
    base = path;
    return true;
  }
  base = path.substr(0, slash + 1);
  name = path.substr(slash + 1);
  return true;
}

bool CoreUnixPath::GetFirstPair(std::string& base, std::string& name) const {
  base.clear();
  name.clear();
  if (!VERIFY(!mPath.empty())) return false;
  if (IsJustName(mPath.c_str())) {
    base = "./";
    name = mPath;
    return true;
  }
  return GetPathBasePartAndNamePart(mPath, base, name);
}

bool CoreUnixPath::GetNextPair(std::string& base, std::string& name) const {
  if (!VERIFY(!mPath.empty()) || !VERIFY(!base.empty())) return false;
  if (!IsPartiallyQualified(name.c_str())) return false;
  // A walk that began from "./" has a base that is not a prefix of the path.
  if (!VERIFY(base.size() <= mPath.size())) return false;
  std::string nextBase;
  std::string nextName;
  bool split = GetPathBasePartAndNamePart(mPath.substr(base.size()), nextBase, nextName);
  base += nextBase;
  name = nextName;
  return split;
}

bool CoreUnixPath::FileDelete(const char* path) {
  int result = unlink(path);
  VERIFY(result == 0);
  return result == 0;
}

bool CoreUnixPath::FolderDelete(const char* path) {
  int result = rmdir(path);
  VERIFY(result == 0);
  return result == 0;
}

bool CoreUnixPath::FileExists(const char* path) { return access(path, F_OK) == 0; }
bool CoreUnixPath::FileExistsRead(const char* path) { return access(path, R_OK) == 0; }
bool CoreUnixPath::FileExistsReadWrite(const char* path) { return access(path, R_OK | W_OK) == 0; }
// Write permission alone: an item that may be written but not read is still writable.
bool CoreUnixPath::FileExistsWrite(const char* path) { return access(path, W_OK) == 0; }

bool CoreUnixPath::MakeSymbolicLinkFromTo(const char* from, const char* to) {
  if (!from || !to || access(from, R_OK) != 0) return false;
  std::string source = from;
  std::string link = to;
  RemoveTrailingSlash(source);
  RemoveTrailingSlash(link);
  int result = symlink(source.c_str(), link.c_str());
  VERIFY(result == 0);
  return result == 0;
}
