#pragma once
// What a session preset asks of a camera: a frame size of its own (the presets named by a
// size) or one chosen among the camera's formats ("High", "Medium", "Low").
#include <Foundation/NSString.h>

#include <vector>

#include "CaptureSource.h"

namespace AVFoundationBackend {

bool isKnownPreset(NSString* preset);
// The format of the camera's formats that the preset runs it in; false when the camera
// cannot do the preset.
bool formatForPreset(NSString* preset, const std::vector<VideoFormat>& formats, VideoFormat& format);

}  // namespace AVFoundationBackend
