#include "backend/SurfaceRegistry.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// The process named by a number in `text` from `at` to `end`, or 0.
pid_t pidIn(const std::string& text, size_t at, size_t end) {
  long pid = 0;
  auto [stop, error] = std::from_chars(text.data() + at, text.data() + end, pid);
  return error == std::errc() && stop == text.data() + end && pid > 0 && pid <= INT_MAX ? pid_t(pid) : 0;
}

// Removes what processes that are gone left in the folder: entries, owner sockets and entries
// half written. An owner that is killed leaves its entries behind, and most are never looked
// up again (each restart of a publisher would add its surfaces to the heap).
void sweepDeadOwners(const std::string& folder) {
  DIR* listing = opendir(folder.c_str());
  if (!listing) return;
  std::vector<std::string> names;
  while (dirent* item = readdir(listing)) names.push_back(item->d_name);
  closedir(listing);
  const std::string ownerPrefix = "owner.", socketSuffix = ".socket";
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    pid_t owner = 0;
    Entry entry;
    if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
      if (readEntry(path, entry)) owner = entry.owner;
    } else if (name.rfind(ownerPrefix, 0) == 0 && name.size() > ownerPrefix.size() + socketSuffix.size() &&
               name.compare(name.size() - socketSuffix.size(), socketSuffix.size(), socketSuffix) == 0) {
      owner = pidIn(name, ownerPrefix.size(), name.size() - socketSuffix.size());
    } else if (name.size() > 1 && name[0] == '.' && name.rfind('.') > 0) {
      owner = pidIn(name, name.rfind('.') + 1, name.size());
    }
    if (owner != 0 && processIsGone(owner)) unlink(path.c_str());
  }
}

}  // namespace

struct SurfaceRegistry::State {
  std::mutex lock;
  std::map<uint32_t, std::weak_ptr<SurfaceMemory>> surfaces;  // the surfaces made here
  std::map<uint32_t, std::string> entries;                    // entry files written, by id
  // Surfaces of other processes mapped here, by registry folder and id (each runtime folder
  // counts its ids anew).
  std::map<std::pair<std::string, uint32_t>, std::shared_ptr<SurfaceMemory>> kept;
  // The id counter, open, and the folder it is in; folders swept of dead owners' entries.
  int counter = -1;
  std::string counterFolder;
  std::set<std::string> swept;
  std::string socketPath;                                     // empty until the server runs
  uint32_t fallbackID = 0;
  // The server: one thread for the process, watching the owner socket of every runtime
  // folder this process has published in (a process can be given a fresh root) and the
  // connections being answered.
  int events = -1;
  std::set<int> listeners;
};

SurfaceRegistry& SurfaceRegistry::shared() {
  static SurfaceRegistry* registry = new SurfaceRegistry();  // the owner thread outlives statics
  return *registry;
}

SurfaceRegistry::State& SurfaceRegistry::state() {
  static State* state = new State();
  return *state;
}

// The counter stays open; it is opened again for another runtime folder, or when its file was
// removed (a root made anew). Its folder is made only when it is missing.
uint32_t SurfaceRegistry::allocateID() {
  const std::string folder = registryFolder();
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  struct stat status;
  if (s.counter >= 0 && (s.counterFolder != folder || fstat(s.counter, &status) != 0 || status.st_nlink == 0)) {
    close(s.counter);
    s.counter = -1;
  }
  if (s.counter < 0) {
    const std::string path = folder + "/next-id";
    s.counter = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (s.counter < 0 && errno == ENOENT && CFPlatform::makeFolders(folder))
      s.counter = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    s.counterFolder = folder;
  }
  if (s.counter < 0 || flock(s.counter, LOCK_EX) != 0) {
    // Without the folder the id is unique in this process only; nothing outside can look
    // the surface up anyway, as there is no place for its entry either.
    std::fprintf(stderr, "IOSurface: no surface registry in %s; ids are private to this process\n",
                 folder.c_str());
    return ++s.fallbackID == 0 ? ++s.fallbackID : s.fallbackID;
  }
  char text[24] = {};
  const ssize_t got = pread(s.counter, text, sizeof text - 1, 0);
  unsigned long next = got > 0 ? std::strtoul(text, nullptr, 10) : 0;
  if (next == 0 || next > 0xffffffffUL) next = 1;
  // Always as many digits, so that the number overwrites the one before whole.
  char following[16];
  const int length = std::snprintf(following, sizeof following, "%010lu\n", next == 0xffffffffUL ? 1 : next + 1);
  if (pwrite(s.counter, following, size_t(length), 0) != length)
    std::fprintf(stderr, "IOSurface: cannot advance the surface id counter: %s\n", std::strerror(errno));
  flock(s.counter, LOCK_UN);
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
  bool sweep;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.entries[memory->id()] = path;
    sweep = s.swept.insert(folder).second;
  }
  // Once per folder: what dead owners left stays until a process publishes there anew.
  if (sweep) sweepDeadOwners(folder);
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
  const std::string folder = registryFolder();
  if (auto kept = lookupKept(folder, id)) return kept;
  std::shared_ptr<SurfaceMemory> memory = lookupElsewhere(folder, id);
  if (memory) keep(folder, memory);
  return memory;
}

std::shared_ptr<SurfaceMemory> SurfaceRegistry::lookupKept(const std::string& folder, uint32_t id) {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  auto found = s.kept.find({folder, id});
  if (found == s.kept.end()) return nullptr;
  if (found->second->isFindable()) return found->second;
  s.kept.erase(found);
  return nullptr;
}

