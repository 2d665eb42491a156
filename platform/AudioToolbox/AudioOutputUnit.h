#pragma once
// Output units run on a device's I/O thread once started.
#include <AudioToolbox/AUComponent.h>

AT_EXPORT OSStatus AudioOutputUnitStart(AudioUnit ci);
AT_EXPORT OSStatus AudioOutputUnitStop(AudioUnit ci);
