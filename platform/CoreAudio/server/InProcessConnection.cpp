#include "InProcessConnection.h"

#include <unistd.h>

#include <cstring>

namespace AudioServer {

namespace {

// The session of an in-process client: its procs run on the device's own cycle.
class InProcessEndpoint final : public IOSessionEndpoint {
 public:
  InProcessEndpoint(const DeviceLayout& layout, HALClient::IOCycleHandler* handler)
      : mLayout(layout),
        mBuffers(layout),
        mHandler(handler),
        mInputList(AudioBufferListSize(UInt32(layout.inputChannels.size())), 0),
        mOutputList(AudioBufferListSize(UInt32(layout.outputChannels.size())), 0) {}

  Float32* inputBuffer(UInt32 stream) override { return mBuffers.input(stream); }
  Float32* outputBuffer(UInt32 stream) override { return mBuffers.output(stream); }

  void beginCycle(const IOCycle& cycle) override {
    AudioBufferList* input = list(mInputList, mLayout.inputChannels, cycle.frames, true);
    AudioBufferList* output = list(mOutputList, mLayout.outputChannels, cycle.frames, false);
    mHandler->ioCycle(cycle.now, input, cycle.inputTime, output, cycle.outputTime);
  }
  bool finishCycle(uint64_t) override { return true; }
  void publishClock(const DeviceClockState&) override {}

 private:
  AudioBufferList* list(std::vector<UInt8>& storage, const std::vector<UInt32>& channels, UInt32 frames,
                        bool input) {
    auto* list = reinterpret_cast<AudioBufferList*>(storage.data());
    list->mNumberBuffers = UInt32(channels.size());
    for (UInt32 i = 0; i < channels.size(); ++i) {
      list->mBuffers[i].mNumberChannels = channels[i];
      list->mBuffers[i].mDataByteSize = frames * channels[i] * sizeof(Float32);
      list->mBuffers[i].mData = input ? mBuffers.input(i) : mBuffers.output(i);
    }
    return list;
  }

  DeviceLayout mLayout;
  IOSessionBuffers mBuffers;
  HALClient::IOCycleHandler* mHandler;
  std::vector<UInt8> mInputList;
  std::vector<UInt8> mOutputList;
};

}  // namespace

InProcessConnection::InProcessConnection(Server& server, CFStringRef bundleID,
                                         HALClient::ConnectionEvents& events)
    : mServer(server), mEvents(events), mClientID(server.addClient(getpid(), bundleID, this)) {}

InProcessConnection::~InProcessConnection() { mServer.removeClient(mClientID); }

Boolean InProcessConnection::hasProperty(AudioObjectID objectID, const AudioObjectPropertyAddress& address) {
  return mServer.hasProperty(mClientID, objectID, address);
}

OSStatus InProcessConnection::isPropertySettable(AudioObjectID objectID,
                                                 const AudioObjectPropertyAddress& address,
                                                 Boolean* outIsSettable) {
  return mServer.isPropertySettable(mClientID, objectID, address, outIsSettable);
}

OSStatus InProcessConnection::getPropertyDataSize(AudioObjectID objectID,
                                                  const AudioObjectPropertyAddress& address,
                                                  UInt32 qualifierSize, const void* qualifier,
                                                  UInt32* outDataSize) {
  return mServer.getPropertyDataSize(mClientID, objectID, address, qualifierSize, qualifier, outDataSize);
}

OSStatus InProcessConnection::getPropertyData(AudioObjectID objectID,
                                              const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                                              const void* qualifier, UInt32* ioDataSize, void* outData) {
  UInt32 written = 0;
  const OSStatus status = mServer.getPropertyData(mClientID, objectID, address, qualifierSize, qualifier,
                                                  *ioDataSize, &written, outData);
  *ioDataSize = written;
  return status;
}

OSStatus InProcessConnection::setPropertyData(AudioObjectID objectID,
                                              const AudioObjectPropertyAddress& address, UInt32 qualifierSize,
                                              const void* qualifier, UInt32 inDataSize, const void* inData) {
  return mServer.setPropertyData(mClientID, objectID, address, qualifierSize, qualifier, inDataSize, inData);
}

OSStatus InProcessConnection::startIO(AudioObjectID deviceID, HALClient::IOCycleHandler* handler) {
  return mServer.startIO(mClientID, deviceID, [handler](const DeviceLayout& layout) {
    return std::make_unique<InProcessEndpoint>(layout, handler);
  });
}

OSStatus InProcessConnection::stopIO(AudioObjectID deviceID) { return mServer.stopIO(mClientID, deviceID); }

OSStatus InProcessConnection::getCurrentTime(AudioObjectID deviceID, AudioTimeStamp* outTime) {
  return mServer.getCurrentTime(deviceID, outTime);
}

void InProcessConnection::propertiesChanged(AudioObjectID objectID, UInt32 count,
                                            const AudioObjectPropertyAddress* addresses) {
  mEvents.propertiesChanged(objectID, count, addresses);
}

InProcessHAL::InProcessHAL(Server& server, CFStringRef bundleID)
    : mBundleID(RefPtr<const __CFString>(bundleID)) {
  const HALClient::ConnectionFactory factory = [&server,
                                                bundle = mBundleID](HALClient::ConnectionEvents& events) {
    return std::unique_ptr<HALClient::Connection>(new InProcessConnection(server, bundle.get(), events));
  };
  _AudioHardwareSetConnectionFactory(&factory);
}

InProcessHAL::~InProcessHAL() { _AudioHardwareSetConnectionFactory(nullptr); }

}  // namespace AudioServer
