#pragma once
// The machine-wide bus behind Darwin notifications (the Darwin notification center and the
// notify library): a registry folder under the runtime
// folder holds one datagram Unix socket per observing process. A post sends the name, as the
// datagram's bytes, to every socket in the folder; a socket that nobody holds any more (its
// process died) refuses the datagram and is removed. The poster keeps the folder's listing
// and reads it again only when the folder changed, so that a post costs a stat and one send
// per observer.
#include <sys/types.h>

#include <ctime>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace CFDarwinNotify {

class NotifyBus {
 public:
  using Delivery = std::function<void(const std::string& name)>;

  // The process's bus; `deliver` receives every name posted to this process, on the bus's
  // receiving thread. The bus lives until the process ends.
  static NotifyBus& shared(Delivery deliver);

  // The registry folder of the current runtime folder.
  static std::string registryFolder();

  // Sends `name` to every observing process; false when no datagram could be sent at all
  // because the folder or the sending socket could not be had.
  bool post(const std::string& name);

  // Makes this process an observer in the current registry folder (once per folder).
  bool listen();

 private:
  explicit NotifyBus(Delivery deliver);
  void receive();
  // Reads the folder again when it is another one or changed since the last post; false
  // when there is no folder. Called under mSendLock.
  bool refreshObservers(const std::string& folderPath);

  // What the last post found: the folder (held open, so that long paths reach its sockets
  // through /proc) and its socket entries, as of the folder's identity and change time.
  struct Observers {
    std::string folderPath;
    int folder = -1;
    dev_t device = 0;
    ino_t inode = 0;
    timespec changed{};
    std::vector<std::string> entries;
  };
  std::mutex mSendLock;
  Observers mObservers;

  Delivery mDeliver;
  std::mutex mLock;
  int mSendSocket = -1;
  int mPoll = -1;
  std::set<std::string> mFolders;
  std::vector<std::string> mSocketPaths;
  bool mReceiving = false;
};

}  // namespace CFDarwinNotify
