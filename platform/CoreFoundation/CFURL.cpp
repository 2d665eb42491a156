#include <CoreFoundation/CFURL.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <strings.h>
#include <vector>

#include <CoreFoundation/CFError.h>
#include "backend/CFStringObject.h"
#include <Foundation/NSURL.h>

#include "backend/CFCollectionCallBacks.h"
#include "backend/CFURLParts.h"

using CFCollection::checked;
using CFCollection::createString;
using CFCollection::report;
using CFURLParts::Parts;

struct __CFURL : NSURL {
  // A relative URL keeps the absolute form of its base; an absolute one keeps no base.
  __CFURL(std::string text, const __CFURL* base)
      : mText(std::move(text)), mParts(Parts::split(mText)), mString(createString(mText)) {
    if (base && !mParts.scheme) mBase = base->copyAbsolute();
  }
  ~__CFURL() override {
    CFRelease(mString);
    if (mBase) mBase->release();
  }

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFURL");
    return id;
  }
  static const char* typeName() { return "CFURL"; }

  std::string absoluteText() const { return mBase ? CFURLParts::resolve(mBase->mText, mText) : mText; }
  const __CFURL* copyAbsolute() const {
    if (!mBase) return static_cast<const __CFURL*>(retain());
    return new __CFURL(absoluteText(), nullptr);
  }
  // The scheme and authority come from the base only when the URL has neither of its own.
  bool inheritsFromBase() const { return mBase && !mParts.scheme && !mParts.authority; }
  std::optional<std::string> scheme() const { return mParts.scheme || !mBase ? mParts.scheme : mBase->mParts.scheme; }
  bool isFileURL() const {
    std::optional<std::string> name = scheme();
    return !name || strcasecmp(name->c_str(), "file") == 0;
  }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    if (!other || other->cfTypeID() != typeID()) return false;
    auto* url = static_cast<const __CFURL*>(other);
    if (url->mText != mText) return false;
    return url->mBase == mBase || (url->mBase && mBase && mBase->isEqual(url->mBase));
  }
  unsigned long hash() const override { return std::hash<std::string>()(mText); }
  // The text, and the base's after " -- " as the platform's URL objects describe themselves.
  const __CFString* copyDescription() const override {
    return createString(mBase ? mText + " -- " + mBase->mText : mText);
  }

  const std::string mText;
  const Parts mParts;
  const CFStringRef mString;
  const __CFURL* mBase = nullptr;
};

