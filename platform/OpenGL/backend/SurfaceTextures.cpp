#include "SurfaceTextures.h"

#include <objc/RefPtr.h>

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "PixelStoreScope.h"
#include "RealGL.h"

namespace OpenGLBackend::SurfaceTextures {
namespace {

struct Binding {
  RefPtr<__IOSurface> surface;
  GLenum target;
  SurfacePixelLayout layout;
  GLsizei width;
  GLsizei height;
  // The surface's seed that the texture's contents match.
  uint32_t seed;
};

struct Table {
  std::mutex mutex;
  std::unordered_map<GLuint, Binding> bindings;
  // Lets the hooks pass by without the lock while no texture shows a surface.
  std::atomic<size_t> size{0};
};

Table& table() {
  static Table* const sTable = new Table;
  return *sTable;
}

bool find(GLuint texture, Binding& out) {
  Table& t = table();
  if (t.size.load(std::memory_order_relaxed) == 0) return false;
  std::lock_guard<std::mutex> lock(t.mutex);
  auto found = t.bindings.find(texture);
  if (found == t.bindings.end()) return false;
  out = found->second;
  return true;
}

void recordSeed(GLuint texture, const Binding& binding, uint32_t seed) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto found = t.bindings.find(texture);
  if (found != t.bindings.end() && found->second.surface == binding.surface) found->second.seed = seed;
}

void erase(GLuint texture) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.bindings.erase(texture);
  t.size = t.bindings.size();
}

GLenum bindingQuery(GLenum target) {
  switch (target) {
    case GL_TEXTURE_2D:
      return GL_TEXTURE_BINDING_2D;
    case GL_TEXTURE_RECTANGLE_ARB:
      return GL_TEXTURE_BINDING_RECTANGLE_ARB;
    default:
      return GL_NONE;
  }
}

// Memory rows become texture rows, into the texture bound to the binding's target: a new image
// (define) or new contents of the image it has. The surface is locked for reading meanwhile.
uint32_t upload(const Binding& binding, bool define) {
  IOSurfaceRef surface = binding.surface.get();
  uint32_t seed = 0;
  IOSurfaceLock(surface, kIOSurfaceLockReadOnly, &seed);
  const auto* base = static_cast<const uint8_t*>(IOSurfaceGetBaseAddress(surface));
  const size_t rowBytes = IOSurfaceGetBytesPerRow(surface);
  const SurfacePixelLayout& layout = binding.layout;
  const RealGL& gl = realGL();
  if (rowBytes % layout.bytesPerPixel == 0) {
    PixelStoreScope unpack(PixelStoreScope::Unpack, static_cast<GLint>(rowBytes / layout.bytesPerPixel));
    if (define)
      gl.texImage2D(binding.target, 0, layout.internalFormat, binding.width, binding.height, 0, layout.format,
                    layout.type, base);
    else
      gl.texSubImage2D(binding.target, 0, 0, 0, binding.width, binding.height, layout.format, layout.type,
                       base);
  } else {
    PixelStoreScope unpack(PixelStoreScope::Unpack, 0);
    if (define)
      gl.texImage2D(binding.target, 0, layout.internalFormat, binding.width, binding.height, 0, layout.format,
                    layout.type, nullptr);
    for (GLsizei row = 0; row < binding.height; ++row)
      gl.texSubImage2D(binding.target, 0, 0, row, binding.width, 1, layout.format, layout.type,
                       base + row * rowBytes);
  }
  IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  return seed;
}

// What the bound draw framebuffer holds becomes the surface's memory.
uint32_t readBack(const Binding& binding, GLuint framebuffer) {
  IOSurfaceRef surface = binding.surface.get();
  IOSurfaceLock(surface, 0, nullptr);
  auto* base = static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface));
  const size_t rowBytes = IOSurfaceGetBytesPerRow(surface);
  const SurfacePixelLayout& layout = binding.layout;
  GLint read = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
  realGL().bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  if (rowBytes % layout.bytesPerPixel == 0) {
    PixelStoreScope pack(PixelStoreScope::Pack, static_cast<GLint>(rowBytes / layout.bytesPerPixel));
    glReadPixels(0, 0, binding.width, binding.height, layout.format, layout.type, base);
  } else {
    PixelStoreScope pack(PixelStoreScope::Pack, 0);
    for (GLsizei row = 0; row < binding.height; ++row)
      glReadPixels(0, row, binding.width, 1, layout.format, layout.type, base + row * rowBytes);
  }
  realGL().bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
  uint32_t seed = 0;
  IOSurfaceUnlock(surface, 0, &seed);
  return seed;
}

}  // namespace

void attach(GLenum target, GLuint texture, const SurfacePixelLayout& layout, GLsizei width, GLsizei height,
            IOSurfaceRef surface) {
  Binding binding{RefPtr<__IOSurface>(surface), target, layout, width, height, 0};
  binding.seed = upload(binding, true);
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.bindings.insert_or_assign(texture, std::move(binding));
  t.size = t.bindings.size();
}

void textureBound(GLenum target, GLuint texture) {
  Binding binding;
  if (texture == 0 || !find(texture, binding) || binding.target != target) return;
  if (IOSurfaceGetSeed(binding.surface.get()) == binding.seed) return;
  recordSeed(texture, binding, upload(binding, false));
}

void drawFramebufferChanging(GLuint next) {
  if (table().size.load(std::memory_order_relaxed) == 0) return;
  GLint current = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &current);
  if (current == 0 || static_cast<GLuint>(current) == next) return;
  GLint type = GL_NONE, name = 0;
  glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
  if (type != GL_TEXTURE) return;
  glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
  Binding binding;
  if (!find(static_cast<GLuint>(name), binding)) return;
  if (glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return;
  recordSeed(static_cast<GLuint>(name), binding, readBack(binding, static_cast<GLuint>(current)));
}

void texturesDeleted(GLsizei count, const GLuint* textures) {
  if (table().size.load(std::memory_order_relaxed) == 0 || !textures) return;
  for (GLsizei i = 0; i < count; ++i) erase(textures[i]);
}

void textureRespecified(GLenum target, GLint level) {
  const GLenum query = bindingQuery(target);
  if (level != 0 || query == GL_NONE || table().size.load(std::memory_order_relaxed) == 0) return;
  GLint texture = 0;
  glGetIntegerv(query, &texture);
  if (texture != 0) erase(static_cast<GLuint>(texture));
}

}  // namespace OpenGLBackend::SurfaceTextures
