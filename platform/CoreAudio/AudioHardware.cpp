// The audio hardware calls of applications, answered through the process's connection to the
// audio server. The run loop property of the system object belongs to the process and is
// answered here.
#include <CoreAudio/AudioHardware.h>

#include <cstring>

#include "backend/HALClientState.h"

using HALClient::Connection;
using HALClient::Listener;
using HALClient::State;

namespace {

bool IsRunLoopProperty(AudioObjectID objectID, const AudioObjectPropertyAddress* address) {
  return objectID == kAudioObjectSystemObject && address &&
         address->mSelector == kAudioHardwarePropertyRunLoop;
}

// Whether the object is there to listen to.
bool ObjectExists(AudioObjectID objectID) {
  const AudioObjectPropertyAddress classAddress{kAudioObjectPropertyClass, kAudioObjectPropertyScopeGlobal,
                                                kAudioObjectPropertyElementMain};
  Boolean exists = false;
  State::shared().withConnection([&](Connection& connection) {
    exists = connection.hasProperty(objectID, classAddress);
    return kAudioHardwareNoError;
  });
  return exists;
}

constexpr AudioObjectPropertyAddress SystemAddress(AudioHardwarePropertyID propertyID) {
  return {propertyID, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
}

}  // namespace

Boolean AudioObjectHasProperty(AudioObjectID inObjectID, const AudioObjectPropertyAddress* inAddress) {
  if (!inAddress) return false;
  if (IsRunLoopProperty(inObjectID, inAddress)) return true;
  Boolean has = false;
  State::shared().withConnection([&](Connection& connection) {
    has = connection.hasProperty(inObjectID, *inAddress);
    return kAudioHardwareNoError;
  });
  return has;
}

OSStatus AudioObjectIsPropertySettable(AudioObjectID inObjectID, const AudioObjectPropertyAddress* inAddress,
                                       Boolean* outIsSettable) {
  if (!inAddress || !outIsSettable) return kAudio_ParamError;
  if (IsRunLoopProperty(inObjectID, inAddress)) {
    *outIsSettable = true;
    return kAudioHardwareNoError;
  }
  return State::shared().withConnection([&](Connection& connection) {
    return connection.isPropertySettable(inObjectID, *inAddress, outIsSettable);
  });
}

OSStatus AudioObjectGetPropertyDataSize(AudioObjectID inObjectID, const AudioObjectPropertyAddress* inAddress,
                                        UInt32 inQualifierDataSize, const void* inQualifierData,
                                        UInt32* outDataSize) {
  if (!inAddress || !outDataSize || (inQualifierDataSize && !inQualifierData)) return kAudio_ParamError;
  if (IsRunLoopProperty(inObjectID, inAddress)) {
    *outDataSize = sizeof(CFRunLoopRef);
    return kAudioHardwareNoError;
  }
  return State::shared().withConnection([&](Connection& connection) {
    return connection.getPropertyDataSize(inObjectID, *inAddress, inQualifierDataSize, inQualifierData,
                                          outDataSize);
  });
}

OSStatus AudioObjectGetPropertyData(AudioObjectID inObjectID, const AudioObjectPropertyAddress* inAddress,
                                    UInt32 inQualifierDataSize, const void* inQualifierData,
                                    UInt32* ioDataSize, void* outData) {
  if (!inAddress || !ioDataSize || (*ioDataSize && !outData) || (inQualifierDataSize && !inQualifierData)) {
    return kAudio_ParamError;
  }
  if (IsRunLoopProperty(inObjectID, inAddress)) {
    if (*ioDataSize != sizeof(CFRunLoopRef)) return kAudioHardwareBadPropertySizeError;
    CFRunLoopRef runLoop = State::shared().runLoop();
    std::memcpy(outData, &runLoop, sizeof runLoop);
    return kAudioHardwareNoError;
  }
  return State::shared().withConnection([&](Connection& connection) {
    return connection.getPropertyData(inObjectID, *inAddress, inQualifierDataSize, inQualifierData,
                                      ioDataSize, outData);
  });
}

OSStatus AudioObjectSetPropertyData(AudioObjectID inObjectID, const AudioObjectPropertyAddress* inAddress,
                                    UInt32 inQualifierDataSize, const void* inQualifierData,
                                    UInt32 inDataSize, const void* inData) {
  if (!inAddress || (inDataSize && !inData) || (inQualifierDataSize && !inQualifierData))
    return kAudio_ParamError;
  if (IsRunLoopProperty(inObjectID, inAddress)) {
    if (inDataSize != sizeof(CFRunLoopRef)) return kAudioHardwareBadPropertySizeError;
    CFRunLoopRef runLoop = nullptr;
    std::memcpy(&runLoop, inData, sizeof runLoop);
    State::shared().setRunLoop(runLoop);
    return kAudioHardwareNoError;
  }
  return State::shared().withConnection([&](Connection& connection) {
    return connection.setPropertyData(inObjectID, *inAddress, inQualifierDataSize, inQualifierData,
                                      inDataSize, inData);
  });
}

// ----- Listeners -----

OSStatus AudioObjectAddPropertyListener(AudioObjectID inObjectID, const AudioObjectPropertyAddress* inAddress,
                                        AudioObjectPropertyListenerProc inListener, void* inClientData) {
  if (!inAddress || !inListener) return kAudio_ParamError;
  if (!ObjectExists(inObjectID)) return kAudioHardwareBadObjectError;
  Listener listener{Listener::Kind::Proc, inObjectID, *inAddress};
  listener.proc = inListener;
  listener.clientData = inClientData;
  return State::shared().addListener(std::move(listener));
}

OSStatus AudioObjectRemovePropertyListener(AudioObjectID inObjectID,
                                           const AudioObjectPropertyAddress* inAddress,
                                           AudioObjectPropertyListenerProc inListener, void* inClientData) {
  if (!inAddress || !inListener) return kAudio_ParamError;
  const AudioObjectPropertyAddress address = *inAddress;
  return State::shared().removeListener([&](const Listener& listener) {
    return listener.kind == Listener::Kind::Proc && listener.objectID == inObjectID &&
           listener.proc == inListener && listener.clientData == inClientData &&
           std::memcmp(&listener.address, &address, sizeof address) == 0;
  });
}

OSStatus AudioObjectAddPropertyListenerBlock(AudioObjectID inObjectID,
                                             const AudioObjectPropertyAddress* inAddress,
                                             dispatch_queue_t inDispatchQueue,
                                             AudioObjectPropertyListenerBlock inListener) {
  if (!inAddress || !inListener) return kAudio_ParamError;
  if (!ObjectExists(inObjectID)) return kAudioHardwareBadObjectError;
  Listener listener{Listener::Kind::Block, inObjectID, *inAddress};
  listener.block = std::move(inListener);
  listener.queue = inDispatchQueue;
  return State::shared().addListener(std::move(listener));
}

OSStatus AudioObjectRemovePropertyListenerBlock(AudioObjectID inObjectID,
                                                const AudioObjectPropertyAddress* inAddress,
                                                dispatch_queue_t inDispatchQueue,
                                                AudioObjectPropertyListenerBlock inListener) {
  if (!inAddress || !inListener) return kAudio_ParamError;
  const AudioObjectPropertyAddress address = *inAddress;
  return State::shared().removeListener([&](const Listener& listener) {
    return listener.kind == Listener::Kind::Block && listener.objectID == inObjectID &&
           listener.block == inListener && listener.queue == inDispatchQueue &&
           std::memcmp(&listener.address, &address, sizeof address) == 0;
  });
}

OSStatus AudioHardwareAddPropertyListener(AudioHardwarePropertyID inPropertyID,
                                          AudioHardwarePropertyListenerProc inProc, void* inClientData) {
  if (!inProc) return kAudio_ParamError;
  // Listening needs the server: the process connects now, as its other calls do.
  if (!ObjectExists(kAudioObjectSystemObject)) return kAudioHardwareNotRunningError;
  Listener listener{Listener::Kind::Hardware, kAudioObjectSystemObject, SystemAddress(inPropertyID)};
  listener.hardwareProc = inProc;
  listener.clientData = inClientData;
  // The older call listens to every scope and element of the property.
  listener.address.mScope = kAudioObjectPropertyScopeWildcard;
  listener.address.mElement = kAudioObjectPropertyElementWildcard;
  return State::shared().addListener(std::move(listener));
}

OSStatus AudioHardwareRemovePropertyListener(AudioHardwarePropertyID inPropertyID,
                                             AudioHardwarePropertyListenerProc inProc) {
  if (!inProc) return kAudio_ParamError;
  return State::shared().removeListener([&](const Listener& listener) {
    return listener.kind == Listener::Kind::Hardware && listener.hardwareProc == inProc &&
           listener.address.mSelector == inPropertyID;
  });
}

OSStatus AudioHardwareGetProperty(AudioHardwarePropertyID inPropertyID, UInt32* ioPropertyDataSize,
                                  void* outPropertyData) {
  const AudioObjectPropertyAddress address = SystemAddress(inPropertyID);
  return AudioObjectGetPropertyData(kAudioObjectSystemObject, &address, 0, nullptr, ioPropertyDataSize,
                                    outPropertyData);
}

OSStatus AudioHardwareSetProperty(AudioHardwarePropertyID inPropertyID, UInt32 inPropertyDataSize,
                                  const void* inPropertyData) {
  const AudioObjectPropertyAddress address = SystemAddress(inPropertyID);
  return AudioObjectSetPropertyData(kAudioObjectSystemObject, &address, 0, nullptr, inPropertyDataSize,
                                    inPropertyData);
}

OSStatus AudioHardwareUnload(void) {
  State::shared().unload();
  return kAudioHardwareNoError;
}

// ----- Device I/O -----

OSStatus AudioDeviceCreateIOProcID(AudioObjectID inDevice, AudioDeviceIOProc inProc, void* inClientData,
                                   AudioDeviceIOProcID* outIOProcID) {
  if (!inProc || !outIOProcID) return kAudio_ParamError;
  const AudioObjectPropertyAddress streams{kAudioDevicePropertyStreams, kAudioObjectPropertyScopeGlobal,
                                           kAudioObjectPropertyElementMain};
  if (!AudioObjectHasProperty(inDevice, &streams)) return kAudioHardwareBadDeviceError;
  return State::shared().deviceIO(inDevice).createProc(inProc, inClientData, outIOProcID);
}

OSStatus AudioDeviceDestroyIOProcID(AudioObjectID inDevice, AudioDeviceIOProcID inIOProcID) {
  if (!inIOProcID) return kAudio_ParamError;
  State::shared().stopDevice(inDevice, inIOProcID);
  return State::shared().deviceIO(inDevice).destroyProc(inIOProcID);
}

OSStatus AudioDeviceStart(AudioObjectID inDevice, AudioDeviceIOProcID inProcID) {
  return State::shared().startDevice(inDevice, inProcID);
}

OSStatus AudioDeviceStop(AudioObjectID inDevice, AudioDeviceIOProcID inProcID) {
  return State::shared().stopDevice(inDevice, inProcID);
}

OSStatus AudioDeviceGetCurrentTime(AudioObjectID inDevice, AudioTimeStamp* outTime) {
  if (!outTime) return kAudio_ParamError;
  return State::shared().withConnection(
      [&](Connection& connection) { return connection.getCurrentTime(inDevice, outTime); });
}

void _AudioHardwareSetConnectionFactory(const HALClient::ConnectionFactory* factory) {
  State::shared().setFactory(factory);
}
