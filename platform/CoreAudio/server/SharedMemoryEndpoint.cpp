#include "SharedMemoryEndpoint.h"

#include <mach/mach_time.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace AudioServer {

using namespace AudioServerProtocol;

std::unique_ptr<SharedMemoryEndpoint> SharedMemoryEndpoint::create(const DeviceLayout& layout) {
  if (layout.inputChannels.size() > kMaxStreams || layout.outputChannels.size() > kMaxStreams) return nullptr;
  uint32_t channels[2 * kMaxStreams] = {};
  uint32_t count = 0;
  for (UInt32 c : layout.inputChannels) channels[count++] = c;
  for (UInt32 c : layout.outputChannels) channels[count++] = c;
  const size_t size = SharedIOSize(channels, count);
  const int memory = memfd_create("audio-session", MFD_CLOEXEC);
  if (memory < 0) return nullptr;
  void* mapped = MAP_FAILED;
  if (ftruncate(memory, off_t(size)) == 0)
    mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
  const int cycleEvent = eventfd(0, EFD_CLOEXEC);
  const int doneEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (mapped == MAP_FAILED || cycleEvent < 0 || doneEvent < 0) {
    if (mapped != MAP_FAILED) munmap(mapped, size);
    close(memory);
    if (cycleEvent >= 0) close(cycleEvent);
    if (doneEvent >= 0) close(doneEvent);
    return nullptr;
  }
  auto* header = new (mapped) SharedIOHeader();
  header->magic = kSharedIOMagic;
  header->inputStreams = uint32_t(layout.inputChannels.size());
  header->outputStreams = uint32_t(layout.outputChannels.size());
  std::memcpy(header->channels, channels, sizeof channels);
  return std::unique_ptr<SharedMemoryEndpoint>(
      new SharedMemoryEndpoint(memory, mapped, size, cycleEvent, doneEvent));
}

SharedMemoryEndpoint::SharedMemoryEndpoint(int memory, void* mapped, size_t size, int cycleEvent,
                                           int doneEvent)
    : mMemory(memory),
      mMapped(mapped),
      mSize(size),
      mHeader(static_cast<SharedIOHeader*>(mapped)),
      mCycleEvent(cycleEvent),
      mDoneEvent(doneEvent) {}

SharedMemoryEndpoint::~SharedMemoryEndpoint() {
  munmap(mMapped, mSize);
  close(mMemory);
  close(mCycleEvent);
  close(mDoneEvent);
}

Float32* SharedMemoryEndpoint::stream(uint32_t index) {
  return reinterpret_cast<Float32*>(static_cast<uint8_t*>(mMapped) +
                                    SharedIOStreamOffset(mHeader->channels, index));
}

Float32* SharedMemoryEndpoint::inputBuffer(UInt32 index) {
  return index < mHeader->inputStreams ? stream(index) : nullptr;
}

Float32* SharedMemoryEndpoint::outputBuffer(UInt32 index) {
  return index < mHeader->outputStreams ? stream(mHeader->inputStreams + index) : nullptr;
}

void SharedMemoryEndpoint::beginCycle(const IOCycle& cycle) {
  // A late answer to an earlier cycle must not count for this one.
  uint64_t stale = 0;
  while (read(mDoneEvent, &stale, sizeof stale) == sizeof stale) {
  }
  mCycle = cycle.counter;
  mHeader->frames = cycle.frames;
  mHeader->now = cycle.now;
  mHeader->inputTime = cycle.inputTime;
  mHeader->outputTime = cycle.outputTime;
  mHeader->cycle.store(cycle.counter, std::memory_order_release);
  const uint64_t one = 1;
  (void)!write(mCycleEvent, &one, sizeof one);
}

bool SharedMemoryEndpoint::finishCycle(uint64_t deadlineHostTime) {
  while (mHeader->done.load(std::memory_order_acquire) != mCycle) {
    const uint64_t now = mach_absolute_time();
    if (now >= deadlineHostTime) return false;
    const uint64_t left = deadlineHostTime - now;
    pollfd wait{mDoneEvent, POLLIN, 0};
    timespec timeout{time_t(left / 1'000'000'000), long(left % 1'000'000'000)};
    if (ppoll(&wait, 1, &timeout, nullptr) > 0) {
      uint64_t signals = 0;
      (void)!read(mDoneEvent, &signals, sizeof signals);
    }
  }
  return true;
}

void SharedMemoryEndpoint::publishClock(const DeviceClockState& clock) {
  SharedIOClock& shared = mHeader->clock;
  const uint32_t sequence = shared.sequence.load(std::memory_order_relaxed);
  shared.sequence.store(sequence + 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  shared.running.store(clock.running ? 1 : 0, std::memory_order_relaxed);
  shared.seed.store(clock.seed, std::memory_order_relaxed);
  shared.zeroSampleTime.store(clock.zeroSampleTime, std::memory_order_relaxed);
  shared.zeroHostTime.store(clock.zeroHostTime, std::memory_order_relaxed);
  shared.hostTicksPerFrame.store(clock.hostTicksPerFrame, std::memory_order_relaxed);
  shared.rateScalar.store(clock.rateScalar, std::memory_order_relaxed);
  shared.sequence.store(sequence + 2, std::memory_order_release);
}

}  // namespace AudioServer
