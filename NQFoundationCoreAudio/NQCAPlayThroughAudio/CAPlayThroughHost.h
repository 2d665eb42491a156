#pragma once
// The one entry point of a play-through: it creates, deletes, starts, stops and resets it,
// rebuilds it when the input device's stream format changes, and gives the level, rate and
// clock offset for display. Its operations come from the application's thread and from the
// configuration listener's queue; one lock keeps them apart.
#include <functional>
#include <memory>
#include <mutex>

#include "CADeviceInputPlaythrough.h"
#include "NQCADeviceConfigurationListener.h"

class CAPlayThroughHost {
 public:
  CAPlayThroughHost(AudioDeviceID inputDeviceID, AudioDeviceID outputDeviceID);
  ~CAPlayThroughHost();
  CAPlayThroughHost(const CAPlayThroughHost&) = delete;
  CAPlayThroughHost& operator=(const CAPlayThroughHost&) = delete;

  // Builds nothing for a device id of 0; does not delete a play-through that exists.
  OSStatus CreatePlayThrough(AudioDeviceID inputDeviceID, AudioDeviceID outputDeviceID);
  void DeletePlayThrough();
  // Builds the play-through anew on the same devices, running again only if it was.
  void ResetPlayThrough();
  // Who rebuilds when the input device's format changes: the host itself, on its listener's
  // queue, unless an owner that hands the host's units to others takes the rebuild over; the
  // handler is then called on that queue instead, and the owner rebuilds where the units are
  // used, so that none is disposed of under a reader. An empty handler gives the rebuild back.
  void SetFormatChangeHandler(std::function<void()> handler);
  OSStatus Start();
  OSStatus Stop();
  bool IsRunning();
  bool HasPlayThrough();
  // Whether both hardware units still have their devices' formats.
  bool FollowsDeviceFormats();

  Float32 GetInputLevel();
  Float64 GetVarispeedRate();
  SInt64 GetInToOutSampleOffset();
  AudioUnit GetInputAudioUnit();
  AudioUnit GetOutputAudioUnit();
  AudioDeviceID GetInputDeviceID();
  AudioDeviceID GetOutputDeviceID();

 private:
  void FormatChanged();

  std::recursive_mutex mLock;
  std::unique_ptr<CADeviceInputPlaythrough> mPlayThrough;
  std::function<void()> mFormatChangeHandler;
  // Destroyed first: it lets a notification already under way finish while the rest stands.
  NQCADeviceConfigurationListener mListener;
};
