#include <Foundation/NSPathUtilities.h>
#include <Foundation/NSString.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

NSString* autoreleasedString(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

// Collapses repeated slashes and drops trailing ones (a lone "/" stays).
std::string standardSlashes(const std::string& path) {
  std::string result;
  for (char character : path) {
    if (character == '/' && !result.empty() && result.back() == '/') continue;
    result += character;
  }
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

}  // namespace

namespace NSStringPathExtensions {

NSString* lastPathComponent(NSString* path) {
  if (!path) return nullptr;
  const std::string text = standardSlashes(path->UTF8String());
  if (text == "/") return autoreleasedString(text);
  const size_t slash = text.find_last_of('/');
  return autoreleasedString(slash == std::string::npos ? text : text.substr(slash + 1));
}

NSString* stringByAppendingPathComponent(NSString* path, NSString* component) {
  if (!path) return nullptr;
  const std::string head = path->UTF8String();
  const std::string tail = component ? component->UTF8String() : "";
  if (head.empty()) return autoreleasedString(standardSlashes(tail));
  if (tail.empty()) return autoreleasedString(standardSlashes(head));
  return autoreleasedString(standardSlashes(head + "/" + tail));
}

}  // namespace NSStringPathExtensions

NSString* NSHomeDirectory(void) {
  const char* home = getenv("HOME");
  if (home && *home) return autoreleasedString(home);
  const struct passwd* entry = getpwuid(getuid());
  return autoreleasedString(entry && entry->pw_dir ? entry->pw_dir : "/");
}

NSString* NSTemporaryDirectory(void) {
  const char* folder = getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return autoreleasedString(path);
}
