#include "InstallRequest.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "AuthDittoTool.h"

namespace {

std::string resolved(const char* path) {
  char buffer[PATH_MAX];
  return path && realpath(path, buffer) ? std::string(buffer) : std::string();
}

std::string parentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool isInside(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty() || path == folder) return false;
  const std::string prefix = folder == "/" ? folder : folder + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

NSString* stringOf(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

}  // namespace

namespace InstallRequest {

std::string selfPath() { return resolved("/proc/self/exe"); }

std::string applicationBundleOfTool(const std::string& toolPath) {
  for (std::string folder = parentOf(toolPath); folder != "/" && folder != "."; folder = parentOf(folder)) {
    const std::string name = folder.substr(folder.find_last_of('/') + 1);
    if (name.size() > 4 && name.ends_with(".app")) return folder;
  }
  return parentOf(toolPath);
}

NSString* refusalOfToolPath(const char* toolPath, const std::string& selfPath) {
  if (!selfPath.empty() && resolved(toolPath) == selfPath) return nullptr;
  return NSString::stringWithFormat(NSSTR("the tool path %s is not this helper (%s)"),
                                    toolPath ? toolPath : "(NULL)", selfPath.c_str());
}

NSString* destination(NSString* location, NSString* payload, const std::string& applicationBundle,
                      NSString** refusal) {
  *refusal = nullptr;
  if (!AuthDittoTool::locationPathWithLocationName(location)) {
    *refusal = NSString::stringWithFormat(NSSTR("no install location is named %@"), location);
    return nullptr;
  }
  NSString* result = AuthDittoTool::destinationWithLocationName_sourcePath(location, payload);
  if (!result) {
    *refusal = NSString::stringWithFormat(NSSTR("the payload %@ does not end in a file name"), payload);
    return nullptr;
  }
  const std::string source = resolved(payload ? payload->UTF8String() : nullptr);
  if (source.empty()) {
    *refusal = NSString::stringWithFormat(NSSTR("the payload %@ does not exist"), payload);
    return nullptr;
  }
  if (!isInside(source, resolved(applicationBundle.c_str()))) {
    *refusal = NSString::stringWithFormat(NSSTR("the payload %@ is not inside the application bundle %@"),
                                          payload, stringOf(applicationBundle));
    return nullptr;
  }
  return result;
}

NSString* resolvedPayload(NSString* payload) {
  return stringOf(resolved(payload ? payload->UTF8String() : nullptr));
}

}  // namespace InstallRequest
