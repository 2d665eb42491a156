// The MoxicamAudioIO bundle: the I/O device.
#include "CFAudioServerPlugInAudioBus.h"
#include "CFAudioServerPlugInBundle.h"

using Interface = CFAudioServerPlugInInterface_T<CFAudioServerPlugInAudioBus>;

__attribute__((constructor)) static void ConstructMoxicamAudioIO() {
  CFAudioServerPlugInConstructBundle<CFAudioServerPlugInAudioBus>(
      MOXICAM_AUDIO_FACTORY_UUID, CFSTR("Moxicam:I/O"), CFSTR("com.quillfen.MoxicamAudio.IO"));
}

extern "C" void* MoxicamAudioIO_CoCreateInstance(CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  return Interface::CoCreateInstance("MoxicamAudioIO_CoCreateInstance", requestedTypeUUID);
}
