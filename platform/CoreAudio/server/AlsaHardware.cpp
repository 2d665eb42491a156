#include "AlsaHardware.h"

#include <alsa/asoundlib.h>
#include <mach/mach_time.h>
#include <pthread.h>

#include <chrono>
#include <cstring>

namespace AudioServer {

namespace {

constexpr UInt32 kZeroTimeStampPeriod = 16384;
constexpr size_t kRingFrames = size_t(1) << 16;
constexpr unsigned kLatencyMicroseconds = 40000;

// Opens and sets up a PCM for interleaved float at the rate; null when it cannot be had.
snd_pcm_t* openPCM(const std::string& name, snd_pcm_stream_t stream, UInt32 channels, Float64 rate,
                   snd_pcm_uframes_t& period) {
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, name.c_str(), stream, 0) != 0) return nullptr;
  snd_pcm_uframes_t buffer = 0;
  if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_FLOAT_LE, SND_PCM_ACCESS_RW_INTERLEAVED, channels,
                         unsigned(rate), 1, kLatencyMicroseconds) != 0 ||
      snd_pcm_get_params(pcm, &buffer, &period) != 0 || period == 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return pcm;
}

// Whether the PCM opens in the direction at all.
bool opens(const std::string& name, snd_pcm_stream_t stream) {
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, name.c_str(), stream, SND_PCM_NONBLOCK) != 0) return false;
  snd_pcm_close(pcm);
  return true;
}

}  // namespace

// One direction of the device: its PCM, its ring by sample time, and the thread that pumps.
struct AlsaHardware::Direction {
  snd_pcm_stream_t stream;
  UInt32 channels;
  snd_pcm_t* pcm = nullptr;
  snd_pcm_uframes_t period = 0;
  Float64 rate = 0;
  std::thread thread;
  std::mutex ringLock;
  std::vector<Float32> ring;
  std::vector<SInt64> ringTimes = std::vector<SInt64>(kRingFrames, -1);
  UInt64 position = 0;  // frames moved since the start; the pump thread's own
  UInt64 startHostTime = 0;

  Direction(snd_pcm_stream_t stream, UInt32 channels)
      : stream(stream), channels(channels), ring(kRingFrames * channels) {}
};

AlsaHardware::AlsaHardware(std::string pcmName, UInt32 inputChannels, UInt32 outputChannels)
    : mPCMName(std::move(pcmName)) {
  if (inputChannels) mCapture = std::make_unique<Direction>(SND_PCM_STREAM_CAPTURE, inputChannels);
  if (outputChannels) mPlayback = std::make_unique<Direction>(SND_PCM_STREAM_PLAYBACK, outputChannels);
  mClock = mPlayback ? mPlayback.get() : mCapture.get();
}

AlsaHardware::~AlsaHardware() { stop(); }

bool AlsaHardware::start(Float64 sampleRate) {
  stop();
  for (Direction* direction : {mCapture.get(), mPlayback.get()}) {
    if (!direction) continue;
    direction->pcm = openPCM(mPCMName, direction->stream, direction->channels, sampleRate, direction->period);
    if (!direction->pcm) {
      stop();
      return false;
    }
    direction->rate = sampleRate;
    direction->position = 0;
    std::fill(direction->ringTimes.begin(), direction->ringTimes.end(), -1);
  }
  {
    std::lock_guard<std::mutex> guard(mClockLock);
    mZeroSampleTime = 0;
    mZeroHostTime = mach_absolute_time();
    ++mSeed;
  }
  mRunning = true;
  for (Direction* direction : {mCapture.get(), mPlayback.get()}) {
    if (!direction) continue;
    direction->startHostTime = mach_absolute_time();
    direction->thread = std::thread([this, direction] { pump(*direction); });
  }
  return true;
}

void AlsaHardware::stop() {
  mRunning = false;
  for (Direction* direction : {mCapture.get(), mPlayback.get()}) {
    if (!direction) continue;
    if (direction->pcm) snd_pcm_drop(direction->pcm);
    if (direction->thread.joinable()) direction->thread.join();
    if (direction->pcm) snd_pcm_close(direction->pcm);
    direction->pcm = nullptr;
  }
}

void AlsaHardware::zeroTimeStamp(Float64& sampleTime, UInt64& hostTime, UInt64& seed) {
  std::lock_guard<std::mutex> guard(mClockLock);
  sampleTime = mZeroSampleTime;
  hostTime = mZeroHostTime;
  seed = mSeed;
}

