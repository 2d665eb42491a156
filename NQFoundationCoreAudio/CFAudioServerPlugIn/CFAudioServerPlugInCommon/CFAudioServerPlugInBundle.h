#pragma once
// What each device bundle does when it loads: make its factory id from the text its
// Info.plist names, build its device singleton with its plug-in name, and keep the identifier
// under which the device finds its icon.
#include "CFAudioServerPlugInInterface.h"

template <class DeviceClass>
void CFAudioServerPlugInConstructBundle(const char* inFactoryUUID, CFStringRef inPlugInName,
                                        CFStringRef inBundleIdentifier) {
  RefPtr<const __CFString> text =
      adopt(CFStringCreateWithCString(nullptr, inFactoryUUID, kCFStringEncodingASCII));
  RefPtr<const __CFUUID> factoryID = adopt(CFUUIDCreateFromString(nullptr, text.get()));
  CFAudioServerPlugInInterface_T<DeviceClass>::ConstructSingleton(
      new DeviceClass(inPlugInName, factoryID.get()), inBundleIdentifier);
}
