#include "HALClientState.h"

#include <algorithm>
#include <cstring>

#include "IOSharedMemory.h"
#include "SocketConnection.h"

namespace HALClient {

namespace {

thread_local const DeviceIO* tCurrentDeviceIO = nullptr;

bool Matches(AudioObjectPropertySelector wanted, AudioObjectPropertySelector given) {
  return wanted == kAudioObjectPropertySelectorWildcard || given == kAudioObjectPropertySelectorWildcard ||
         wanted == given;
}

bool AddressMatches(const AudioObjectPropertyAddress& listened, const AudioObjectPropertyAddress& changed) {
  return Matches(listened.mSelector, changed.mSelector) &&
         (listened.mScope == kAudioObjectPropertyScopeWildcard ||
          changed.mScope == kAudioObjectPropertyScopeWildcard || listened.mScope == changed.mScope) &&
         (listened.mElement == kAudioObjectPropertyElementWildcard ||
          changed.mElement == kAudioObjectPropertyElementWildcard || listened.mElement == changed.mElement);
}

constexpr AudioObjectPropertyAddress SystemAddress(AudioObjectPropertySelector selector) {
  return {selector, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
}

}  // namespace

// ----- DeviceIO -----

std::unique_lock<std::mutex> DeviceIO::lockCycle() {
  // The device's own I/O thread already holds the lock while its procs run.
  return onIOThread() ? std::unique_lock<std::mutex>(mCycleLock, std::defer_lock)
                      : std::unique_lock<std::mutex>(mCycleLock);
}

bool DeviceIO::onIOThread() const { return tCurrentDeviceIO == this; }

OSStatus DeviceIO::createProc(AudioDeviceIOProc proc, void* clientData, AudioDeviceIOProcID* outID) {
  if (!proc || !outID) return kAudio_ParamError;
  auto guard = lockCycle();
  // The proc is its own id; one proc is registered once per device.
  for (Proc& existing : mProcs) {
    if (existing.proc == proc) return kAudioHardwareIllegalOperationError;
  }
  mProcs.push_back({proc, clientData, false});
  *outID = proc;
  return kAudioHardwareNoError;
}

OSStatus DeviceIO::destroyProc(AudioDeviceIOProcID procID) {
  auto guard = lockCycle();
  for (Proc& existing : mProcs) {
    if (existing.proc != procID) continue;
    // Left in place as a hole while a cycle may be walking the list.
    existing = {nullptr, nullptr, false};
    if (!onIOThread())
      mProcs.erase(std::remove_if(mProcs.begin(), mProcs.end(), [](const Proc& p) { return !p.proc; }),
                   mProcs.end());
    return kAudioHardwareNoError;
  }
  return kAudioHardwareIllegalOperationError;
}

OSStatus DeviceIO::setStarted(AudioDeviceIOProcID procID, bool started, bool& anyStarted) {
  auto guard = lockCycle();
  OSStatus status = kAudioHardwareNoError;
  if (!procID) {
    mDeviceStarts = started ? mDeviceStarts + 1 : std::max(0, mDeviceStarts - 1);
  } else {
    auto found = std::find_if(mProcs.begin(), mProcs.end(), [&](const Proc& p) { return p.proc == procID; });
    if (found == mProcs.end()) {
      status = kAudioHardwareIllegalOperationError;
    } else {
      found->started = started;
    }
  }
  anyStarted =
      mDeviceStarts > 0 || std::any_of(mProcs.begin(), mProcs.end(), [](const Proc& p) { return p.started; });
  return status;
}

bool DeviceIO::anyStarted() {
  auto guard = lockCycle();
  return mDeviceStarts > 0 ||
         std::any_of(mProcs.begin(), mProcs.end(), [](const Proc& p) { return p.started; });
}

void DeviceIO::stopAll() {
  auto guard = lockCycle();
  mDeviceStarts = 0;
  for (Proc& proc : mProcs) proc.started = false;
}

void DeviceIO::prepareOutputs(const std::vector<UInt32>& channels) {
  auto guard = lockCycle();
  mScratch.clear();
  for (UInt32 count : channels) mScratch.emplace_back(size_t(AudioServerProtocol::kMaxFrames) * count);
  mScratchList.assign(AudioBufferListSize(UInt32(channels.size())), 0);
}

void DeviceIO::ioCycle(const AudioTimeStamp& now, const AudioBufferList* input,
                       const AudioTimeStamp& inputTime, AudioBufferList* output,
                       const AudioTimeStamp& outputTime) {
  std::lock_guard<std::mutex> guard(mCycleLock);
  tCurrentDeviceIO = this;
  bool first = true;
  auto* scratch = reinterpret_cast<AudioBufferList*>(mScratchList.data());
  const bool canMix = output && scratch && output->mNumberBuffers <= mScratch.size();
  for (size_t i = 0; i < mProcs.size(); ++i) {
    const Proc proc = mProcs[i];
    if (!proc.proc || !proc.started) continue;
    if (first || !canMix) {
      proc.proc(mDeviceID, &now, input, &inputTime, output, &outputTime, proc.clientData);
      first = false;
      continue;
    }
    // Every further proc plays into a buffer of its own, which is mixed into the output.
    scratch->mNumberBuffers = output->mNumberBuffers;
    for (UInt32 b = 0; b < output->mNumberBuffers; ++b) {
      scratch->mBuffers[b] = output->mBuffers[b];
      scratch->mBuffers[b].mData = mScratch[b].data();
      std::memset(mScratch[b].data(), 0, output->mBuffers[b].mDataByteSize);
    }
    proc.proc(mDeviceID, &now, input, &inputTime, scratch, &outputTime, proc.clientData);
    for (UInt32 b = 0; b < output->mNumberBuffers; ++b) {
      auto* into = static_cast<Float32*>(output->mBuffers[b].mData);
      const Float32* from = mScratch[b].data();
      for (UInt32 s = 0; s < output->mBuffers[b].mDataByteSize / sizeof(Float32); ++s) into[s] += from[s];
    }
  }
  mProcs.erase(std::remove_if(mProcs.begin(), mProcs.end(), [](const Proc& p) { return !p.proc; }),
               mProcs.end());
  tCurrentDeviceIO = nullptr;
}

// ----- State -----

State& State::shared() {
  static State* state = new State();  // lives as long as the process's threads may call
  return *state;
}

State::State()
    : mNotificationQueue(dispatch_queue_create("AudioHardware.Notifications", nullptr)),
      mControlQueue(dispatch_queue_create("AudioHardware.DeviceControl", nullptr)) {}

std::shared_ptr<Connection> State::connection(OSStatus& status) {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mConnection) {
    std::unique_ptr<Connection> made = mFactory ? (*mFactory)(*this) : SocketConnection::connect(*this);
    mConnection = std::move(made);
    if (mConnection) ++mGeneration;
  }
  status = mConnection ? kAudioHardwareNoError : kAudioHardwareNotRunningError;
  return mConnection;
}

OSStatus State::withConnection(const std::function<OSStatus(Connection&)>& work) {
  OSStatus status = kAudioHardwareNoError;
  std::shared_ptr<Connection> current = connection(status);
  if (!current) return status;
  return work(*current);
}

void State::dropConnection() {
  std::shared_ptr<Connection> old;
  {
    std::lock_guard<std::mutex> guard(mLock);
    old = std::move(mConnection);
  }
  // A device's own locks are never taken inside the list's: an IOProc may ask for its device.
  std::vector<DeviceIO*> devices;
  {
    std::lock_guard<std::mutex> guard(mDevicesLock);
    for (auto& [id, io] : mDevices) devices.push_back(io.get());
  }
  for (DeviceIO* io : devices) {
    io->stopAll();
    std::lock_guard<std::mutex> control(io->controlLock());
    io->sessionRunning = false;
  }
  // A connection is never destroyed on its own thread: it may be the one telling us.
  if (old) dispatch_async(mNotificationQueue, [old] {});
}

void State::setFactory(const ConnectionFactory* factory) {
  dropConnection();
  dispatch_sync(mNotificationQueue, [] {});
  std::lock_guard<std::mutex> guard(mLock);
  mFactory = factory ? std::make_unique<ConnectionFactory>(*factory) : nullptr;
}

void State::unload() {
  dropConnection();
  dispatch_sync(mNotificationQueue, [] {});
}

void State::connectionLost() {
  dropConnection();
  deliver(kAudioObjectSystemObject, {SystemAddress(kAudioHardwarePropertyDevices)});
  scheduleReconnect();
}

// While the process listens, it looks for the server again and tells its listeners when the
// server is back.
void State::scheduleReconnect() {
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mReconnecting) return;
    mReconnecting = true;
  }
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 200 * NSEC_PER_MSEC), mNotificationQueue, [this] {
    {
      std::lock_guard<std::mutex> guard(mLock);
      mReconnecting = false;
    }
    bool listening = false;
    {
      std::lock_guard<std::mutex> guard(mListenersLock);
      listening = !mListeners.empty();
    }
    if (!listening) return;
    OSStatus status = kAudioHardwareNoError;
    if (!connection(status)) {
      scheduleReconnect();
      return;
    }
    deliver(kAudioObjectSystemObject, {SystemAddress(kAudioHardwarePropertyDevices),
                                       SystemAddress(kAudioHardwarePropertyServiceRestarted)});
  });
}

