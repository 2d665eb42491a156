#pragma once
// A file descriptor owned by whoever holds the last reference: threads that send on a
// connection keep it open while another thread drops the right it belongs to, so that the
// number is never closed (and reused) under a call in flight.
#include <unistd.h>

#include <memory>

namespace MachLayer {

class Descriptor {
 public:
  explicit Descriptor(int fd) : mFD(fd) {}
  ~Descriptor() {
    if (mFD >= 0) close(mFD);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int fd() const { return mFD; }

 private:
  const int mFD;
};

using SharedDescriptor = std::shared_ptr<Descriptor>;

inline SharedDescriptor shareDescriptor(int fd) {
  return fd < 0 ? nullptr : std::make_shared<Descriptor>(fd);
}

}  // namespace MachLayer
