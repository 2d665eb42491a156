#include "CameraAccess.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace AVFoundationBackend {

namespace {

// The setting under which a request was granted: the grant holds until another setting is seen.
std::mutex sLock;
bool sGranted = false;
std::string sGrantedUnder;

std::string setting() {
  const char* value = std::getenv("MOXICAM_CAMERA_ACCESS");
  return value ? value : "";
}

AVAuthorizationStatus statusOf(const std::string& value) {
  if (value.empty() || value == "authorized") return AVAuthorizationStatusAuthorized;
  if (value == "denied") return AVAuthorizationStatusDenied;
  if (value == "restricted") return AVAuthorizationStatusRestricted;
  return AVAuthorizationStatusNotDetermined;
}

}  // namespace

AVAuthorizationStatus cameraAccess() {
  const std::string value = setting();
  const AVAuthorizationStatus status = statusOf(value);
  std::lock_guard lock(sLock);
  // Another setting seen since the grant ends it.
  if (sGrantedUnder != value) sGranted = false;
  if (status == AVAuthorizationStatusNotDetermined && sGranted) return AVAuthorizationStatusAuthorized;
  return status;
}

bool requestCameraAccess() {
  const std::string value = setting();
  const AVAuthorizationStatus status = statusOf(value);
  if (status == AVAuthorizationStatusNotDetermined) {
    std::lock_guard lock(sLock);
    sGranted = true;
    sGrantedUnder = value;
  }
  return status == AVAuthorizationStatusAuthorized || status == AVAuthorizationStatusNotDetermined;
}

}  // namespace AVFoundationBackend
