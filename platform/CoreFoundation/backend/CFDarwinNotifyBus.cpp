#include "backend/CFDarwinNotifyBus.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace CFDarwinNotify {

namespace {

constexpr size_t kLargestName = 1024;
// Longer than any tick of the clock that stamps folder changes.
constexpr int64_t kStillNanoseconds = 100000000;

// Folder paths under a temporary root can be longer than a socket address holds; the
// descriptor's link in /proc names the same folder in a few bytes.
sockaddr_un addressInFolder(int folder, const char* entry, socklen_t* length) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  snprintf(address.sun_path, sizeof(address.sun_path), "/proc/self/fd/%d/%s", folder, entry);
  *length = socklen_t(offsetof(sockaddr_un, sun_path) + strlen(address.sun_path) + 1);
  return address;
}

bool isSocketEntry(const char* entry) {
  size_t length = strlen(entry);
  return entry[0] != '.' && length > 5 && strcmp(entry + length - 5, ".sock") == 0;
}

std::vector<std::string>* sPathsToRemoveAtExit = nullptr;
std::mutex sExitLock;

void removeSocketsAtExit() {
  std::lock_guard<std::mutex> guard(sExitLock);
  if (!sPathsToRemoveAtExit) return;
  for (const auto& path : *sPathsToRemoveAtExit) unlink(path.c_str());
}

}  // namespace

NotifyBus& NotifyBus::shared(Delivery deliver) {
  // Never destroyed: the receiving thread runs until the process ends.
  static NotifyBus* bus = new NotifyBus(std::move(deliver));
  return *bus;
}

std::string NotifyBus::registryFolder() { return CFPlatform::runtimePath() + "/notify"; }

NotifyBus::NotifyBus(Delivery deliver) : mDeliver(std::move(deliver)) {
  mSendSocket = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  mPoll = epoll_create1(EPOLL_CLOEXEC);
}

bool NotifyBus::refreshObservers(const std::string& folderPath) {
  Observers& known = mObservers;
  struct stat status;
  if (stat(folderPath.c_str(), &status) != 0) return false;
  // A new entry or a removed one changes the folder's modification time; a folder made anew
  // is another inode.
  if (known.folder >= 0 && known.folderPath == folderPath && known.device == status.st_dev &&
      known.inode == status.st_ino && known.changed.tv_sec == status.st_mtim.tv_sec &&
      known.changed.tv_nsec == status.st_mtim.tv_nsec)
    return true;
  if (known.folder >= 0) close(known.folder);
  known = Observers{};
  timespec listedAt{};
  clock_gettime(CLOCK_REALTIME, &listedAt);
  DIR* listing = opendir(folderPath.c_str());
  if (!listing) return false;
  struct stat listed;
  if (fstat(dirfd(listing), &listed) != 0) {
    closedir(listing);
    return false;
  }
  while (dirent* entry = readdir(listing)) {
    if (isSocketEntry(entry->d_name)) known.entries.emplace_back(entry->d_name);
  }
  known.folder = fcntl(dirfd(listing), F_DUPFD_CLOEXEC, 0);
  closedir(listing);
  known.folderPath = folderPath;
  known.device = listed.st_dev;
  known.inode = listed.st_ino;
  // The change time from before the listing: an entry added while listing changes it again,
  // and the next post reads the folder anew. Change times are taken from a coarse clock, so
  // a change just after a recent one may keep its time: a listing is trusted only once the
  // folder has been still for a while (a change time of zero is never current).
  known.changed = status.st_mtim;
  const int64_t stillFor = (int64_t(listedAt.tv_sec) - int64_t(status.st_mtim.tv_sec)) * 1000000000 +
                           (listedAt.tv_nsec - status.st_mtim.tv_nsec);
  if (listed.st_ino != status.st_ino || stillFor < kStillNanoseconds) known.changed = timespec{};
  return known.folder >= 0;
}

bool NotifyBus::post(const std::string& name) {
  if (mSendSocket < 0) return false;
  const std::string folderPath = registryFolder();
  std::lock_guard<std::mutex> guard(mSendLock);
  // No folder: nobody has ever observed anything under this root.
  if (!refreshObservers(folderPath)) return errno == ENOENT;
  bool removed = false;
  for (const std::string& entry : mObservers.entries) {
    socklen_t length;
    sockaddr_un address = addressInFolder(mObservers.folder, entry.c_str(), &length);
    if (sendto(mSendSocket, name.data(), name.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
               reinterpret_cast<sockaddr*>(&address), length) >= 0)
      continue;
    // A full queue belongs to a live but busy observer: it misses this one, as a coalescing
    // observer would. A refused or missing socket belongs to a process that is gone.
    if (errno == ECONNREFUSED || errno == ENOENT || errno == ENOTSOCK) {
      unlinkat(mObservers.folder, entry.c_str(), 0);
      removed = true;
    }
  }
  // The folder changed under the listing: the next post reads it again.
  if (removed) mObservers.changed = timespec{};
  return true;
}

bool NotifyBus::listen() {
  std::string folderPath = registryFolder();
  std::lock_guard<std::mutex> guard(mLock);
  if (mFolders.count(folderPath)) {
    // The folder may have been removed and made again since (a fresh root): check that our
    // socket is still there.
    bool present = false;
    for (const auto& path : mSocketPaths)
      if (path.rfind(folderPath + "/", 0) == 0 && access(path.c_str(), F_OK) == 0) present = true;
    if (present) return true;
  }
  if (mPoll < 0 || !CFPlatform::makeFolders(folderPath)) return false;
  int folder = open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return false;
  int receiving = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  static std::atomic<unsigned> sSerial{0};
  std::string entry = std::to_string(getpid()) + "-" + std::to_string(sSerial++) + ".sock";
  socklen_t length;
  sockaddr_un address = addressInFolder(folder, entry.c_str(), &length);
  unlinkat(folder, entry.c_str(), 0);
  bool bound = receiving >= 0 && bind(receiving, reinterpret_cast<sockaddr*>(&address), length) == 0;
  close(folder);
  if (!bound) {
    if (receiving >= 0) close(receiving);
    return false;
  }
  // A generous queue, so that bursts of frames do not overflow a briefly busy observer.
  int size = 1 << 20;
  setsockopt(receiving, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = receiving;
  epoll_ctl(mPoll, EPOLL_CTL_ADD, receiving, &event);

  std::string socketPath = folderPath + "/" + entry;
  mFolders.insert(folderPath);
  mSocketPaths.push_back(socketPath);
  {
    std::lock_guard<std::mutex> exitGuard(sExitLock);
    if (!sPathsToRemoveAtExit) {
      sPathsToRemoveAtExit = new std::vector<std::string>();
      atexit(removeSocketsAtExit);
    }
    sPathsToRemoveAtExit->push_back(socketPath);
  }
  // One receiving thread for all the process's sockets, so that names are delivered in the
  // order they arrive.
  if (!mReceiving) {
    mReceiving = true;
    std::thread([this] { receive(); }).detach();
  }
  return true;
}

void NotifyBus::receive() {
  pthread_setname_np(pthread_self(), "notify delivery");
  char buffer[kLargestName + 1];
  epoll_event events[8];
  for (;;) {
    int count = epoll_wait(mPoll, events, 8, -1);
    if (count < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (int i = 0; i < count; ++i) {
      for (;;) {
        ssize_t received = recv(events[i].data.fd, buffer, kLargestName, MSG_DONTWAIT);
        if (received < 0) break;
        mDeliver(std::string(buffer, size_t(received)));
      }
    }
  }
}

}  // namespace CFDarwinNotify
