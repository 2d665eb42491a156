#pragma once
// Pixel transfers of this layer between GL and memory of its own choosing: the pack or unpack
// state of the current context is set for rows of a given length with no alignment padding,
// no skips and no buffer object, and put back as it was at the end of the scope.
#include <OpenGL/gltypes.h>

namespace OpenGLBackend {

class PixelStoreScope {
 public:
  enum Direction { Pack, Unpack };
  // rowLength: the memory row in pixels (0: as wide as the transfer).
  PixelStoreScope(Direction direction, GLint rowLength);
  ~PixelStoreScope();
  PixelStoreScope(const PixelStoreScope&) = delete;
  PixelStoreScope& operator=(const PixelStoreScope&) = delete;

 private:
  struct Saved {
    GLenum name;
    GLint value;
  };
  const Direction mDirection;
  Saved mSaved[6];
  GLint mBuffer = 0;
};

}  // namespace OpenGLBackend
