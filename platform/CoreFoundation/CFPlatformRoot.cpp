#include <CoreFoundation/CFPlatformRoot.h>

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

namespace CFPlatform {

static std::string builtRoot() {
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

std::string rootPath() {
  const char* root = getenv("MOXICAM_ROOT");
  if (root && *root) return root;
  // Never destroyed: worker threads may still ask while the process exits.
  static const std::string* built = new std::string(builtRoot());
  return *built;
}

std::string runtimePath() { return systemPath("/private/var/run/moxicam"); }

std::string systemPath(const std::string& macPath) {
  std::string root = rootPath();
  if (root == "/") return macPath;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root + macPath;
}

std::string homePath() {
  const char* home = getenv("HOME");
  if (home && *home) return home;
  struct passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "/";
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace CFPlatform

// Thread-local copies keep the returned pointers valid while the environment changes.
const char* _CFPlatformRootPath(void) {
  thread_local std::string path;
  path = CFPlatform::rootPath();
  return path.c_str();
}

const char* _CFPlatformRuntimePath(void) {
  thread_local std::string path;
  path = CFPlatform::runtimePath();
  return path.c_str();
}