// Moves one period at a time. A PCM that takes frames faster than its rate (one without a
// clock, like "null") is held back to the host clock, so that its time runs at its rate.
void AlsaHardware::pump(Direction& direction) {
  pthread_setname_np(pthread_self(), "ALSA pump");
  const UInt32 channels = direction.channels;
  const snd_pcm_uframes_t period = std::min<snd_pcm_uframes_t>(direction.period, kZeroTimeStampPeriod);
  std::vector<Float32> chunk(size_t(period) * channels);
  const bool playback = direction.stream == SND_PCM_STREAM_PLAYBACK;
  while (mRunning) {
    if (playback) {
      std::lock_guard<std::mutex> guard(direction.ringLock);
      for (snd_pcm_uframes_t i = 0; i < period; ++i) {
        const SInt64 time = SInt64(direction.position + i);
        const size_t slot = size_t(time) % kRingFrames;
        const bool valid = direction.ringTimes[slot] == time;
        for (UInt32 c = 0; c < channels; ++c)
          chunk[i * channels + c] = valid ? direction.ring[slot * channels + c] : 0;
        direction.ringTimes[slot] = -1;
      }
    }
    snd_pcm_uframes_t done = 0;
    while (done < period && mRunning) {
      Float32* at = chunk.data() + done * channels;
      const snd_pcm_sframes_t moved = playback ? snd_pcm_writei(direction.pcm, at, period - done)
                                               : snd_pcm_readi(direction.pcm, at, period - done);
      if (moved >= 0) {
        done += snd_pcm_uframes_t(moved);
      } else if (snd_pcm_recover(direction.pcm, int(moved), 1) != 0) {
        mRunning = false;
      }
    }
    if (!mRunning) break;
    if (!playback) {
      std::lock_guard<std::mutex> guard(direction.ringLock);
      for (snd_pcm_uframes_t i = 0; i < period; ++i) {
        const SInt64 time = SInt64(direction.position + i);
        const size_t slot = size_t(time) % kRingFrames;
        direction.ringTimes[slot] = time;
        std::memcpy(&direction.ring[slot * channels], &chunk[i * channels], sizeof(Float32) * channels);
      }
    }
    const UInt64 before = direction.position;
    direction.position += period;
    const UInt64 due = direction.startHostTime + UInt64(Float64(direction.position) * 1e9 / direction.rate);
    if (mach_absolute_time() < due)
      std::this_thread::sleep_for(std::chrono::nanoseconds(due - mach_absolute_time()));
    // The clock's zero time stamps fall on whole periods of 16384 frames.
    const UInt64 boundary = (before / kZeroTimeStampPeriod + 1) * kZeroTimeStampPeriod;
    if (&direction == mClock && boundary <= direction.position) {
      const UInt64 late = UInt64(Float64(direction.position - boundary) * 1e9 / direction.rate);
      std::lock_guard<std::mutex> guard(mClockLock);
      mZeroSampleTime = Float64(boundary);
      mZeroHostTime = mach_absolute_time() - late;
    }
  }
}

void AlsaHardware::read(Float64 sampleTime, UInt32 frames, UInt32 channels, Float32* samples) {
  std::memset(samples, 0, sizeof(Float32) * frames * channels);
  if (!mCapture) return;
  Direction& capture = *mCapture;
  std::lock_guard<std::mutex> guard(capture.ringLock);
  for (UInt32 i = 0; i < frames; ++i) {
    const SInt64 time = SInt64(sampleTime) + i;
    if (time < 0) continue;
    const size_t slot = size_t(time) % kRingFrames;
    if (capture.ringTimes[slot] != time) continue;
    for (UInt32 c = 0; c < channels && c < capture.channels; ++c) {
      samples[i * channels + c] = capture.ring[slot * capture.channels + c];
    }
  }
}

void AlsaHardware::write(Float64 sampleTime, UInt32 frames, UInt32 channels, const Float32* samples) {
  if (!mPlayback) return;
  Direction& playback = *mPlayback;
  std::lock_guard<std::mutex> guard(playback.ringLock);
  for (UInt32 i = 0; i < frames; ++i) {
    const SInt64 time = SInt64(sampleTime) + i;
    if (time < 0) continue;
    const size_t slot = size_t(time) % kRingFrames;
    if (playback.ringTimes[slot] != time) {
      playback.ringTimes[slot] = time;
      std::memset(&playback.ring[slot * playback.channels], 0, sizeof(Float32) * playback.channels);
    }
    for (UInt32 c = 0; c < channels && c < playback.channels; ++c) {
      playback.ring[slot * playback.channels + c] += samples[i * channels + c];
    }
  }
}

bool AddAlsaDevice(HardwareDriver& driver, const std::string& pcmName, const std::string& name,
                   std::string& error) {
  const bool capture = opens(pcmName, SND_PCM_STREAM_CAPTURE);
  const bool playback = opens(pcmName, SND_PCM_STREAM_PLAYBACK);
  if (!capture && !playback) {
    error = "the ALSA PCM " + pcmName + " opens in neither direction";
    return false;
  }
  HardwareDeviceDescription description;
  description.name = name;
  description.uid = "alsa:" + pcmName;
  description.inputChannels = capture ? 2 : 0;
  description.outputChannels = playback ? 2 : 0;
  description.sampleRate = 48000;
  // The pump takes a period of frames ahead of what it plays.
  description.safetyOffset = 1024;
  driver.addDevice(description, std::make_unique<AlsaHardware>(pcmName, description.inputChannels,
                                                               description.outputChannels));
  return true;
}

size_t AddAlsaCards(HardwareDriver& driver) {
  size_t added = 0;
  int card = -1;
  while (snd_card_next(&card) == 0 && card >= 0) {
    char* cardName = nullptr;
    snd_card_get_name(card, &cardName);
    const std::string pcm = "plughw:" + std::to_string(card) + ",0";
    std::string error;
    if (AddAlsaDevice(driver, pcm, cardName ? cardName : pcm, error)) ++added;
    free(cardName);
  }
  return added;
}

}  // namespace AudioServer
