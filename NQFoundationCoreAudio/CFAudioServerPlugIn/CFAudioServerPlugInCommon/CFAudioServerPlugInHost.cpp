// The calls from the driver into the audio server's host interface.
#include <dispatch/dispatch.h>

#include "CFAudioServerPlugInBase.h"
#include "CFAudioServerRequired.h"

namespace NQCFAudioServer {

void PropertiesChanged::AddPropertyChange(const AudioObjectPropertyAddress& address) {
  if (!REQUIRED_CODE(mAddressCount < kMax, "mAddressCount<kMax")) return;
  mAddresses[mAddressCount++] = address;
}

}  // namespace NQCFAudioServer

namespace {

// Holds the host interface for one request.
class CFAudioServerPlugInHost {
 public:
  explicit CFAudioServerPlugInHost(AudioServerPlugInHostRef host) : pHost(host) {}
  bool IsValid() const { return REQUIRED_PRESENT(pHost); }
  AudioServerPlugInHostRef Get() const { return pHost; }

 private:
  AudioServerPlugInHostRef pHost;
};

}  // namespace

void CFAudioServerPlugInBase::NotifyPropertiesChanged(AudioObjectID inObjectID,
                                                      const PropertiesChanged& inChanged) {
  if (!REQUIRED_CODE(inChanged.mAddressCount > 0, "propertiesChanged.mAddressCount > 0")) return;
  const CFAudioServerPlugInHost host(GetHostWithMutex());
  if (!host.IsValid()) return;
  host.Get()->PropertiesChanged(host.Get(), inObjectID, inChanged.mAddressCount, inChanged.mAddresses);
}

void CFAudioServerPlugInBase::RequestDeviceConfigurationChangeAsync(AudioObjectID inDeviceObjectID,
                                                                    UInt64 inChangeAction) {
  const CFAudioServerPlugInHost host(GetHostWithMutex());
  if (!host.IsValid()) return;
  // The server performs the change by calling back into the driver: never from inside the
  // property call that asked for it.
  AudioServerPlugInHostRef hostRef = host.Get();
  dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [=] {
    hostRef->RequestDeviceConfigurationChange(hostRef, inDeviceObjectID, inChangeAction, nullptr);
  });
}

void CFAudioServerPlugInBase::HostRequesDeviceConfigurationChangeSampleRate(Float64 inSampleRate) {
  RequestDeviceConfigurationChangeAsync(NQCFAudioServer::kObjectID_Device, UInt64(inSampleRate));
}
