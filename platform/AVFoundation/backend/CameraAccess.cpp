#include "CameraAccess.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace AVFoundationBackend {

namespace {
std::atomic<bool> sGranted{false};
}

AVAuthorizationStatus cameraAccess() {
  const char* setting = std::getenv("MOXICAM_CAMERA_ACCESS");
  if (!setting || !std::strcmp(setting, "authorized")) return AVAuthorizationStatusAuthorized;
  if (!std::strcmp(setting, "denied")) return AVAuthorizationStatusDenied;
  if (!std::strcmp(setting, "restricted")) return AVAuthorizationStatusRestricted;
  return sGranted ? AVAuthorizationStatusAuthorized : AVAuthorizationStatusNotDetermined;
}

bool requestCameraAccess() {
  const AVAuthorizationStatus status = cameraAccess();
  if (status == AVAuthorizationStatusNotDetermined) sGranted = true;
  return status == AVAuthorizationStatusAuthorized || status == AVAuthorizationStatusNotDetermined;
}

}  // namespace AVFoundationBackend