namespace {

bool isString(CFTypeRef object) { return object && CFGetTypeID(object) == CFStringGetTypeID(); }

CFURLRef fileURL(const std::string& pathBytes, bool isDirectory) {
  std::string path = pathBytes;
  if (isDirectory && (path.empty() || path.back() != '/')) path += '/';
  if (!path.empty() && path[0] == '/') return new __CFURL("file://" + CFURLParts::escapePath(path), nullptr);
  // A relative path is relative to the current folder, as the process sees it now.
  std::vector<char> folder(4096);
  while (!getcwd(folder.data(), folder.size())) {
    if (errno != ERANGE) {
      report("CFURLCreateWithFileSystemPath", "no current folder for \"%s\": %s", path.c_str(), std::strerror(errno));
      return nullptr;
    }
    folder.resize(folder.size() * 2);
  }
  std::string folderPath = folder.data();
  if (folderPath.back() != '/') folderPath += '/';
  auto* base = new __CFURL("file://" + CFURLParts::escapePath(folderPath), nullptr);
  auto* url = new __CFURL(CFURLParts::escapePath(path), base);
  base->release();
  return url;
}

// The last component of an escaped path without its trailing '/', with where it starts;
// nothing for the root and an empty path.
std::optional<std::pair<std::string, size_t>> lastComponent(const std::string& path) {
  std::string trimmed = path;
  if (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  if (trimmed.empty() || trimmed == "/") return std::nullopt;
  size_t slash = trimmed.rfind('/');
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  return std::make_pair(trimmed.substr(start), start);
}

// The URL with another path in place of its own, relative to the same base.
CFURLRef withPath(const __CFURL* url, const std::string& path) {
  Parts parts = url->mParts;
  parts.path = path;
  return new __CFURL(parts.join(), url->mBase);
}

CFStringRef createFromBytes(const std::string& bytes) {
  return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                 static_cast<CFIndex>(bytes.size()), kCFStringEncodingUTF8, false);
}

CFErrorRef createReachabilityError(CFURLRef url, CFIndex code, const std::string& path, int posixError) {
  CFMutableDictionaryRef userInfo =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(userInfo, kCFErrorURLKey, url);
  if (!path.empty()) {
    if (CFStringRef pathString = createFromBytes(path)) {
      CFDictionarySetValue(userInfo, kCFErrorFilePathKey, pathString);
      CFRelease(pathString);
    }
  }
  if (posixError) {
    CFErrorRef underlying = CFErrorCreate(nullptr, kCFErrorDomainPOSIX, posixError, nullptr);
    CFDictionarySetValue(userInfo, kCFErrorUnderlyingErrorKey, underlying);
    CFRelease(underlying);
  }
  CFErrorRef error = CFErrorCreate(nullptr, kCFErrorDomainCocoa, code, userInfo);
  CFRelease(userInfo);
  return error;
}

// The file path of a URL as bytes, or nothing (see CFURLGetFileSystemRepresentation).
std::optional<std::string> fileSystemPath(const __CFURL* url, bool resolveAgainstBase) {
  if (!url->isFileURL()) return std::nullopt;
  Parts parts = resolveAgainstBase ? Parts::split(url->absoluteText()) : url->mParts;
  std::optional<std::string> path = CFURLParts::unescape(parts.path);
  if (!path || path->find('\0') != std::string::npos) return std::nullopt;
  if (path->size() > 1 && path->back() == '/') path->pop_back();
  return path;
}

}  // namespace

