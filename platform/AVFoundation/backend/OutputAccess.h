#pragma once
// The session's side of its outputs: joining them, and starting and stopping their frames.
#include <cstdint>

#include "AVCaptureDevice.h"
#include "AVCaptureOutput.h"

class AVCaptureSession;

namespace AVFoundationBackend {

struct OutputAccess {
  static void attach(AVCaptureOutput* output, AVCaptureSession* session);
  static void detach(AVCaptureOutput* output);
  // Whether the output belongs to a session.
  static bool isAttached(AVCaptureOutput* output) { return output->connection() != nullptr; }
  static void startFlow(AVCaptureOutput* output, AVCaptureDevice* device, uint32_t width, uint32_t height);
  static void stopFlow(AVCaptureOutput* output);
  // The device of the session's first input with pictures; null for none.
  static AVCaptureDevice* videoDeviceOf(AVCaptureSession* session);
};

}  // namespace AVFoundationBackend
