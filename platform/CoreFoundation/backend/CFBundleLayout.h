#pragma once
// Where the parts of a bundle lie, worked out once from the folder's shape.
#include <string>

struct CFBundleLayout {
  // The kinds of folder a bundle can be (see CFBundle.h).
  enum class Kind { Contents, Framework, Flat };

  Kind kind = Kind::Flat;
  std::string path;          // the bundle folder as given, without a trailing '/'
  std::string contentsPath;  // where Info.plist, MacOS, PlugIns... lie (Contents, or the folder)
  std::string infoPlistPath;
  std::string resourcesPath;
  // The program itself for the main bundle of a program that is not inside an .app.
  std::string fixedExecutablePath;

  // The layout of an existing folder; false when the path is not a folder.
  static bool forFolder(const std::string& path, CFBundleLayout& layout);
  // The layout of the running program's bundle (see CFBundleGetMainBundle).
  static CFBundleLayout forMainProgram();

  // The executable's path for the given CFBundleExecutable name (empty when unnamed); empty
  // when no such file exists.
  std::string executablePath(const std::string& executableName) const;
  // The folder's name without its extension ("Foo" for ".../Foo.plugin").
  std::string baseName() const;
  std::string extension() const;
};

namespace CFBundlePaths {
bool isFolder(const std::string& path);
bool exists(const std::string& path);
std::string parent(const std::string& path);
std::string lastComponent(const std::string& path);
// False when any '/'-separated component is "..", so that a name never leaves its folder.
bool staysInside(const std::string& relativePath);
}  // namespace CFBundlePaths
