#include "ClientIOSession.h"

#include <mach/mach_time.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace HALClient {

using namespace AudioServerProtocol;

std::unique_ptr<ClientIOSession> ClientIOSession::open(AudioObjectID deviceID, int memory, int cycleEvent,
                                                       int doneEvent, IOCycleHandler* handler) {
  auto refuse = [&]() -> std::unique_ptr<ClientIOSession> {
    close(memory);
    close(cycleEvent);
    close(doneEvent);
    return nullptr;
  };
  struct stat info {};
  if (fstat(memory, &info) != 0 || size_t(info.st_size) < kSharedIOHeaderSize) return refuse();
  const size_t size = size_t(info.st_size);
  void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
  close(memory);
  if (mapped == MAP_FAILED) {
    memory = -1;
    return refuse();
  }
  const auto* header = static_cast<const SharedIOHeader*>(mapped);
  const uint32_t streams = header->inputStreams + header->outputStreams;
  bool valid = header->magic == kSharedIOMagic && header->inputStreams <= kMaxStreams &&
               header->outputStreams <= kMaxStreams;
  for (uint32_t i = 0; valid && i < streams; ++i)
    valid = header->channels[i] > 0 && header->channels[i] <= 64;
  if (!valid || SharedIOSize(header->channels, streams) > size) {
    munmap(mapped, size);
    close(cycleEvent);
    close(doneEvent);
    return nullptr;
  }
  return std::unique_ptr<ClientIOSession>(
      new ClientIOSession(deviceID, mapped, size, cycleEvent, doneEvent, handler));
}

ClientIOSession::ClientIOSession(AudioObjectID deviceID, void* memory, size_t size, int cycleEvent,
                                 int doneEvent, IOCycleHandler* handler)
    : mDeviceID(deviceID),
      mMemory(memory),
      mSize(size),
      mHeader(static_cast<SharedIOHeader*>(memory)),
      mCycleEvent(cycleEvent),
      mDoneEvent(doneEvent),
      mStopEvent(eventfd(0, EFD_CLOEXEC)),
      mHandler(handler),
      mInputList(AudioBufferListSize(mHeader->inputStreams), 0),
      mOutputList(AudioBufferListSize(mHeader->outputStreams), 0) {
  mThread = std::thread([this] { threadMain(); });
}

ClientIOSession::~ClientIOSession() {
  const uint64_t one = 1;
  (void)!write(mStopEvent, &one, sizeof one);
  mThread.join();
  munmap(mMemory, mSize);
  close(mCycleEvent);
  close(mDoneEvent);
  close(mStopEvent);
}

AudioBufferList* ClientIOSession::bufferList(std::vector<UInt8>& storage, uint32_t first, uint32_t count,
                                             UInt32 frames) {
  auto* list = reinterpret_cast<AudioBufferList*>(storage.data());
  list->mNumberBuffers = count;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t channels = mHeader->channels[first + i];
    list->mBuffers[i].mNumberChannels = channels;
    list->mBuffers[i].mDataByteSize = frames * channels * sizeof(Float32);
    list->mBuffers[i].mData =
        static_cast<UInt8*>(mMemory) + SharedIOStreamOffset(mHeader->channels, first + i);
  }
  return list;
}

void ClientIOSession::threadMain() {
  pthread_setname_np(pthread_self(), "audio client I/O");
  uint64_t lastCycle = 0;
  while (true) {
    pollfd waits[2] = {{mCycleEvent, POLLIN, 0}, {mStopEvent, POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) continue;
    if (waits[1].revents) return;
    uint64_t signals = 0;
    if (read(mCycleEvent, &signals, sizeof signals) != sizeof signals) continue;
    const uint64_t cycle = mHeader->cycle.load(std::memory_order_acquire);
    if (cycle == lastCycle) continue;
    lastCycle = cycle;
    const UInt32 frames = std::min<UInt32>(mHeader->frames, kMaxFrames);
    const AudioTimeStamp now = mHeader->now;
    const AudioTimeStamp inputTime = mHeader->inputTime;
    const AudioTimeStamp outputTime = mHeader->outputTime;
    AudioBufferList* input = bufferList(mInputList, 0, mHeader->inputStreams, frames);
    AudioBufferList* output = bufferList(mOutputList, mHeader->inputStreams, mHeader->outputStreams, frames);
    mHandler->ioCycle(now, input, inputTime, output, outputTime);
    mHeader->done.store(cycle, std::memory_order_release);
    const uint64_t one = 1;
    (void)!write(mDoneEvent, &one, sizeof one);
  }
}

OSStatus ClientIOSession::currentTime(AudioTimeStamp* outTime) const {
  const SharedIOClock& clock = mHeader->clock;
  uint32_t before, after;
  uint32_t running;
  double zeroSample, ticksPerFrame, rateScalar;
  uint64_t zeroHost;
  do {
    before = clock.sequence.load(std::memory_order_acquire);
    running = clock.running.load(std::memory_order_relaxed);
    zeroSample = clock.zeroSampleTime.load(std::memory_order_relaxed);
    zeroHost = clock.zeroHostTime.load(std::memory_order_relaxed);
    ticksPerFrame = clock.hostTicksPerFrame.load(std::memory_order_relaxed);
    rateScalar = clock.rateScalar.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    after = clock.sequence.load(std::memory_order_relaxed);
  } while ((before & 1) || before != after);
  if (!running || !(ticksPerFrame > 0)) return kAudioHardwareNotRunningError;
  const uint64_t now = mach_absolute_time();
  const double elapsed = now >= zeroHost ? double(now - zeroHost) : -double(zeroHost - now);
  *outTime = AudioTimeStamp{};
  outTime->mSampleTime = zeroSample + elapsed / ticksPerFrame;
  outTime->mHostTime = now;
  outTime->mRateScalar = rateScalar;
  outTime->mFlags = kAudioTimeStampSampleHostTimeValid | kAudioTimeStampRateScalarValid;
  return kAudioHardwareNoError;
}

}  // namespace HALClient
