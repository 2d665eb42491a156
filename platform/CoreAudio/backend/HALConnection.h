#pragma once
// The client library's road to an audio server: by default a socket to the audio server
// program; a test that runs the server inside its own process installs a factory that makes
// connections to it instead.
#include <CoreAudio/AudioHardware.h>

#include <functional>
#include <memory>

namespace HALClient {

// What a connection reports to the library, from threads of its own.
class ConnectionEvents {
 public:
  virtual ~ConnectionEvents() = default;
  virtual void propertiesChanged(AudioObjectID objectID, UInt32 count,
                                 const AudioObjectPropertyAddress* addresses) = 0;
  // The server is gone: no more calls will be answered and no more cycles will come.
  virtual void connectionLost() = 0;
};

// The I/O of this process on one device, run once per cycle on the device's I/O thread.
class IOCycleHandler {
 public:
  virtual ~IOCycleHandler() = default;
  virtual void ioCycle(const AudioTimeStamp& now, const AudioBufferList* input,
                       const AudioTimeStamp& inputTime, AudioBufferList* output,
                       const AudioTimeStamp& outputTime) = 0;
};

class Connection {
 public:
  virtual ~Connection() = default;
  virtual Boolean hasProperty(AudioObjectID objectID, const AudioObjectPropertyAddress& address) = 0;
  virtual OSStatus isPropertySettable(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                                      Boolean* outIsSettable) = 0;
  virtual OSStatus getPropertyDataSize(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                                       UInt32 qualifierSize, const void* qualifier, UInt32* outDataSize) = 0;
  virtual OSStatus getPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                                   UInt32 qualifierSize, const void* qualifier, UInt32* ioDataSize,
                                   void* outData) = 0;
  virtual OSStatus setPropertyData(AudioObjectID objectID, const AudioObjectPropertyAddress& address,
                                   UInt32 qualifierSize, const void* qualifier, UInt32 inDataSize,
                                   const void* inData) = 0;
  // Runs the handler once per cycle of the device until stopIO.
  virtual OSStatus startIO(AudioObjectID deviceID, IOCycleHandler* handler) = 0;
  virtual OSStatus stopIO(AudioObjectID deviceID) = 0;
  virtual OSStatus getCurrentTime(AudioObjectID deviceID, AudioTimeStamp* outTime) = 0;
};

// Makes a connection that reports to the events; null when no server can be reached.
using ConnectionFactory = std::function<std::unique_ptr<Connection>(ConnectionEvents& events)>;

}  // namespace HALClient

// Replaces the way the library connects (null: the audio server program again). The current
// connection is dropped first, as AudioHardwareUnload does.
extern "C" __attribute__((visibility("default"))) void _AudioHardwareSetConnectionFactory(
    const HALClient::ConnectionFactory* factory);