// ----- Listeners -----

OSStatus State::addListener(Listener listener) {
  listener.alive = std::make_shared<std::atomic<bool>>(true);
  if (listener.queue) dispatch_retain(listener.queue);
  std::lock_guard<std::mutex> guard(mListenersLock);
  mListeners.push_back(std::move(listener));
  return kAudioHardwareNoError;
}

OSStatus State::removeListener(const std::function<bool(const Listener&)>& matches) {
  Listener removed;
  {
    std::lock_guard<std::mutex> guard(mListenersLock);
    auto found = std::find_if(mListeners.begin(), mListeners.end(), matches);
    if (found == mListeners.end()) return kAudioHardwareUnknownPropertyError;
    removed = std::move(*found);
    mListeners.erase(found);
  }
  // A notification already on its way finds the listener gone.
  removed.alive->store(false);
  if (removed.queue) dispatch_release(removed.queue);
  return kAudioHardwareNoError;
}

void State::propertiesChanged(AudioObjectID objectID, UInt32 count,
                              const AudioObjectPropertyAddress* addresses) {
  deliver(objectID, std::vector<AudioObjectPropertyAddress>(addresses, addresses + count));
}

void State::deliver(AudioObjectID objectID, const std::vector<AudioObjectPropertyAddress>& addresses) {
  struct Delivery {
    Listener listener;
    std::vector<AudioObjectPropertyAddress> addresses;
  };
  std::vector<Delivery> deliveries;
  {
    std::lock_guard<std::mutex> guard(mListenersLock);
    for (const Listener& listener : mListeners) {
      if (listener.objectID != objectID) continue;
      std::vector<AudioObjectPropertyAddress> matched;
      for (const AudioObjectPropertyAddress& address : addresses) {
        if (AddressMatches(listener.address, address)) matched.push_back(address);
      }
      if (matched.empty()) continue;
      Delivery delivery{listener, std::move(matched)};
      if (delivery.listener.queue) dispatch_retain(delivery.listener.queue);
      deliveries.push_back(std::move(delivery));
    }
  }
  for (Delivery& delivery : deliveries) {
    dispatch_queue_t queue = delivery.listener.queue ? delivery.listener.queue : mNotificationQueue;
    dispatch_async(queue, [objectID, delivery] {
      const Listener& listener = delivery.listener;
      if (!listener.alive->load()) return;
      const UInt32 count = UInt32(delivery.addresses.size());
      switch (listener.kind) {
        case Listener::Kind::Proc:
          listener.proc(objectID, count, delivery.addresses.data(), listener.clientData);
          break;
        case Listener::Kind::Block:
          listener.block(count, delivery.addresses.data());
          break;
        case Listener::Kind::Hardware:
          for (const AudioObjectPropertyAddress& address : delivery.addresses) {
            listener.hardwareProc(address.mSelector, listener.clientData);
          }
          break;
      }
    });
    if (delivery.listener.queue) dispatch_release(delivery.listener.queue);
  }
}

