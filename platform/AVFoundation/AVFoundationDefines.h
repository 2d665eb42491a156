#pragma once
// What AVFoundation exports: its classes and constants. Everything else stays inside it.
#define AVF_EXPORT extern "C" __attribute__((visibility("default")))
#define AVF_CLASS __attribute__((visibility("default")))

// The backend's handles on the classes; system code never sees inside them.
namespace AVFoundationBackend {
class CaptureSource;
struct DeviceAccess;
struct OutputAccess;
}  // namespace AVFoundationBackend
