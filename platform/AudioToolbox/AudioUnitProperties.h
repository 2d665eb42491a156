#pragma once
// The properties and parameters of the platform's audio units.
#include <AudioToolbox/AUComponent.h>

enum : AudioUnitPropertyID {
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioOutputUnitProperty_CurrentDevice = 2000,
  kAudioOutputUnitProperty_IsRunning = 2001,
  kAudioOutputUnitProperty_ChannelMap = 2002,
  kAudioOutputUnitProperty_EnableIO = 2003,
  kAudioOutputUnitProperty_SetInputCallback = 2005,
  kAudioOutputUnitProperty_StartTimestampsAtZero = 2007,
};

struct AURenderCallbackStruct {
  AURenderCallback inputProc;
  void* inputProcRefCon;
};

struct AudioUnitConnection {
  AudioUnit sourceAudioUnit;
  UInt32 sourceOutputNumber;
  UInt32 destInputNumber;
};

enum : AudioUnitParameterID {
  kVarispeedParam_PlaybackRate = 0,
  kHALOutputParam_Volume = 14,
};
