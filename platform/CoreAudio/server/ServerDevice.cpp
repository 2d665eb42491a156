#include "ServerDevice.h"

#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DriverProperties.h"

namespace AudioServer {

ServerDevice::ServerDevice(std::shared_ptr<LoadedDriver> driver, AudioObjectID localID,
                           AudioObjectID globalID, HostClock& clock)
    : mDriver(std::move(driver)), mLocalID(localID), mGlobalID(globalID), mClock(clock) {}

ServerDevice::~ServerDevice() { removeAllSessions(); }

void ServerDevice::readConfiguration(const std::function<AudioObjectID(AudioObjectID)>& globalIDOfLocal) {
  std::lock_guard<std::mutex> guard(mIOLock);
  readConfigurationLocked(globalIDOfLocal);
}

void ServerDevice::readConfigurationLocked(
    const std::function<AudioObjectID(AudioObjectID)>& globalIDOfLocal) {
  auto readStreams = [&](AudioObjectPropertyScope scope) {
    std::vector<StreamRecord> streams;
    for (AudioObjectID stream : readDriverIDList(*mDriver, mLocalID, kAudioDevicePropertyStreams, scope)) {
      AudioStreamBasicDescription format{};
      readDriverValue(*mDriver, stream, kAudioStreamPropertyVirtualFormat, kAudioObjectPropertyScopeGlobal,
                      format);
      streams.push_back({stream, globalIDOfLocal(stream), format.mChannelsPerFrame});
    }
    return streams;
  };
  mInputStreams = readStreams(kAudioObjectPropertyScopeInput);
  mOutputStreams = readStreams(kAudioObjectPropertyScopeOutput);
  mInputSafetyOffset = mOutputSafetyOffset = 0;
  readDriverValue(*mDriver, mLocalID, kAudioDevicePropertySafetyOffset, kAudioObjectPropertyScopeInput,
                  mInputSafetyOffset);
  readDriverValue(*mDriver, mLocalID, kAudioDevicePropertySafetyOffset, kAudioObjectPropertyScopeOutput,
                  mOutputSafetyOffset);
  mNominalSampleRate = 0;
  readDriverValue(*mDriver, mLocalID, kAudioDevicePropertyNominalSampleRate, kAudioObjectPropertyScopeGlobal,
                  mNominalSampleRate);
  mClockModel.reset(mNominalSampleRate, 1e9);
  mResync = true;
  publishTimeLocked();
}

std::vector<StreamRecord> ServerDevice::streams(bool input) const {
  std::lock_guard<std::mutex> guard(mIOLock);
  return input ? mInputStreams : mOutputStreams;
}

DeviceLayout ServerDevice::layout() const {
  std::lock_guard<std::mutex> guard(mIOLock);
  DeviceLayout layout;
  for (const StreamRecord& stream : mInputStreams) layout.inputChannels.push_back(stream.channels);
  for (const StreamRecord& stream : mOutputStreams) layout.outputChannels.push_back(stream.channels);
  return layout;
}

UInt32 ServerDevice::bufferFrameSize() const {
  std::lock_guard<std::mutex> guard(mIOLock);
  return mBufferFrames;
}

bool ServerDevice::setBufferFrameSize(UInt32 frames) {
  if (frames < kMinIOBufferFrames || frames > kMaxIOBufferFrames) return false;
  std::lock_guard<std::mutex> guard(mIOLock);
  mBufferFrames = frames;
  return true;
}

// ----- Sessions -----

OSStatus ServerDevice::startSessionIOLocked(UInt32 clientID) {
  return mDriver->calls().StartIO(mDriver->ref(), mLocalID, clientID);
}

void ServerDevice::stopSessionIOLocked(UInt32 clientID) {
  mDriver->calls().StopIO(mDriver->ref(), mLocalID, clientID);
}

OSStatus ServerDevice::addSession(UInt32 clientID, std::unique_ptr<IOSessionEndpoint> endpoint) {
  std::lock_guard<std::mutex> control(mThreadLock);
  {
    std::lock_guard<std::mutex> guard(mIOLock);
    for (const Session& session : mSessions) {
      if (session.clientID == clientID) return kAudioHardwareNoError;
    }
    const OSStatus status = startSessionIOLocked(clientID);
    if (status != kAudioHardwareNoError) return status;
    if (mSessions.empty()) mResync = true;
    mSessions.push_back({clientID, std::move(endpoint)});
    publishTimeLocked();
  }
  startThreadIfNeeded();
  return kAudioHardwareNoError;
}

OSStatus ServerDevice::removeSession(UInt32 clientID) {
  std::lock_guard<std::mutex> control(mThreadLock);
  bool last = false;
  std::unique_ptr<IOSessionEndpoint> endpoint;
  {
    std::lock_guard<std::mutex> guard(mIOLock);
    auto found = std::find_if(mSessions.begin(), mSessions.end(),
                              [&](const Session& session) { return session.clientID == clientID; });
    if (found == mSessions.end()) return kAudioHardwareNotRunningError;
    endpoint = std::move(found->endpoint);
    mSessions.erase(found);
    publishTimeLocked();
    stopSessionIOLocked(clientID);
    last = mSessions.empty();
    if (last) {
      DeviceClockState stopped = mClockModel.state();
      stopped.running = false;
      endpoint->publishClock(stopped);
    }
  }
  if (last) stopThread();
  return kAudioHardwareNoError;
}

void ServerDevice::removeAllSessions() {
  std::vector<UInt32> clients;
  {
    std::lock_guard<std::mutex> guard(mIOLock);
    for (const Session& session : mSessions) clients.push_back(session.clientID);
  }
  for (UInt32 client : clients) removeSession(client);
}

bool ServerDevice::hasSession(UInt32 clientID) const {
  std::lock_guard<std::mutex> guard(mIOLock);
  return std::any_of(mSessions.begin(), mSessions.end(),
                     [&](const Session& session) { return session.clientID == clientID; });
}

bool ServerDevice::running() const {
  std::lock_guard<std::mutex> guard(mIOLock);
  return !mSessions.empty();
}

// ----- Clock -----

bool ServerDevice::refreshClockLocked() {
  if (mSessions.empty()) return false;
  Float64 sampleTime = 0;
  UInt64 hostTime = 0;
  UInt64 seed = 0;
  if (mDriver->calls().GetZeroTimeStamp(mDriver->ref(), mLocalID, mSessions.front().clientID, &sampleTime,
                                        &hostTime, &seed) != kAudioHardwareNoError) {
    return false;
  }
  const DeviceClockState before = mClockModel.state();
  const bool newTimeLine = mClockModel.update(sampleTime, hostTime, seed);
  const DeviceClockState after = mClockModel.state();
  if (newTimeLine || after.zeroSampleTime != before.zeroSampleTime) {
    for (Session& session : mSessions) session.endpoint->publishClock(after);
  }
  publishTimeLocked();
  return newTimeLine;
}

void ServerDevice::publishTimeLocked() {
  std::lock_guard<std::mutex> guard(mTimeLock);
  mTimeClock = mClockModel;
  mTimeRunning = !mSessions.empty();
}

// The first cycle of a time line comes at the next whole buffer of device time, and never
// before the input time of a cycle would be sample 0.
Float64 ServerDevice::firstCycleSampleTimeLocked(uint64_t hostNow) const {
  const Float64 now = mClockModel.sampleTimeAt(hostNow);
  const Float64 aligned = std::ceil(now / mBufferFrames) * mBufferFrames;
  return std::max(aligned, Float64(mBufferFrames + mInputSafetyOffset));
}

OSStatus ServerDevice::currentTime(AudioTimeStamp* outTime) {
  std::lock_guard<std::mutex> guard(mTimeLock);
  if (!mTimeRunning || !mTimeClock.valid()) return kAudioHardwareNotRunningError;
  *outTime = mTimeClock.timeStamp(mTimeClock.sampleTimeAt(mClock.now()));
  return kAudioHardwareNoError;
}

// ----- Cycles -----

void ServerDevice::runOperationLocked(Session& session, UInt32 operation,
                                      const AudioServerPlugInIOCycleInfo& info, bool input) {
  const AudioServerPlugInDriverInterface& calls = mDriver->calls();
  Boolean willDo = false;
  Boolean inPlace = true;
  if (calls.WillDoIOOperation(mDriver->ref(), mLocalID, session.clientID, operation, &willDo, &inPlace) !=
          kAudioHardwareNoError ||
      !willDo) {
    return;
  }
  const UInt32 frames = info.mNominalIOBufferFrameSize;
  calls.BeginIOOperation(mDriver->ref(), mLocalID, session.clientID, operation, frames, &info);
  const std::vector<StreamRecord>& streams = input ? mInputStreams : mOutputStreams;
  for (UInt32 i = 0; i < streams.size(); ++i) {
    Float32* buffer = input ? session.endpoint->inputBuffer(i) : session.endpoint->outputBuffer(i);
    calls.DoIOOperation(mDriver->ref(), mLocalID, streams[i].localID, session.clientID, operation, frames,
                        &info, buffer, nullptr);
  }
  calls.EndIOOperation(mDriver->ref(), mLocalID, session.clientID, operation, frames, &info);
}

void ServerDevice::runCycleLocked(Float64 sampleTime, uint64_t deadline) {
  const UInt32 frames = mBufferFrames;
  IOCycle cycle{};
  cycle.counter = ++mCycleCounter;
  cycle.frames = frames;
  cycle.now = mClockModel.timeStamp(sampleTime);
  cycle.inputTime = mClockModel.timeStamp(sampleTime - frames - mInputSafetyOffset);
  cycle.outputTime = mClockModel.timeStamp(sampleTime + mOutputSafetyOffset + frames);

  AudioServerPlugInIOCycleInfo info{};
  info.mIOCycleCounter = cycle.counter;
  info.mNominalIOBufferFrameSize = frames;
  info.mInputTime = cycle.inputTime;
  info.mOutputTime = cycle.outputTime;
  info.mCurrentTime = cycle.now;
  info.mMainHostTicksPerFrame = mClockModel.hostTicksPerFrame();
  info.mDeviceHostTicksPerFrame = mClockModel.hostTicksPerFrame();

  for (Session& session : mSessions) {
    for (UInt32 i = 0; i < mInputStreams.size(); ++i) {
      std::memset(session.endpoint->inputBuffer(i), 0, sizeof(Float32) * frames * mInputStreams[i].channels);
    }
    runOperationLocked(session, kAudioServerPlugInIOOperationReadInput, info, true);
    for (UInt32 i = 0; i < mOutputStreams.size(); ++i) {
      std::memset(session.endpoint->outputBuffer(i), 0,
                  sizeof(Float32) * frames * mOutputStreams[i].channels);
    }
    session.endpoint->beginCycle(cycle);
  }
  for (Session& session : mSessions) {
    if (!session.endpoint->finishCycle(deadline)) {
      // A client that missed its cycle is heard as silence, and the driver still sees its write.
      for (UInt32 i = 0; i < mOutputStreams.size(); ++i) {
        std::memset(session.endpoint->outputBuffer(i), 0,
                    sizeof(Float32) * frames * mOutputStreams[i].channels);
      }
    }
    runOperationLocked(session, kAudioServerPlugInIOOperationWriteMix, info, false);
  }
}

uint64_t ServerDevice::nextCycleHostTime() {
  std::lock_guard<std::mutex> guard(mIOLock);
  if (mSessions.empty()) return UINT64_MAX;
  if (refreshClockLocked()) mResync = true;
  if (!mClockModel.valid()) return UINT64_MAX;
  if (mResync) {
    mNextCycleSampleTime = firstCycleSampleTimeLocked(mClock.now());
    mResync = false;
  }
  return mClockModel.hostTimeAt(mNextCycleSampleTime);
}

void ServerDevice::runNextCycle() {
  std::lock_guard<std::mutex> guard(mIOLock);
  if (mSessions.empty() || mResync) return;
  if (refreshClockLocked()) {
    mResync = true;
    return;
  }
  runCycleLocked(mNextCycleSampleTime, UINT64_MAX);
  mNextCycleSampleTime += mBufferFrames;
}

void ServerDevice::startThreadIfNeeded() {
  if (mClock.isManual() || mThread.joinable()) return;
  mStopThread = false;
  mWaiter.reset();
  mThread = std::thread([this] { threadMain(); });
}

void ServerDevice::stopThread() {
  if (!mThread.joinable()) return;
  mStopThread = true;
  mWaiter.wake();
  mThread.join();
}

void ServerDevice::threadMain() {
  pthread_setname_np(pthread_self(), "audio I/O");
  // A cycle that falls this far behind is dropped rather than caught up in a burst.
  constexpr Float64 kOverloadCycles = 4;
  while (!mStopThread) {
    uint64_t wake = 0;
    {
      std::lock_guard<std::mutex> guard(mIOLock);
      if (refreshClockLocked()) mResync = true;
      if (!mClockModel.valid() || mSessions.empty()) {
        wake = mClock.now() + 1'000'000;
      } else {
        if (mResync) {
          mNextCycleSampleTime = firstCycleSampleTimeLocked(mClock.now());
          mResync = false;
        }
        wake = mClockModel.hostTimeAt(mNextCycleSampleTime);
      }
    }
    if (!mWaiter.waitUntil(wake)) break;
    std::lock_guard<std::mutex> guard(mIOLock);
    if (mSessions.empty() || mResync || !mClockModel.valid()) continue;
    if (refreshClockLocked()) {
      mResync = true;
      continue;
    }
    const Float64 behind = mClockModel.sampleTimeAt(mClock.now()) - mNextCycleSampleTime;
    if (behind > kOverloadCycles * mBufferFrames) {
      mResync = true;
      continue;
    }
    const uint64_t cycleHost = mClockModel.hostTimeAt(mNextCycleSampleTime);
    const uint64_t deadline = cycleHost + uint64_t(0.75 * mBufferFrames * mClockModel.hostTicksPerFrame());
    runCycleLocked(mNextCycleSampleTime, deadline);
    mNextCycleSampleTime += mBufferFrames;
  }
}

// ----- Configuration changes -----

OSStatus ServerDevice::performConfigurationChange(
    UInt64 action, void* info, const std::function<AudioObjectID(AudioObjectID)>& globalIDOfLocal) {
  OSStatus status;
  {
    std::lock_guard<std::mutex> control(mThreadLock);
    std::lock_guard<std::mutex> guard(mIOLock);
    for (const Session& session : mSessions) stopSessionIOLocked(session.clientID);
    status = mDriver->calls().PerformDeviceConfigurationChange(mDriver->ref(), mLocalID, action, info);
    for (const Session& session : mSessions) startSessionIOLocked(session.clientID);
    readConfigurationLocked(globalIDOfLocal);
  }
  return status;
}

}  // namespace AudioServer
