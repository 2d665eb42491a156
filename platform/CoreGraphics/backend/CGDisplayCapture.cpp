// Screen reads through the MIT-SHM extension (libxext), so that a frame is copied once, by
// the server, into memory this process maps.
#include "backend/CGDisplayCapture.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace CGDisplayServer {

namespace {

bool isBGRx(const XImage* image) {
  return image && image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000 &&
         image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
}

void describe(const XImage* image, CapturedPixels& pixels) {
  pixels.bytes = reinterpret_cast<const uint8_t*>(image->data);
  pixels.width = image->width;
  pixels.height = image->height;
  pixels.bytesPerRow = image->bytes_per_line;
}

}  // namespace

ScreenCapture::~ScreenCapture() {
  releaseSharedImage();
  if (mPlainImage) XDestroyImage(mPlainImage);
}

bool ScreenCapture::read(int x, int y, int width, int height, CapturedPixels& pixels) {
  if (!mConnection.isOpen() || width <= 0 || height <= 0) return false;
  if (!mSharedMemoryFailed && prepareSharedImage(width, height) && readShared(x, y, pixels)) return true;
  return readPlain(x, y, width, height, pixels);
}

bool ScreenCapture::prepareSharedImage(int width, int height) {
  if (mSharedImage && mSharedImage->width == width && mSharedImage->height == height) return true;
  releaseSharedImage();
  Display* display = mConnection.display();
  if (!XShmQueryExtension(display)) {
    mSharedMemoryFailed = true;
    return false;
  }
  const int screen = DefaultScreen(display);
  mSharedImage = XShmCreateImage(display, DefaultVisual(display, screen), unsigned(DefaultDepth(display, screen)),
                                 ZPixmap, nullptr, &mSegment, unsigned(width), unsigned(height));
  if (!mSharedImage || !isBGRx(mSharedImage)) {
    releaseSharedImage();
    mSharedMemoryFailed = true;
    return false;
  }
  mSegment.shmid = shmget(IPC_PRIVATE, size_t(mSharedImage->bytes_per_line) * size_t(height), IPC_CREAT | 0600);
  if (mSegment.shmid >= 0) {
    void* address = shmat(mSegment.shmid, nullptr, 0);
    // Marked for removal at once: the segment goes when both sides have detached, even if
    // this process dies.
    shmctl(mSegment.shmid, IPC_RMID, nullptr);
    if (address != reinterpret_cast<void*>(-1)) {
      mSegment.shmaddr = mSharedImage->data = static_cast<char*>(address);
      mSegment.readOnly = False;
      mConnection.failedSinceLastCheck();
      if (XShmAttach(display, &mSegment) && !mConnection.failedSinceLastCheck()) return true;
      // A server on another machine, or one that may not map this segment.
      shmdt(address);
      mSegment.shmaddr = mSharedImage->data = nullptr;
    }
  }
  mSegment.shmid = -1;
  releaseSharedImage();
  mSharedMemoryFailed = true;
  return false;
}

void ScreenCapture::releaseSharedImage() {
  if (!mSharedImage) return;
  if (mSegment.shmaddr) {
    XShmDetach(mConnection.display(), &mSegment);
    XSync(mConnection.display(), False);
    shmdt(mSegment.shmaddr);
  }
  mSharedImage->data = nullptr;
  XDestroyImage(mSharedImage);
  mSharedImage = nullptr;
  mSegment = XShmSegmentInfo{};
}

bool ScreenCapture::readShared(int x, int y, CapturedPixels& pixels) {
  Display* display = mConnection.display();
  mConnection.failedSinceLastCheck();
  if (!XShmGetImage(display, DefaultRootWindow(display), mSharedImage, x, y, AllPlanes) ||
      mConnection.failedSinceLastCheck()) {
    return false;
  }
  describe(mSharedImage, pixels);
  return true;
}

bool ScreenCapture::readPlain(int x, int y, int width, int height, CapturedPixels& pixels) {
  Display* display = mConnection.display();
  if (mPlainImage) {
    XDestroyImage(mPlainImage);
    mPlainImage = nullptr;
  }
  mConnection.failedSinceLastCheck();
  mPlainImage = XGetImage(display, DefaultRootWindow(display), x, y, unsigned(width), unsigned(height), AllPlanes,
                          ZPixmap);
  if (mConnection.failedSinceLastCheck() || !isBGRx(mPlainImage)) return false;
  describe(mPlainImage, pixels);
  return true;
}

}  // namespace CGDisplayServer
