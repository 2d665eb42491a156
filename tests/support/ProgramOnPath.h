#pragma once
// Finds a program the way the shell does, for tests that use a tool of the machine (nm,
// readelf) and pass over when it is not installed.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace moxicam::test {

// The path of an executable of that name on PATH, or "" when there is none.
inline std::string programOnPath(const std::string& name) {
  std::istringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::filesystem::path candidate = std::filesystem::path(folder.empty() ? "." : folder) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

}  // namespace moxicam::test
