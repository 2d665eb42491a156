#include "T_config_VDIG_device.h"

#include <Carbon/CarbonErrors.h>
#include <CoreCString.h>

#include <cstring>

T_config_VDIG_device::T_config_VDIG_device() {
  std::strncpy(mDeviceName, kDeviceName, sizeof mDeviceName - 1);
  mDeviceName[sizeof mDeviceName - 1] = 0;
}

bool T_config_VDIG_device::Connect() {
  std::strncpy(mDeviceName, kDeviceName, sizeof mDeviceName - 1);
  mDeviceName[sizeof mDeviceName - 1] = 0;
  mCompression = 0;
  mFrameCounter = 0;
  mFrameCounter2 = 0;
  return true;
}

void T_config_VDIG_device::Disconnect() {
  mFrameCounter = 0;
  mFrameCounter2 = 0;
}

void T_config_VDIG_device::GetMaxSrcRectFromDevice(Rect* rect) const {
  if (!rect) return;
  *rect = Rect{0, 0, short(kFrameHeightPixels), short(kFrameWidthPixels)};
}

OSErr T_config_VDIG_device::SetCompressionOnOff(int on) {
  mCompression = on;
  return noErr;
}

OSErr T_config_VDIG_device::GetDeviceName(unsigned char* name, long) const {
  if (!name) return paramErr;
  CoreCString::AssignTo(name, 255, mDeviceName);
  return noErr;
}

const char* T_config_VDIG_device::SetDeviceNameSuffix(const char* suffix) {
  if (suffix) std::strncat(mDeviceName, suffix, sizeof mDeviceName - 1 - std::strlen(mDeviceName));
  return mDeviceName;
}
