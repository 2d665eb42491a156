#include "SessionPresets.h"

#include "AVCaptureSessionPreset.h"

NSString* const AVCaptureSessionPresetHigh = NSSTR("AVCaptureSessionPresetHigh");
NSString* const AVCaptureSessionPresetMedium = NSSTR("AVCaptureSessionPresetMedium");
NSString* const AVCaptureSessionPresetLow = NSSTR("AVCaptureSessionPresetLow");
NSString* const AVCaptureSessionPreset320x240 = NSSTR("AVCaptureSessionPreset320x240");
NSString* const AVCaptureSessionPreset352x288 = NSSTR("AVCaptureSessionPreset352x288");
NSString* const AVCaptureSessionPreset640x480 = NSSTR("AVCaptureSessionPreset640x480");
NSString* const AVCaptureSessionPreset960x540 = NSSTR("AVCaptureSessionPreset960x540");
NSString* const AVCaptureSessionPreset1280x720 = NSSTR("AVCaptureSessionPreset1280x720");
NSString* const AVCaptureSessionPreset1920x1080 = NSSTR("AVCaptureSessionPreset1920x1080");

namespace AVFoundationBackend {

namespace {

struct SizedPreset {
  NSString* const* preset;
  uint32_t width, height;
};

const SizedPreset kSizedPresets[] = {
    {&AVCaptureSessionPreset320x240, 320, 240},   {&AVCaptureSessionPreset352x288, 352, 288},
    {&AVCaptureSessionPreset640x480, 640, 480},   {&AVCaptureSessionPreset960x540, 960, 540},
    {&AVCaptureSessionPreset1280x720, 1280, 720}, {&AVCaptureSessionPreset1920x1080, 1920, 1080},
};

bool same(NSString* a, NSString* b) { return a && b && a->isEqual(b); }

uint64_t area(const VideoFormat& format) { return uint64_t(format.width) * format.height; }

}  // namespace

bool isKnownPreset(NSString* preset) {
  for (const SizedPreset& sized : kSizedPresets)
    if (same(preset, *sized.preset)) return true;
  return same(preset, AVCaptureSessionPresetHigh) || same(preset, AVCaptureSessionPresetMedium) ||
         same(preset, AVCaptureSessionPresetLow);
}

bool formatForPreset(NSString* preset, const std::vector<VideoFormat>& formats, VideoFormat& format) {
  if (formats.empty()) return false;
  for (const SizedPreset& sized : kSizedPresets) {
    if (!same(preset, *sized.preset)) continue;
    for (const VideoFormat& offered : formats) {
      if (offered.width == sized.width && offered.height == sized.height) {
        format = offered;
        return true;
      }
    }
    return false;
  }
  // High: the largest; Low: the smallest; Medium: the largest up to 640 x 480, else the smallest.
  const bool high = same(preset, AVCaptureSessionPresetHigh), low = same(preset, AVCaptureSessionPresetLow);
  if (!high && !low && !same(preset, AVCaptureSessionPresetMedium)) return false;
  VideoFormat largest = formats[0], smallest = formats[0];
  bool haveMedium = false;
  VideoFormat medium;
  for (const VideoFormat& offered : formats) {
    if (area(offered) > area(largest)) largest = offered;
    if (area(offered) < area(smallest)) smallest = offered;
    if (area(offered) <= 640u * 480u && (!haveMedium || area(offered) > area(medium))) {
      medium = offered;
      haveMedium = true;
    }
  }
  format = high ? largest : low ? smallest : haveMedium ? medium : smallest;
  return true;
}

}  // namespace AVFoundationBackend
