// The MoxicamAudioOUT bundle: the write-only device.
#include "CFAudioServerPlugInAudio_RW.h"
#include "CFAudioServerPlugInBundle.h"

using Interface = CFAudioServerPlugInInterface_T<CFAudioServerPlugInAudioWriteOnly>;

__attribute__((constructor)) static void ConstructMoxicamAudioOUT() {
  CFAudioServerPlugInConstructBundle<CFAudioServerPlugInAudioWriteOnly>(
      MOXICAM_AUDIO_FACTORY_UUID, CFSTR("Moxicam:OUT"), CFSTR("com.quillfen.MoxicamAudio.OUT"));
}

extern "C" void* MoxicamAudioOUT_CoCreateInstance(CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  return Interface::CoCreateInstance("MoxicamAudioOUT_CoCreateInstance", requestedTypeUUID);
}
