#pragma once
// A system root of its own for a fuzz target whose parser reads the runtime folder (registries
// of services, surfaces, notifications): made once, removed when the process ends.
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace fuzz {

// The path outlives every static object: the handler that removes the folder runs after they
// are destroyed.
inline const std::string& privateRoot() {
  static const std::string* path = new std::string([] {
    std::string pattern = (std::filesystem::temp_directory_path() / "moxicam-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return std::string();
    setenv("MOXICAM_ROOT", pattern.c_str(), 1);
    setenv("HOME", pattern.c_str(), 1);
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(privateRoot(), error);
    });
    return pattern;
  }());
  return *path;
}

}  // namespace fuzz