CFTypeID CFURLGetTypeID(void) { return __CFURL::typeID(); }

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef URLString, CFURLRef baseURL) {
  if (!isString(URLString)) {
    report("CFURLCreateWithString", "%p is not a string", static_cast<const void*>(URLString));
    return nullptr;
  }
  const __CFURL* base = baseURL ? checked<__CFURL>(baseURL, "CFURLCreateWithString") : nullptr;
  if (baseURL && !base) return nullptr;
  std::string text = CFStringText::utf8(URLString);
  if (!CFURLParts::isValidURLString(text)) return nullptr;
  return new __CFURL(text, base);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory) {
  if (!isString(filePath) || pathStyle != kCFURLPOSIXPathStyle) {
    report("CFURLCreateWithFileSystemPath", "%p in style %ld is not a POSIX path", static_cast<const void*>(filePath),
           static_cast<long>(pathStyle));
    return nullptr;
  }
  std::string path = CFStringText::utf8(filePath);
  if (path.empty()) return nullptr;
  return fileURL(path, isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory) {
  if (!buffer || bufLen <= 0) return nullptr;
  std::string path(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
  path = path.substr(0, path.find('\0'));
  if (path.empty()) return nullptr;
  return fileURL(path, isDirectory);
}

CFStringRef CFURLGetString(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLGetString");
  return url ? url->mString : nullptr;
}

CFURLRef CFURLGetBaseURL(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLGetBaseURL");
  return url ? url->mBase : nullptr;
}

CFURLRef CFURLCopyAbsoluteURL(CFURLRef relativeURL) {
  const __CFURL* url = checked<__CFURL>(relativeURL, "CFURLCopyAbsoluteURL");
  return url ? url->copyAbsolute() : nullptr;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCopyFileSystemPath");
  if (!url) return nullptr;
  if (pathStyle != kCFURLPOSIXPathStyle) {
    report("CFURLCopyFileSystemPath", "only POSIX paths are kept, not style %ld", static_cast<long>(pathStyle));
    return nullptr;
  }
  std::optional<std::string> path = CFURLParts::unescape(url->mParts.path);
  if (!path) return nullptr;
  if (path->size() > 1 && path->back() == '/') path->pop_back();
  return createFromBytes(*path);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef anURL, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLGetFileSystemRepresentation");
  if (!url || !buffer || maxBufLen <= 0) return false;
  std::optional<std::string> path = fileSystemPath(url, resolveAgainstBase);
  if (!path || static_cast<CFIndex>(path->size()) >= maxBufLen) return false;
  std::memcpy(buffer, path->c_str(), path->size() + 1);
  return true;
}

CFStringRef CFURLCopyScheme(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCopyScheme");
  if (!url) return nullptr;
  std::optional<std::string> scheme = url->scheme();
  return scheme ? createString(*scheme) : nullptr;
}

CFStringRef CFURLCopyHostName(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCopyHostName");
  if (!url) return nullptr;
  std::optional<std::string> host = url->inheritsFromBase() ? url->mBase->mParts.host() : url->mParts.host();
  if (!host) return nullptr;
  std::optional<std::string> unescaped = CFURLParts::unescape(*host);
  return unescaped ? createFromBytes(*unescaped) : nullptr;
}

CFStringRef CFURLCopyPath(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCopyPath");
  return url ? createString(url->mParts.path) : nullptr;
}

Boolean CFURLHasDirectoryPath(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLHasDirectoryPath");
  if (!url) return false;
  const std::string& path = url->mParts.path.empty() && url->inheritsFromBase() ? url->mBase->mParts.path
                                                                                : url->mParts.path;
  return !path.empty() && path.back() == '/';
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCopyLastPathComponent");
  if (!url) return nullptr;
  auto component = lastComponent(url->mParts.path);
  if (!component) return createString(url->mParts.path.empty() ? "" : "/");
  std::optional<std::string> unescaped = CFURLParts::unescape(component->first);
  return unescaped ? createFromBytes(*unescaped) : nullptr;
}

CFStringRef CFURLCopyPathExtension(CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCopyPathExtension");
  if (!url) return nullptr;
  auto component = lastComponent(url->mParts.path);
  if (!component) return nullptr;
  std::optional<std::string> name = CFURLParts::unescape(component->first);
  if (!name) return nullptr;
  // A leading dot marks a hidden name, not an extension.
  size_t dot = name->rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == name->size()) return nullptr;
  return createFromBytes(name->substr(dot + 1));
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef anURL, CFStringRef pathComponent,
                                               Boolean isDirectory) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCreateCopyAppendingPathComponent");
  if (!url) return nullptr;
  if (!isString(pathComponent)) {
    report("CFURLCreateCopyAppendingPathComponent", "%p is not a string", static_cast<const void*>(pathComponent));
    return nullptr;
  }
  std::string component = CFStringText::utf8(pathComponent);
  std::string path = url->mParts.path;
  if (path.empty() && url->mParts.authority) path = "/";
  if (path.empty()) {
    path = CFURLParts::escapePath(component);
  } else {
    if (path.back() != '/') path += '/';
    // Escaped as the rest of an absolute path: a ':' inside it cannot be taken for a scheme.
    path += CFURLParts::escapePath("/" + component).substr(1);
  }
  if (isDirectory && (path.empty() || path.back() != '/')) path += '/';
  return withPath(url, path);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCreateCopyDeletingLastPathComponent");
  if (!url) return nullptr;
  const std::string& path = url->mParts.path;
  auto component = lastComponent(path);
  if (!component) {
    // The root is its own parent; the parent of an empty relative path is "../".
    bool root = !path.empty() || url->mParts.authority;
    return withPath(url, root ? "/" : "../");
  }
  if (component->first == "..") {
    std::string parent = path;
    if (parent.back() != '/') parent += '/';
    return withPath(url, parent + "../");
  }
  return withPath(url, component->second == 0 ? "./" : path.substr(0, component->second));
}

CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef, CFURLRef anURL, CFStringRef extension) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCreateCopyAppendingPathExtension");
  if (!url) return nullptr;
  if (!isString(extension)) {
    report("CFURLCreateCopyAppendingPathExtension", "%p is not a string", static_cast<const void*>(extension));
    return nullptr;
  }
  std::string path = url->mParts.path;
  if (!lastComponent(path)) return static_cast<CFURLRef>(url->retain());
  bool directory = path.back() == '/';
  if (directory) path.pop_back();
  path += "." + CFURLParts::escapePath("/" + CFStringText::utf8(extension)).substr(1);
  if (directory) path += '/';
  return withPath(url, path);
}

CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef, CFURLRef anURL) {
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLCreateCopyDeletingPathExtension");
  if (!url) return nullptr;
  auto component = lastComponent(url->mParts.path);
  if (!component) return static_cast<CFURLRef>(url->retain());
  size_t dot = component->first.rfind('.');
  if (dot == std::string::npos || dot == 0) return static_cast<CFURLRef>(url->retain());
  std::string path = url->mParts.path;
  bool directory = path.back() == '/';
  path.erase(component->second + dot);
  if (directory) path += '/';
  return withPath(url, path);
}

Boolean CFURLResourceIsReachable(CFURLRef anURL, CFErrorRef* error) {
  if (error) *error = nullptr;
  const __CFURL* url = checked<__CFURL>(anURL, "CFURLResourceIsReachable");
  if (!url) return false;
  // Codes of the platform's file errors: no such file, no permission, unknown, unsupported scheme.
  enum : CFIndex { kNoSuchFile = 260, kNoPermission = 257, kUnknown = 256, kUnsupportedScheme = 262 };
  std::optional<std::string> path = url->isFileURL() ? fileSystemPath(url, true) : std::nullopt;
  if (!path) {
    if (error) *error = createReachabilityError(anURL, url->isFileURL() ? kNoSuchFile : kUnsupportedScheme, "", 0);
    return false;
  }
  struct stat info;
  if (stat(path->c_str(), &info) == 0) return true;
  int failure = errno;
  if (error) {
    CFIndex code = failure == ENOENT || failure == ENOTDIR ? kNoSuchFile : failure == EACCES ? kNoPermission : kUnknown;
    *error = createReachabilityError(anURL, code, *path, failure);
  }
  return false;
}

CFStringRef CFURLCreateStringByAddingPercentEscapes(CFAllocatorRef, CFStringRef originalString,
                                                    CFStringRef charactersToLeaveUnescaped,
                                                    CFStringRef legalURLCharactersToBeEscaped,
                                                    CFStringEncoding encoding) {
  if (!isString(originalString) || encoding != kCFStringEncodingUTF8) {
    report("CFURLCreateStringByAddingPercentEscapes", "%p in encoding 0x%x: only UTF-8 strings are escaped",
           static_cast<const void*>(originalString), static_cast<unsigned>(encoding));
    return nullptr;
  }
  std::string leaveAlone = isString(charactersToLeaveUnescaped) ? CFStringText::utf8(charactersToLeaveUnescaped) : "";
  std::string escapeAlso =
      isString(legalURLCharactersToBeEscaped) ? CFStringText::utf8(legalURLCharactersToBeEscaped) : "";
  return createString(CFURLParts::escapeForURL(CFStringText::utf8(originalString), leaveAlone, escapeAlso));
}

CFStringRef CFURLCreateStringByReplacingPercentEscapes(CFAllocatorRef, CFStringRef originalString,
                                                       CFStringRef charactersToLeaveEscaped) {
  if (!isString(originalString)) {
    report("CFURLCreateStringByReplacingPercentEscapes", "%p is not a string", static_cast<const void*>(originalString));
    return nullptr;
  }
  if (!charactersToLeaveEscaped) return CFStringCreateCopy(nullptr, originalString);
  std::string keep = isString(charactersToLeaveEscaped) ? CFStringText::utf8(charactersToLeaveEscaped) : "";
  std::optional<std::string> bytes = CFURLParts::unescape(CFStringText::utf8(originalString), keep);
  return bytes ? createFromBytes(*bytes) : nullptr;
}