// ----- Devices -----

DeviceIO& State::deviceIO(AudioObjectID deviceID) {
  std::lock_guard<std::mutex> guard(mDevicesLock);
  std::unique_ptr<DeviceIO>& io = mDevices[deviceID];
  if (!io) io = std::make_unique<DeviceIO>(deviceID);
  return *io;
}

OSStatus State::startDevice(AudioObjectID deviceID, AudioDeviceIOProcID procID) {
  DeviceIO& io = deviceIO(deviceID);
  std::lock_guard<std::mutex> control(io.controlLock());
  bool anyStarted = false;
  OSStatus status = io.setStarted(procID, true, anyStarted);
  if (status != kAudioHardwareNoError || io.sessionRunning) return status;
  status = withConnection([&](Connection& connection) {
    const AudioObjectPropertyAddress layout{kAudioDevicePropertyStreamConfiguration,
                                            kAudioObjectPropertyScopeOutput, kAudioObjectPropertyElementMain};
    UInt32 size = 0;
    std::vector<UInt32> channels;
    if (connection.getPropertyDataSize(deviceID, layout, 0, nullptr, &size) == kAudioHardwareNoError &&
        size) {
      std::vector<UInt8> data(size);
      if (connection.getPropertyData(deviceID, layout, 0, nullptr, &size, data.data()) ==
              kAudioHardwareNoError &&
          size >= sizeof(UInt32)) {
        const auto* list = reinterpret_cast<const AudioBufferList*>(data.data());
        for (UInt32 i = 0; i < list->mNumberBuffers && AudioBufferListSize(i + 1) <= size; ++i) {
          channels.push_back(list->mBuffers[i].mNumberChannels);
        }
      }
    }
    io.prepareOutputs(channels);
    return connection.startIO(deviceID, &io);
  });
  if (status != kAudioHardwareNoError) {
    io.setStarted(procID, false, anyStarted);
    return status;
  }
  io.sessionRunning = true;
  return kAudioHardwareNoError;
}

