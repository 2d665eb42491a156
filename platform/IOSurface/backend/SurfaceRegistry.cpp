#include "backend/SurfaceRegistry.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace IOSurfaceLayer {

namespace {

// A peer that neither answers nor hangs up must not stall a lookup for long.
constexpr int kSocketTimeoutSeconds = 2;

struct Request {
  uint32_t id;
};
struct Reply {
  uint32_t found;
};

std::string registryFolder() { return CFPlatform::runtimePath() + "/IOSurface"; }

std::string entryPath(const std::string& folder, uint32_t id) { return folder + "/" + std::to_string(id); }

// A socket address for a path of any length: a path too long for sun_path is reached through
// this process's descriptor of its folder.
class SocketAddress {
 public:
  explicit SocketAddress(const std::string& path) {
    mAddress.sun_family = AF_UNIX;
    std::string name = path;
    if (path.size() >= sizeof mAddress.sun_path) {
      const size_t slash = path.rfind('/');
      mFolder = open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      name = "/proc/self/fd/" + std::to_string(mFolder) + path.substr(slash);
    }
    mValid = name.size() < sizeof mAddress.sun_path;
    if (mValid) std::memcpy(mAddress.sun_path, name.c_str(), name.size() + 1);
  }
  ~SocketAddress() {
    if (mFolder >= 0) close(mFolder);
  }
  bool valid() const { return mValid; }
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&mAddress); }
  socklen_t size() const { return sizeof mAddress; }

 private:
  sockaddr_un mAddress{};
  int mFolder = -1;
  bool mValid = false;
};

void setTimeouts(int socketFD) {
  timeval timeout{kSocketTimeoutSeconds, 0};
  setsockopt(socketFD, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(socketFD, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

bool sendReply(int connection, bool found, int fd) {
  Reply reply{found ? 1u : 0u};
  iovec part{&reply, sizeof reply};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  if (found) {
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
  }
  return sendmsg(connection, &message, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof reply);
}

// The descriptor in a reply, or -1.
int receiveReply(int connection) {
  Reply reply{};
  iovec part{&reply, sizeof reply};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t got = recvmsg(connection, &message, MSG_CMSG_CLOEXEC);
  int fd = -1;
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); got > 0 && header; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS &&
        header->cmsg_len >= CMSG_LEN(sizeof(int))) {
      std::memcpy(&fd, CMSG_DATA(header), sizeof fd);
    }
  }
  if (got != static_cast<ssize_t>(sizeof reply) || !reply.found) {
    if (fd >= 0) close(fd);
    return -1;
  }
  return fd;
}

struct Entry {
  pid_t owner = 0;
  std::string socketPath;
};

bool readEntry(const std::string& path, Entry& entry) {
  std::ifstream file(path);
  if (!(file >> entry.owner)) return false;
  file.get();
  return static_cast<bool>(std::getline(file, entry.socketPath)) && !entry.socketPath.empty();
}

bool processIsGone(pid_t pid) { return pid <= 0 || (kill(pid, 0) != 0 && errno == ESRCH); }

}  // namespace

struct SurfaceRegistry::State {
  std::mutex lock;
  std::map<uint32_t, std::weak_ptr<SurfaceMemory>> surfaces;  // the surfaces made here
  std::map<uint32_t, std::string> entries;                    // entry files written, by id
  std::string socketPath;                                     // empty until the server runs
  uint32_t fallbackID = 0;
};

SurfaceRegistry& SurfaceRegistry::shared() {
  static SurfaceRegistry* registry = new SurfaceRegistry();  // the owner thread outlives statics
  return *registry;
}

SurfaceRegistry::State& SurfaceRegistry::state() {
  static State* state = new State();
  return *state;
}

