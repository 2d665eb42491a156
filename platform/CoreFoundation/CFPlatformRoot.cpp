#include <CoreFoundation/CFPlatformRoot.h>

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

namespace {

std::string builtRoot() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&_CFPlatformRootPath), &info) || !info.dli_fname) return "/";
  char resolved[PATH_MAX];
  std::string self = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
  constexpr std::string_view suffix = "/System/Library/Frameworks/CoreFoundation.framework/Versions/A/CoreFoundation";
  if (self.size() > suffix.size() && self.compare(self.size() - suffix.size(), suffix.size(), suffix) == 0) {
    return self.substr(0, self.size() - suffix.size());
  }
  return "/";
}

}  // namespace

// Thread-local copies keep the returned pointers valid while the environment changes.
const char* _CFPlatformRootPath(void) {
  thread_local std::string path;
  const char* root = getenv("MOXICAM_ROOT");
  if (root && *root) {
    path = root;
  } else {
    // Never destroyed: worker threads may still ask while the process exits.
    static const std::string* built = new std::string(builtRoot());
    path = *built;
  }
  return path.c_str();
}

const char* _CFPlatformRuntimePath(void) {
  thread_local std::string path;
  path = CFPlatform::systemPath("/private/var/run/moxicam");
  return path.c_str();
}

const char* _CFPlatformHomePath(void) {
  thread_local std::string path;
  const char* home = getenv("HOME");
  if (home && *home) {
    path = home;
  } else {
    struct passwd* entry = getpwuid(getuid());
    path = entry && entry->pw_dir ? entry->pw_dir : "/";
  }
  return path.c_str();
}

Boolean _CFPlatformMakeFolders(const char* path) {
  const std::string folder = path ? path : "";
  if (folder.empty()) return false;
  for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0755);
  }
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  struct stat info;
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
