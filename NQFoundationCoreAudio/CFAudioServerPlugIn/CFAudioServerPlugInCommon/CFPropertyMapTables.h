#pragma once
// The property maps of the eleven objects. The same tables serve every device bundle.
#include "CFPropertyMap.h"

namespace NQCFAudioServer {

extern const tagCFPropertyMapEntry AudioServerPlugin_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerBox_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerDevice_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerStreamBase_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerInputStream_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerOutputStream_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerControlVolumeBase_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerControlVolumeInput_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerControlVolumeOutput_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerControlMuteBase_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerControlMuteInput_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerControlMuteOutput_PropertyMap[];
extern const tagCFPropertyMapEntry AudioServerControlData_PropertyMap[];

}  // namespace NQCFAudioServer
