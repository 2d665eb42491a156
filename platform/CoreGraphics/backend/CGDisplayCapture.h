#pragma once
// Reads a rectangle of the screen into memory (inner workings of the display stream): through
// MIT-SHM shared memory where the server offers it, else with a plain XGetImage.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "backend/CGDisplayConnection.h"

namespace CGDisplayServer {

// One read picture: rows of 32-bit pixels, blue, green, red and an unused byte in memory.
struct CapturedPixels {
  const uint8_t* bytes = nullptr;
  int width = 0;
  int height = 0;
  int bytesPerRow = 0;
};

class ScreenCapture {
 public:
  explicit ScreenCapture(Connection& connection) : mConnection(connection) {}
  ~ScreenCapture();
  ScreenCapture(const ScreenCapture&) = delete;
  ScreenCapture& operator=(const ScreenCapture&) = delete;

  // Reads the rectangle of the default screen's root window; false when it cannot be read
  // (outside the screen, or a pixel layout other than 32-bit BGRx).
  bool read(int x, int y, int width, int height, CapturedPixels& pixels);

 private:
  bool prepareSharedImage(int width, int height);
  void releaseSharedImage();
  bool readShared(int x, int y, CapturedPixels& pixels);
  bool readPlain(int x, int y, int width, int height, CapturedPixels& pixels);

  Connection& mConnection;
  bool mSharedMemoryFailed = false;
  XImage* mSharedImage = nullptr;
  XShmSegmentInfo mSegment{};
  XImage* mPlainImage = nullptr;
};

}  // namespace CGDisplayServer
