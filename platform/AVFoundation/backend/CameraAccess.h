#pragma once
// Whether this process may use cameras: MOXICAM_CAMERA_ACCESS says "authorized" (the default),
// "denied", "restricted" or "notDetermined"; a request while undetermined is granted, and the
// grant holds until another setting is seen.
#include "AVCaptureDevice.h"

namespace AVFoundationBackend {

AVAuthorizationStatus cameraAccess();
// The answer to a request: granted unless denied or restricted.
bool requestCameraAccess();

}  // namespace AVFoundationBackend
