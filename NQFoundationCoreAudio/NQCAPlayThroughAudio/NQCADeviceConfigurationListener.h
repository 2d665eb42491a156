#pragma once
// Watches one audio device for changes of its stream formats and calls a client block, on a
// private serial queue, with the device's id. The client's reaction (a rebuild of an audio
// graph) so never runs on an I/O thread or on the main thread.
#include <CoreAudio/AudioHardware.h>
#include <dispatch/dispatch.h>

#include <functional>
#include <memory>
#include <mutex>

class NQCADeviceConfigurationListener {
 public:
  using NotifyBlock = std::function<void(AudioDeviceID deviceID)>;

  NQCADeviceConfigurationListener();
  // Drains the queue first, so it must not run on the queue.
  ~NQCADeviceConfigurationListener();
  NQCADeviceConfigurationListener(const NQCADeviceConfigurationListener&) = delete;
  NQCADeviceConfigurationListener& operator=(const NQCADeviceConfigurationListener&) = delete;

  // Ends any listening first, then listens to the device's side ('inpt' or another value for
  // the output side).
  void BeginListening(AudioDeviceID deviceID, AudioObjectPropertyScope scope, NotifyBlock block);
  void EndListening();
  void EndListeningIfListening();

  AudioDeviceID GetDeviceID() const;
  dispatch_queue_t GetQueue() const { return mStreamListenerQueue; }

 private:
  void ConstructQueueListeners();
  void DestructQueueListeners();
  void AddDeviceListeners(AudioDeviceID deviceID, AudioObjectPropertyScope scope);
  void RemoveDeviceListeners(AudioDeviceID deviceID, AudioObjectPropertyScope scope);
  void Notify();

  dispatch_queue_t mStreamListenerQueue = nullptr;
  AudioObjectPropertyListenerBlock mStreamListenerBlock;
  mutable std::mutex mLock;
  // Called through a copy taken under the lock, so a client block that ends the listening
  // from inside itself is not destroyed while it runs.
  std::shared_ptr<const NotifyBlock> mNotifyWithBlock;
  AudioDeviceID mNotifyWithDeviceID = kAudioObjectUnknown;
  AudioObjectPropertyScope mNotifyWithScope = kAudioObjectPropertyScopeInput;
};
