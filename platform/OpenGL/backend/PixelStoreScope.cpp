#include "PixelStoreScope.h"

#include "RealGL.h"

namespace OpenGLBackend {
namespace {

struct StoreNames {
  GLenum rowLength, alignment, skipRows, skipPixels, swapBytes, lsbFirst, buffer, bufferBinding;
};

constexpr StoreNames kPack = {GL_PACK_ROW_LENGTH,   GL_PACK_ALIGNMENT,           GL_PACK_SKIP_ROWS,
                              GL_PACK_SKIP_PIXELS,  GL_PACK_SWAP_BYTES,          GL_PACK_LSB_FIRST,
                              GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING};
constexpr StoreNames kUnpack = {GL_UNPACK_ROW_LENGTH,   GL_UNPACK_ALIGNMENT,           GL_UNPACK_SKIP_ROWS,
                                GL_UNPACK_SKIP_PIXELS,  GL_UNPACK_SWAP_BYTES,          GL_UNPACK_LSB_FIRST,
                                GL_PIXEL_UNPACK_BUFFER, GL_PIXEL_UNPACK_BUFFER_BINDING};

}  // namespace

PixelStoreScope::PixelStoreScope(Direction direction, GLint rowLength) : mDirection(direction) {
  const StoreNames& names = direction == Pack ? kPack : kUnpack;
  const GLint wanted[6] = {rowLength, 1, 0, 0, GL_FALSE, GL_FALSE};
  const GLenum order[6] = {names.rowLength,  names.alignment, names.skipRows,
                           names.skipPixels, names.swapBytes, names.lsbFirst};
  for (int i = 0; i < 6; ++i) {
    mSaved[i] = {order[i], 0};
    glGetIntegerv(order[i], &mSaved[i].value);
    realGL().pixelStorei(order[i], wanted[i]);
  }
  glGetIntegerv(names.bufferBinding, &mBuffer);
  if (mBuffer != 0) glBindBuffer(names.buffer, 0);
}

PixelStoreScope::~PixelStoreScope() {
  const StoreNames& names = mDirection == Pack ? kPack : kUnpack;
  for (const Saved& saved : mSaved) realGL().pixelStorei(saved.name, saved.value);
  if (mBuffer != 0) glBindBuffer(names.buffer, static_cast<GLuint>(mBuffer));
}

}  // namespace OpenGLBackend