// Mappings of surfaces that their owners let go of are dropped as a new one is kept.
void SurfaceRegistry::keep(const std::string& folder, const std::shared_ptr<SurfaceMemory>& memory) {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  for (auto it = s.kept.begin(); it != s.kept.end();) {
    it = it->second->isFindable() ? std::next(it) : s.kept.erase(it);
  }
  s.kept[{folder, memory->id()}] = memory;
}

std::shared_ptr<SurfaceMemory> SurfaceRegistry::lookupHere(uint32_t id) {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  auto found = s.surfaces.find(id);
  return found == s.surfaces.end() ? nullptr : found->second.lock();
}

std::shared_ptr<SurfaceMemory> SurfaceRegistry::lookupElsewhere(const std::string& folder, uint32_t id) {
  const std::string path = entryPath(folder, id);
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
  const std::string path = registryFolder() + "/owner." + std::to_string(getpid()) + ".socket";
  // Served already, unless the runtime folder is another one now (or was removed and made again).
  if (s.socketPath == path && access(path.c_str(), F_OK) == 0) return true;
  if (s.events < 0) s.events = epoll_create1(EPOLL_CLOEXEC);
  int listener = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  SocketAddress address(path);
  unlink(path.c_str());  // a socket left by an earlier process that had our pid
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = listener;
  if (s.events < 0 || listener < 0 || !address.valid() || bind(listener, address.get(), address.size()) != 0 ||
      listen(listener, 64) != 0 || epoll_ctl(s.events, EPOLL_CTL_ADD, listener, &event) != 0) {
    std::fprintf(stderr, "IOSurface: cannot serve global surfaces at %s: %s\n", path.c_str(),
                 std::strerror(errno));
    if (listener >= 0) close(listener);
    return false;
  }
  const bool serving = !s.listeners.empty();
  s.listeners.insert(listener);
  s.socketPath = path;
  if (!serving) {
    std::thread([this, events = s.events] {
      pthread_setname_np(pthread_self(), "IOSurface owner");
      serve(events);
    }).detach();
  }
  return true;
}

// Answers each connection once its request arrives, many at a time, so that a peer that
// connects and says nothing (or is stopped) holds up nobody else; a connection silent for the
// timeout is dropped. When this process runs out of descriptors, a waiting connection is taken
// on a spare descriptor and hung up at once (its lookup fails, as it would have) rather than
// left in the queue for a loop of failing accepts.
void SurfaceRegistry::serve(int events) {
  using Clock = std::chrono::steady_clock;
  State& s = state();
  auto watch = [events](int fd) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    return epoll_ctl(events, EPOLL_CTL_ADD, fd, &event) == 0;
  };
  auto isListener = [&s](int fd) {
    std::lock_guard<std::mutex> guard(s.lock);
    return s.listeners.count(fd) > 0;
  };
  int spare = open("/dev/null", O_RDONLY | O_CLOEXEC);
  std::map<int, Clock::time_point> waiting;  // connections, by when they are dropped
  std::map<int, Clock::time_point> resting;  // listeners not watched for a moment, by when again

  // The surface is let go of before the answer goes out: once a reader has its descriptor,
  // the owner's release of the surface is its last reference, and no lookup finds it after.
  auto answer = [this](int connection) {
    Request request{};
    int fd = -1;
    if (recv(connection, &request, sizeof request, MSG_DONTWAIT) == static_cast<ssize_t>(sizeof request)) {
      const std::shared_ptr<SurfaceMemory> memory = lookupHere(request.id);
      if (memory && memory->isGlobal()) fd = fcntl(memory->fd(), F_DUPFD_CLOEXEC, 0);
    }
    sendReply(connection, fd >= 0, fd);
    if (fd >= 0) close(fd);
  };

  for (;;) {
    const Clock::time_point now = Clock::now();
    Clock::time_point next = now + std::chrono::hours(1);
    for (auto* timed : {&waiting, &resting}) {
      for (auto it = timed->begin(); it != timed->end();) {
        if (it->second > now) {
          next = std::min(next, it->second);
          ++it;
          continue;
        }
        if (timed == &waiting) {
          close(it->first);
        } else {
          watch(it->first);
        }
        it = timed->erase(it);
      }
    }
    const auto timeout = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count() + 1;

    epoll_event ready[16];
    const int count = epoll_wait(events, ready, 16, int(timeout));
    if (count < 0 && errno != EINTR) return;
    for (int i = 0; i < count; ++i) {
      const int fd = ready[i].data.fd;
      if (!isListener(fd)) {
        // Its request (or its hang-up) is here: one answer and the connection is done.
        answer(fd);
        waiting.erase(fd);
        close(fd);
        continue;
      }
      for (;;) {
        const int connection = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection >= 0) {
          if (watch(connection)) {
            waiting[connection] = Clock::now() + std::chrono::seconds(kSocketTimeoutSeconds);
          } else {
            close(connection);
          }
          continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if ((errno == EMFILE || errno == ENFILE) && spare >= 0) {
          close(spare);
          const int refused = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
          if (refused >= 0) close(refused);
          spare = open("/dev/null", O_RDONLY | O_CLOEXEC);
          continue;
        }
        if (errno == EMFILE || errno == ENFILE) {
          // Not even a spare: rest the listener a moment rather than be woken for nothing.
          epoll_ctl(events, EPOLL_CTL_DEL, fd, nullptr);
          resting[fd] = Clock::now() + std::chrono::milliseconds(100);
        }
        break;
      }
    }
  }
}

}  // namespace IOSurfaceLayer
