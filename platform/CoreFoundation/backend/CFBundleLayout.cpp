#include "backend/CFBundleLayout.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace CFBundlePaths {

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string parent(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string lastComponent(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool staysInside(const std::string& relativePath) {
  size_t start = 0;
  while (start <= relativePath.size()) {
    size_t end = relativePath.find('/', start);
    if (end == std::string::npos) end = relativePath.size();
    if (relativePath.compare(start, end - start, "..") == 0 && end - start == 2) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace CFBundlePaths

using namespace CFBundlePaths;

static std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool CFBundleLayout::forFolder(const std::string& folder, CFBundleLayout& layout) {
  if (folder.empty() || !isFolder(folder)) return false;
  layout = CFBundleLayout();
  layout.path = withoutTrailingSlashes(folder);
  const std::string contents = layout.path + "/Contents";
  if (isFolder(contents)) {
    layout.kind = Kind::Contents;
    layout.contentsPath = contents;
    layout.infoPlistPath = contents + "/Info.plist";
    layout.resourcesPath = contents + "/Resources";
  } else if (layout.extension() == "framework") {
    layout.kind = Kind::Framework;
    layout.contentsPath = layout.path;
    layout.resourcesPath = layout.path + "/Resources";
    layout.infoPlistPath = layout.resourcesPath + "/Info.plist";
  } else {
    layout.kind = Kind::Flat;
    layout.contentsPath = layout.path;
    layout.infoPlistPath = layout.path + "/Info.plist";
    layout.resourcesPath = layout.path;
  }
  return true;
}

static std::string runningProgramPath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, size_t(length)) : std::string();
}

CFBundleLayout CFBundleLayout::forMainProgram() {
  const std::string program = runningProgramPath();
  const std::string folder = parent(program);
  const std::string contents = parent(folder);
  const std::string app = parent(contents);
  CFBundleLayout layout;
  if (lastComponent(folder) == "MacOS" && lastComponent(contents) == "Contents" &&
      lastComponent(app).size() > 4 && lastComponent(app).ends_with(".app") && forFolder(app, layout)) {
    return layout;
  }
  if (!forFolder(folder, layout)) layout.path = folder;
  // A program outside an .app is its folder's executable whatever the folder is named.
  layout.kind = Kind::Flat;
  layout.contentsPath = layout.path;
  layout.infoPlistPath = layout.path + "/Info.plist";
  layout.resourcesPath = layout.path;
  layout.fixedExecutablePath = program;
  return layout;
}

std::string CFBundleLayout::baseName() const {
  std::string name = lastComponent(path);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string CFBundleLayout::extension() const {
  std::string name = lastComponent(path);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot + 1);
}

std::string CFBundleLayout::executablePath(const std::string& executableName) const {
  if (!fixedExecutablePath.empty()) return fixedExecutablePath;
  const std::string name = executableName.empty() ? baseName() : executableName;
  if (name.empty() || name.find('/') != std::string::npos || name == "..") return {};
  switch (kind) {
    case Kind::Contents: {
      std::string candidate = contentsPath + "/MacOS/" + name;
      return exists(candidate) ? candidate : std::string();
    }
    case Kind::Framework:
      for (const char* folder : {"/", "/Versions/Current/", "/Versions/A/"}) {
        std::string candidate = path + folder + name;
        if (exists(candidate) && !isFolder(candidate)) return candidate;
      }
      return {};
    case Kind::Flat: {
      std::string candidate = path + "/" + name;
      return exists(candidate) && !isFolder(candidate) ? candidate : std::string();
    }
  }
  return {};
}
