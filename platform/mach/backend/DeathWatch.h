#pragma once
// Watches the connections of send rights whose owners asked to hear of their port's death: a
// connection is only ever written to, so the first thing it shows is the hang-up of the port's
// end. One thread of the process waits for them all and tells the port space.
#include <mach/port.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "Descriptor.h"

namespace MachLayer {

class DeathWatch {
 public:
  static DeathWatch& shared();

  // A key for unwatch, or 0 when the watch cannot be set.
  uint64_t watch(const SharedDescriptor& connection, mach_port_name_t name);
  void unwatch(uint64_t key);

 private:
  DeathWatch();
  void run();

  struct Watched {
    SharedDescriptor connection;
    mach_port_name_t name;
  };
  const int mEpoll;
  std::mutex mLock;
  std::map<uint64_t, Watched> mWatched;
  uint64_t mNextKey = 1;
  bool mRunning = false;
};

}  // namespace MachLayer
