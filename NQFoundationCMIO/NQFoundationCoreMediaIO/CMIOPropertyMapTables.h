#pragma once
// The property tables of the plug-in object, of every device and of every stream.
#include "CMIOPropertyMap.h"

extern const tagCMIOPropertyMapEntry CMIODALPlugin_PropertyMap[];
extern const tagCMIOPropertyMapEntry CMIODALDeviceBase_PropertyMap[];
extern const tagCMIOPropertyMapEntry CMIODALStreamBase_PropertyMap[];
