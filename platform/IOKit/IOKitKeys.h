#pragma once
// Names of registry properties and classes.
#define kIOPlatformUUIDKey "IOPlatformUUID"
#define kIOProviderClassKey "IOProviderClass"
#define kIOPlatformExpertDeviceClass "IOPlatformExpertDevice"
