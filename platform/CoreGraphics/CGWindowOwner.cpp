#include <unistd.h>

#include <fstream>
#include <string>

#include "backend/CGWindowRecord.h"

namespace CGWindowServer {

// The executable's file name names the application as its bundle does
// (Moxicam.app/Contents/MacOS/Moxicam); the kernel's short name, cut at 15 characters, is
// the fallback for processes whose executable cannot be read (another user's).
std::string processName(pid_t pid) {
  std::string folder = "/proc/" + std::to_string(pid);
  char target[4096];
  ssize_t length = readlink((folder + "/exe").c_str(), target, sizeof target - 1);
  if (length > 0) {
    std::string path(target, size_t(length));
    static const std::string kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() &&
        path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
      path.resize(path.size() - kDeleted.size());
    }
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (!name.empty()) return name;
  }
  std::ifstream comm(folder + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

}  // namespace CGWindowServer
