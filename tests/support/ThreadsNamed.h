#pragma once
// How many threads of this process carry a name: a thread that should have ended, or that
// should be the only one of its kind, shows here.
#include <filesystem>
#include <fstream>
#include <string>

namespace moxicam::test {

inline int threadsNamed(const std::string& name) {
  int count = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string line;
    if (std::getline(comm, line) && line == name) ++count;
  }
  return count;
}

}  // namespace moxicam::test
