#pragma once
// Audio units: properties by scope and element, parameters, and rendering by pull.
#include <AudioToolbox/AudioComponent.h>

typedef AudioComponentInstance AudioUnit;
typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;

enum : OSType {
  kAudioUnitType_Output = FOUR_CHAR_CODE("auou"),
  kAudioUnitType_FormatConverter = FOUR_CHAR_CODE("aufc"),
  kAudioUnitSubType_HALOutput = FOUR_CHAR_CODE("ahal"),
  kAudioUnitSubType_DefaultOutput = FOUR_CHAR_CODE("def "),
  kAudioUnitSubType_Varispeed = FOUR_CHAR_CODE("vari"),
  kAudioUnitManufacturer_Apple = FOUR_CHAR_CODE("appl"),
};

enum : AudioUnitScope {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
};

enum : AudioUnitRenderActionFlags {
  kAudioUnitRenderAction_PreRender = 1u << 2,
  kAudioUnitRenderAction_PostRender = 1u << 3,
  kAudioUnitRenderAction_OutputIsSilence = 1u << 4,
};

enum : OSStatus {
  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidElement = -10877,
  kAudioUnitErr_NoConnection = -10876,
  kAudioUnitErr_FailedInitialization = -10875,
  kAudioUnitErr_TooManyFramesToProcess = -10874,
  kAudioUnitErr_FormatNotSupported = -10868,
  kAudioUnitErr_Uninitialized = -10867,
  kAudioUnitErr_InvalidScope = -10866,
  kAudioUnitErr_PropertyNotWritable = -10865,
  kAudioUnitErr_CannotDoInCurrentContext = -10863,
  kAudioUnitErr_InvalidPropertyValue = -10851,
  kAudioUnitErr_Initialized = -10849,
};

typedef OSStatus (*AURenderCallback)(void* inRefCon, AudioUnitRenderActionFlags* ioActionFlags,
                                     const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber,
                                     UInt32 inNumberFrames, AudioBufferList* ioData);

AT_EXPORT OSStatus AudioUnitInitialize(AudioUnit inUnit);
AT_EXPORT OSStatus AudioUnitUninitialize(AudioUnit inUnit);
AT_EXPORT OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID,
                                            AudioUnitScope inScope, AudioUnitElement inElement,
                                            UInt32* outDataSize, Boolean* outWritable);
// ioDataSize holds the buffer's size on entry and what was written on return.
AT_EXPORT OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                        AudioUnitElement inElement, void* outData, UInt32* ioDataSize);
AT_EXPORT OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                        AudioUnitElement inElement, const void* inData, UInt32 inDataSize);
AT_EXPORT OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                                         AudioUnitElement inElement, AudioUnitParameterValue* outValue);
AT_EXPORT OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                                         AudioUnitElement inElement, AudioUnitParameterValue inValue,
                                         UInt32 inBufferOffsetInFrames);
// Renders inNumberFrames frames of the output element into ioData (buffers with null data are
// pointed at the unit's own).
AT_EXPORT OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags,
                                   const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                                   UInt32 inNumberFrames, AudioBufferList* ioData);
