#pragma once
// Test-pattern cameras, configured by the environment variable MOXICAM_SYNTHETIC_CAMERAS:
// cameras separated by ";", each a list of key=value fields separated by ",":
//   name=Studio,pattern=bars,size=1280x720|640x480,rate=30
// Keys: name (required), uid (default "synthetic:" and the name), model, pattern ("bars",
// "grid" or "solid:RRGGBB"; default bars), size (the frame sizes offered, "|" between them;
// default 1280x720), rate (frames per second, default 30), audio ("yes": a camera with
// sound, a muxed device), transport ("yes": a tape deck with transport controls).
// A square in the bottom quarter moves on and turns from white to black and back every
// frame, so that no two frames in a row are alike; the rest of the picture stays still.
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CaptureSource.h"
#include "FrameConversion.h"

namespace AVFoundationBackend {

struct SyntheticCameraConfiguration {
  std::string name;
  std::string uniqueID;
  std::string model = "Moxicam Test Pattern";
  std::string pattern = "bars";
  std::vector<std::pair<uint32_t, uint32_t>> sizes;
  double rate = 30.0;
  bool audio = false;
  bool transport = false;
  bool operator==(const SyntheticCameraConfiguration&) const = default;
};

// The cameras of a configuration text; a camera whose fields cannot be read is left out with
// a line on standard error saying why.
std::vector<SyntheticCameraConfiguration> parseSyntheticCameras(const std::string& text);

class SyntheticCamera : public CaptureSource {
 public:
  explicit SyntheticCamera(SyntheticCameraConfiguration configuration);
  ~SyntheticCamera() override;

  const SyntheticCameraConfiguration& configuration() const { return mConfiguration; }
  std::vector<VideoFormat> formats() const override;
  bool providesAudio() const override { return mConfiguration.audio; }
  bool transportControlsSupported() const override { return mConfiguration.transport; }

  // Draws frame n of the pattern into a BGRA buffer.
  static void drawFrame(const std::string& pattern, uint64_t frame, CVPixelBufferRef buffer);

 protected:
  bool startReading(const VideoFormat& format) override;
  void stopReading() override;

 private:
  void run(VideoFormat format);

  const SyntheticCameraConfiguration mConfiguration;
  std::mutex mLock;
  std::condition_variable mWake;
  bool mStopping = false;
  std::thread mThread;
};

}  // namespace AVFoundationBackend
