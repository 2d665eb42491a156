#pragma once
// The qualities a session can run its cameras at.
#include <Foundation/NSString.h>

#include <AVFoundation/AVFoundationDefines.h>

AVF_EXPORT NSString* const AVCaptureSessionPresetHigh;
AVF_EXPORT NSString* const AVCaptureSessionPresetMedium;
AVF_EXPORT NSString* const AVCaptureSessionPresetLow;
AVF_EXPORT NSString* const AVCaptureSessionPreset320x240;
AVF_EXPORT NSString* const AVCaptureSessionPreset352x288;
AVF_EXPORT NSString* const AVCaptureSessionPreset640x480;
AVF_EXPORT NSString* const AVCaptureSessionPreset960x540;
AVF_EXPORT NSString* const AVCaptureSessionPreset1280x720;
AVF_EXPORT NSString* const AVCaptureSessionPreset1920x1080;