void State::stopSessionIfIdle(DeviceIO& io) {
  std::lock_guard<std::mutex> control(io.controlLock());
  if (!io.sessionRunning || io.anyStarted()) return;
  io.sessionRunning = false;
  std::shared_ptr<Connection> current;
  {
    std::lock_guard<std::mutex> guard(mLock);
    current = mConnection;
  }
  // Stopping a session the server already dropped answers an error nobody needs.
  if (current) current->stopIO(io.deviceID());
}

OSStatus State::stopDevice(AudioObjectID deviceID, AudioDeviceIOProcID procID) {
  DeviceIO& io = deviceIO(deviceID);
  bool anyStarted = true;
  const OSStatus status = io.setStarted(procID, false, anyStarted);
  if (status != kAudioHardwareNoError || anyStarted) return status;
  // From inside one of the device's own IOProcs the session ends after this cycle.
  if (io.onIOThread()) {
    dispatch_async(mControlQueue, [this, &io] { stopSessionIfIdle(io); });
  } else {
    stopSessionIfIdle(io);
  }
  return kAudioHardwareNoError;
}

CFRunLoopRef State::runLoop() {
  std::lock_guard<std::mutex> guard(mRunLoopLock);
  return mRunLoop.get();
}

void State::setRunLoop(CFRunLoopRef runLoop) {
  std::lock_guard<std::mutex> guard(mRunLoopLock);
  mRunLoop = RefPtr<__CFRunLoop>(runLoop);
}

}  // namespace HALClient
