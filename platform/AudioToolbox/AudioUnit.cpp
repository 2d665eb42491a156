#include <AudioToolbox/AUComponent.h>
#include <AudioToolbox/AudioOutputUnit.h>

#include "backend/AudioUnitInstance.h"

OSStatus AudioUnitInitialize(AudioUnit inUnit) { return inUnit ? inUnit->initialize() : kAudio_ParamError; }

OSStatus AudioUnitUninitialize(AudioUnit inUnit) {
  return inUnit ? inUnit->uninitialize() : kAudio_ParamError;
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable) {
  if (!inUnit) return kAudio_ParamError;
  UInt32 size = 0;
  bool writable = false;
  const OSStatus status = inUnit->getPropertyInfo(inID, inScope, inElement, size, writable);
  if (status != noErr) return status;
  if (outDataSize) *outDataSize = size;
  if (outWritable) *outWritable = writable;
  return noErr;
}

OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize) {
  if (!inUnit || !ioDataSize) return kAudio_ParamError;
  return inUnit->getProperty(inID, inScope, inElement, outData, *ioDataSize);
}

OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize) {
  if (!inUnit) return kAudio_ParamError;
  return inUnit->setProperty(inID, inScope, inElement, inData, inDataSize);
}

OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue) {
  if (!inUnit || !outValue) return kAudio_ParamError;
  return inUnit->getParameter(inID, inScope, inElement, *outValue);
}

OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue, UInt32) {
  if (!inUnit) return kAudio_ParamError;
  return inUnit->setParameter(inID, inScope, inElement, inValue);
}

OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags,
                         const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber, UInt32 inNumberFrames,
                         AudioBufferList* ioData) {
  if (!inUnit || !inTimeStamp || !ioData) return kAudio_ParamError;
  return inUnit->render(ioActionFlags, *inTimeStamp, inOutputBusNumber, inNumberFrames, *ioData);
}

OSStatus AudioOutputUnitStart(AudioUnit ci) { return ci ? ci->start() : kAudio_ParamError; }

OSStatus AudioOutputUnitStop(AudioUnit ci) { return ci ? ci->stop() : kAudio_ParamError; }
