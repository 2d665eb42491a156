#pragma once
// The memory that one client process shares with the audio server for its I/O on one device:
// a header the server writes (the cycle and its times, the device's clock) and the client's
// "done" counter, then the samples of every input stream and every output stream, each room
// for kMaxFrames interleaved frames.
//
// A cycle: the server fills the inputs, sets `frames` and the times, stores the cycle number
// in `cycle` and signals the "cycle" eventfd; the client runs its IOProcs, writes the outputs,
// stores the cycle number in `done` and signals the "done" eventfd. The server reads nothing
// else that the client writes, and trusts nothing it reads beyond the samples.
#include <CoreAudio/CoreAudioTypes.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace AudioServerProtocol {

constexpr uint32_t kSharedIOMagic = 0x4d584149;  // "MXAI"
constexpr uint32_t kMaxStreams = 16;
constexpr uint32_t kMaxFrames = 4096;

// The device's clock, written by the server under a sequence count (odd while it writes).
struct SharedIOClock {
  std::atomic<uint32_t> sequence;
  std::atomic<uint32_t> running;
  std::atomic<uint64_t> seed;
  std::atomic<double> zeroSampleTime;
  std::atomic<uint64_t> zeroHostTime;
  std::atomic<double> hostTicksPerFrame;
  std::atomic<double> rateScalar;
};

struct SharedIOHeader {
  uint32_t magic;
  uint32_t inputStreams;
  uint32_t outputStreams;
  uint32_t channels[2 * kMaxStreams];  // inputs first, then outputs
  alignas(64) std::atomic<uint64_t> cycle;
  uint32_t frames;
  AudioTimeStamp now;
  AudioTimeStamp inputTime;
  AudioTimeStamp outputTime;
  alignas(64) std::atomic<uint64_t> done;
  alignas(64) SharedIOClock clock;
};

static_assert(std::atomic<uint64_t>::is_always_lock_free && std::atomic<uint32_t>::is_always_lock_free &&
              std::atomic<double>::is_always_lock_free);

constexpr size_t kSharedIOHeaderSize = 4096;
static_assert(sizeof(SharedIOHeader) <= kSharedIOHeaderSize);

// The byte offset of a stream's samples (inputs first) and the size of the whole region.
inline size_t SharedIOStreamOffset(const uint32_t* channels, uint32_t index) {
  size_t offset = kSharedIOHeaderSize;
  for (uint32_t i = 0; i < index; ++i) offset += size_t(kMaxFrames) * channels[i] * sizeof(Float32);
  return offset;
}

inline size_t SharedIOSize(const uint32_t* channels, uint32_t streams) {
  return SharedIOStreamOffset(channels, streams);
}

}  // namespace AudioServerProtocol