uint32_t SurfaceRegistry::allocateID() {
  const std::string folder = registryFolder();
  int counter = -1;
  if (CFPlatform::makeFolders(folder))
    counter = open((folder + "/next-id").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (counter < 0 || flock(counter, LOCK_EX) != 0) {
    // Without the folder the id is unique in this process only; nothing outside can look
    // the surface up anyway, as there is no place for its entry either.
    if (counter >= 0) close(counter);
    State& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    std::fprintf(stderr, "IOSurface: no surface registry in %s; ids are private to this process\n",
                 folder.c_str());
    return ++s.fallbackID == 0 ? ++s.fallbackID : s.fallbackID;
  }
  char text[16] = {};
  const ssize_t got = pread(counter, text, sizeof text - 1, 0);
  unsigned long next = got > 0 ? std::strtoul(text, nullptr, 10) : 0;
  if (next == 0 || next > 0xffffffffUL) next = 1;
  const std::string following = std::to_string(next == 0xffffffffUL ? 1 : next + 1) + "\n";
  if (ftruncate(counter, 0) != 0 || pwrite(counter, following.data(), following.size(), 0) < 0)
    std::fprintf(stderr, "IOSurface: cannot advance the surface id counter: %s\n", std::strerror(errno));
  flock(counter, LOCK_UN);
  close(counter);
  return static_cast<uint32_t>(next);
}

void SurfaceRegistry::add(const std::shared_ptr<SurfaceMemory>& memory) {
  State& s = state();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.surfaces[memory->id()] = memory;
  }
  if (!memory->isGlobal() || !startServer()) return;

  const std::string folder = registryFolder();
  const std::string path = entryPath(folder, memory->id());
  const std::string temporary = folder + "/." + std::to_string(memory->id()) + "." + std::to_string(getpid());
  std::string socketPath;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    socketPath = s.socketPath;
  }
  // Written aside and renamed, so a reader sees a whole entry or none.
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << getpid() << "\n" << socketPath << "\n";
    if (!file) {
      std::fprintf(stderr, "IOSurface: cannot write the entry of surface %u\n", memory->id());
      return;
    }
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "IOSurface: cannot publish surface %u: %s\n", memory->id(), std::strerror(errno));
    unlink(temporary.c_str());
    return;
  }
  std::lock_guard<std::mutex> guard(s.lock);
  s.entries[memory->id()] = path;
}

void SurfaceRegistry::remove(uint32_t id) {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  auto surface = s.surfaces.find(id);
  if (surface != s.surfaces.end() && surface->second.expired()) s.surfaces.erase(surface);
  auto entry = s.entries.find(id);
  if (entry == s.entries.end()) return;
  Entry written;
  if (readEntry(entry->second, written) && written.owner == getpid()) unlink(entry->second.c_str());
  s.entries.erase(entry);
}

std::shared_ptr<SurfaceMemory> SurfaceRegistry::lookup(uint32_t id) {
  if (id == 0) return nullptr;
  if (auto here = lookupHere(id)) return here;
  return lookupElsewhere(id);
}

std::shared_ptr<SurfaceMemory> SurfaceRegistry::lookupHere(uint32_t id) {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  auto found = s.surfaces.find(id);
  return found == s.surfaces.end() ? nullptr : found->second.lock();
}

std::shared_ptr<SurfaceMemory> SurfaceRegistry::lookupElsewhere(uint32_t id) {
  const std::string path = entryPath(registryFolder(), id);
  Entry entry;
  if (!readEntry(path, entry) || entry.owner == getpid()) return nullptr;

  int connection = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (connection < 0) return nullptr;
  setTimeouts(connection);
  SocketAddress address(entry.socketPath);
  int fd = -1;
  if (address.valid() && connect(connection, address.get(), address.size()) == 0) {
    Request request{id};
    if (send(connection, &request, sizeof request, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof request))
      fd = receiveReply(connection);
  } else if (processIsGone(entry.owner)) {
    // The owner died without removing its entry: clear it for the next reader.
    unlink(path.c_str());
    unlink(entry.socketPath.c_str());
  }
  close(connection);
  if (fd < 0) return nullptr;
  std::shared_ptr<SurfaceMemory> memory = SurfaceMemory::map(fd);
  close(fd);
  if (!memory || memory->id() != id || !memory->isGlobal()) return nullptr;
  return memory;
}

bool SurfaceRegistry::startServer() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.socketPath.empty()) return true;
  const std::string path = registryFolder() + "/owner." + std::to_string(getpid()) + ".socket";
  int listener = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  SocketAddress address(path);
  unlink(path.c_str());  // a socket left by an earlier process that had our pid
  if (listener < 0 || !address.valid() || bind(listener, address.get(), address.size()) != 0 ||
      listen(listener, 16) != 0) {
    std::fprintf(stderr, "IOSurface: cannot serve global surfaces at %s: %s\n", path.c_str(),
                 std::strerror(errno));
    if (listener >= 0) close(listener);
    return false;
  }
  s.socketPath = path;
  std::thread([this, listener] {
    pthread_setname_np(pthread_self(), "IOSurface owner");
    for (;;) {
      int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) {
        if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE) continue;
        return;
      }
      setTimeouts(connection);
      Request request{};
      std::shared_ptr<SurfaceMemory> memory;
      if (recv(connection, &request, sizeof request, 0) == static_cast<ssize_t>(sizeof request))
        memory = lookupHere(request.id);
      const bool servable = memory && memory->isGlobal();
      sendReply(connection, servable, servable ? memory->fd() : -1);
      close(connection);
    }
  }).detach();
  return true;
}

}  // namespace IOSurfaceLayer
