// The MoxicamAudioIN bundle: the read-only device.
#include "CFAudioServerPlugInAudio_RW.h"
#include "CFAudioServerPlugInBundle.h"

using Interface = CFAudioServerPlugInInterface_T<CFAudioServerPlugInAudioReadOnly>;

__attribute__((constructor)) static void ConstructMoxicamAudioIN() {
  CFAudioServerPlugInConstructBundle<CFAudioServerPlugInAudioReadOnly>(
      MOXICAM_AUDIO_FACTORY_UUID, CFSTR("Moxicam:IN"), CFSTR("com.quillfen.MoxicamAudio.IN"));
}

extern "C" void* MoxicamAudioIN_CoCreateInstance(CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  return Interface::CoCreateInstance("MoxicamAudioIN_CoCreateInstance", requestedTypeUUID);
}
