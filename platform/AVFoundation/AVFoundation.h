#pragma once
// The capture part of AVFoundation: every public header.
#include <AVFoundation/AVCaptureConnection.h>
#include <AVFoundation/AVCaptureDevice.h>
#include <AVFoundation/AVCaptureDeviceFormat.h>
#include <AVFoundation/AVCaptureInput.h>
#include <AVFoundation/AVCaptureOutput.h>
#include <AVFoundation/AVCaptureSession.h>
#include <AVFoundation/AVCaptureSessionPreset.h>
#include <AVFoundation/AVCaptureVideoDataOutput.h>
#include <AVFoundation/AVError.h>
#include <AVFoundation/AVMediaFormat.h>
