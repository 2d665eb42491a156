// Which bundle a class comes from: the loaded object that holds the class's record.
#include <Foundation/NSBundle.h>
#include <dlfcn.h>
#include <link.h>

#include <string>

namespace {

std::string parentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

std::string nameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The bundle folder around a shared object: X for X/Contents/MacOS/name, the framework for
// X.framework/name or X.framework/Versions/V/name; empty when there is none.
std::string bundleFolderOf(const std::string& objectPath) {
  const std::string folder = parentOf(objectPath);
  if (nameOf(folder) == "MacOS" && nameOf(parentOf(folder)) == "Contents") return parentOf(parentOf(folder));
  if (folder.ends_with(".framework")) return folder;
  const std::string versions = parentOf(folder);
  if (nameOf(versions) == "Versions" && parentOf(versions).ends_with(".framework")) return parentOf(versions);
  return {};
}

}  // namespace

NSBundle* NSBundle::bundleForClass(Class aClass) {
  if (!aClass) return nullptr;
  Dl_info info{};
  link_map* object = nullptr;
  if (!dladdr1(aClass, &info, reinterpret_cast<void**>(&object), RTLD_DL_LINKMAP) || !object) return nullptr;
  // The running program is the first object of the link chain.
  link_map* program = nullptr;
  if (void* self = dlopen(nullptr, RTLD_NOW)) {
    dlinfo(self, RTLD_DI_LINKMAP, &program);
    dlclose(self);
  }
  if (object == program) return mainBundle();
  const std::string folder = info.dli_fname ? bundleFolderOf(info.dli_fname) : std::string();
  return folder.empty() ? nullptr : bundleWithPath(NSString::stringWithUTF8String(folder.c_str()));
}
