#pragma once
// One camera of the machine as the capture layer reads it: its names, the formats it offers
// and one reader that delivers its frames. However many sessions use the camera, it is read
// once; every consumer is handed the same frames.
#include <CoreVideo/CVPixelBuffer.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace AVFoundationBackend {

struct VideoFormat {
  uint32_t width = 0;
  uint32_t height = 0;
  // The pixel format of the frames the reader hands out in this format.
  OSType pixelFormat = 0;
  double frameRate = 30.0;
  bool operator==(const VideoFormat&) const = default;
};

class CaptureSource {
 public:
  // Called on the reader's thread with each frame and its host time in nanoseconds.
  using FrameHandler = std::function<void(CVPixelBufferRef frame, uint64_t hostTime)>;

  CaptureSource(std::string name, std::string uniqueID, std::string modelID);
  virtual ~CaptureSource();
  CaptureSource(const CaptureSource&) = delete;
  CaptureSource& operator=(const CaptureSource&) = delete;

  const std::string& name() const { return mName; }
  const std::string& uniqueID() const { return mUniqueID; }
  const std::string& modelID() const { return mModelID; }
  virtual std::vector<VideoFormat> formats() const = 0;
  // Whether the camera carries sound with its pictures.
  virtual bool providesAudio() const { return false; }
  // Whether a camera found again under the same unique id is still this one (a camera that
  // went and came back between two readings is a new one).
  virtual bool isSameCameraAs(const CaptureSource&) const { return true; }
  // Whether the camera is a tape deck that plays, winds and stops.
  virtual bool transportControlsSupported() const { return false; }

  // The first consumer starts the reader in the format; later consumers share the frames in
  // whatever format the reader runs. False when the camera is gone or cannot be read.
  bool addConsumer(uint64_t consumer, const VideoFormat& format, FrameHandler handler);
  // Once this returns, the handler is never called again; the last consumer stops the reader.
  void removeConsumer(uint64_t consumer);
  // The camera went away: the reader stops and no consumer is taken any more.
  void disconnect();
  bool connected() const { return mConnected; }
  // A number for a new consumer, unique in the process.
  static uint64_t newConsumerID();

 protected:
  // Start a reader thread (that calls deliver) in the format; stop it and wait for it.
  virtual bool startReading(const VideoFormat& format) = 0;
  virtual void stopReading() = 0;
  void deliver(CVPixelBufferRef frame, uint64_t hostTime);

 private:
  const std::string mName, mUniqueID, mModelID;
  std::atomic<bool> mConnected{true};
  // Held while handlers run, so that a consumer removed is never called afterwards.
  std::mutex mConsumersLock;
  std::map<uint64_t, FrameHandler> mConsumers;
  // Starting and stopping the reader, one at a time.
  std::mutex mReaderLock;
  bool mReading = false;
};

// The format of a list nearest to a frame size: the exact size when offered, else the
// largest offered. Null formats (none offered) give a default-constructed format.
VideoFormat nearestFormat(const std::vector<VideoFormat>& formats, uint32_t width, uint32_t height);

}  // namespace AVFoundationBackend
