#pragma once
// One OpenGL texture object: its target, name and size, two flips that become its texture
// coordinates, a needs-update flag, an optional recursive lock, and the application of a
// normalised texture matrix. All GL work runs on the CGL context current on the calling
// thread; without one, creation and uploads do nothing.
#include <CoreGraphics/CGGeometry.h>
#include <OpenGL/OpenGL.h>
#include <OpenGL/gl.h>

#include <atomic>
#include <mutex>

#include "protocol_NSOGLTexture.h"

struct tagNSOGLFrameBufferObject;
class NSBitmapImageRep;
class NSOpenGLContext;
class NSRecursiveLock;
class NSView;

class NSOGLTextureBase : public protocol_NSOGLDynamicTexture {
  OBJC_CLASS_DECL(NSOGLTextureBase, NSObject)

 public:
  // The name of a texture that has none yet.
  static constexpr uint32_t kNoTextureName = 0xFFFFFFFF;

  // GL_TEXTURE_2D of 0 x 0.
  NSObject* init() override;
  // For a 2D or rectangle target, makes the GL texture at once and fills it (textureUpdate);
  // other targets are kept but get no GL texture.
  virtual NSOGLTextureBase* initWithTextureTarget_textureWidth_textureHeight(uint32_t target, uint32_t width,
                                                                             uint32_t height);
  NSOGLTextureBase* initWithTextureTarget_textureWidth_textureHeight_openGLContext(uint32_t target,
                                                                                   uint32_t width,
                                                                                   uint32_t height,
                                                                                   NSOpenGLContext* context);
  // Adopts an existing GL name; fills it when needsUpdate is YES.
  NSOGLTextureBase* initWithTextureName_textureTarget_textureWidth_textureHeight_needsUpdate(
      uint32_t name, uint32_t target, uint32_t width, uint32_t height, bool needsUpdate);

  void createTextureID();
  virtual void initTextureProperties();

  // protocol_NSOGLTexture
  uint32_t textureTarget() const override { return mTextureTarget; }
  uint32_t textureName() const override { return mTextureName; }
  uint32_t textureWidth() const override { return mTextureWidth; }
  uint32_t textureHeight() const override { return mTextureHeight; }
  float textureCoordSMin() const override {
    return mFlipHorizontal ? targetTextureCoordSMax() : targetTextureCoordSMin();
  }
  float textureCoordSMax() const override {
    return mFlipHorizontal ? targetTextureCoordSMin() : targetTextureCoordSMax();
  }
  float textureCoordTMin() const override {
    return mFlipVertical ? targetTextureCoordTMax() : targetTextureCoordTMin();
  }
  float textureCoordTMax() const override {
    return mFlipVertical ? targetTextureCoordTMin() : targetTextureCoordTMax();
  }
  void textureWithMatrix(const tagNSOGLNormalTextureMatrix* matrix) override;

  // protocol_NSOGLDynamicTexture
  void setTextureName(uint32_t name) override { mTextureName = name; }
  void setTextureWidth(uint32_t width) override { mTextureWidth = width; }
  void setTextureHeight(uint32_t height) override { mTextureHeight = height; }
  bool flipVertical() const override { return mFlipVertical; }
  void setFlipVertical(bool flip) override { mFlipVertical = flip; }
  bool flipHorizontal() const override { return mFlipHorizontal; }
  void setFlipHorizontal(bool flip) override { mFlipHorizontal = flip; }
  bool textureUpdateNeeded() const override { return mTextureUpdateNeeded; }
  void setTextureUpdateNeeded(bool needed) override { mTextureUpdateNeeded = needed; }
  void lock() override;
  void unlock() override;
  bool textureUpdate() override { return textureUpdateDefault(); }

  bool tryLock();
  bool isDirty() const { return textureUpdateNeeded(); }
  void setDirty(bool dirty) { setTextureUpdateNeeded(dirty); }
  NSRecursiveLock* optionalMutex() const;
  void setOptionalMutex(NSRecursiveLock* mutex);

  CGSize textureSize() const { return CGSizeMake(mTextureWidth, mTextureHeight); }
  float targetTextureCoordSMin() const { return 0.0f; }
  float targetTextureCoordTMin() const { return 0.0f; }
  float targetTextureCoordSMax() const;
  float targetTextureCoordTMax() const;

  bool textureUpdateDefault() { return textureUpdateTransparent_GL_RGBA(); }
  // Gives the texture an image of its size with undefined contents; answers NO.
  bool textureUpdateNull();

  // Applies a normalised matrix to the current GL matrix for a texture's coordinates.
  static void applyTextureMatrix_textureMatrix_context(protocol_NSOGLTexture* texture,
                                                       const tagNSOGLNormalTextureMatrix* matrix,
                                                       CGLContextObj context);

  // Uploads (the category textureUpdate).
  bool textureUpdateFromBitmapData(NSBitmapImageRep* bitmap);
  bool textureUpdateFromBitmapDataSameSize(NSBitmapImageRep* bitmap);
  bool textureUpdateFromBitmapDataResize(NSBitmapImageRep* bitmap);
  bool textureUpdateTransparent_GL_RGBA();
  // Rows of bitsPerPixel / samplesPerPixel pixels (8-bit luminance, 24-bit RGB, else RGBA),
  // rowBytes apart, at least as many as the texture is high.
  bool textureUpdateFromPixelData_rowBytes_bitsPerPixel_samplesPerPixel_hasAlpha(
      const void* pixelData, size_t rowBytes, size_t bitsPerPixel, size_t samplesPerPixel, bool hasAlpha);
  bool textureUpdateFrom_2vuy_data_rowBytes_pixelFormat(const void* data, size_t rowBytes,
                                                        uint32_t pixelFormat);
  bool textureUpdateFrom_2vuy_data_PBO_pixelFormat(const void* data, uint32_t pixelFormat);
  bool textureUpdateFromViewContents_textureContext(NSView* view, NSOpenGLContext* context);

  // Framebuffer operations (the category NSOGLFrameBufferObject): a framebuffer drawing into
  // this texture, with a depth renderbuffer; each render pass is begin ... end.
  bool constructFrameBufferObject(tagNSOGLFrameBufferObject* fbo);
  bool beginRenderToFrameBufferObject(tagNSOGLFrameBufferObject* fbo);
  bool endRenderToFrameBufferObject_flush(tagNSOGLFrameBufferObject* fbo, bool flush);
  bool destructFrameBufferObject(tagNSOGLFrameBufferObject* fbo);

  const __CFString* copyDescription() const override;

 protected:
  NSOGLTextureBase() = default;
  void dealloc() override;

  // The binding query of the texture's target.
  GLenum bindingQuery() const;
  // The name bound to the texture's target now; -1 when the query wrote nothing.
  GLint currentBinding() const;
  void restoreBinding(GLint name) const;

 private:
  RefPtr<NSRecursiveLock> lockMadeOnFirstUse();

  uint32_t mTextureTarget = GL_TEXTURE_2D;
  uint32_t mTextureName = kNoTextureName;
  uint32_t mTextureWidth = 0;
  uint32_t mTextureHeight = 0;
  // Set by owners on one thread while renderers read them on another.
  std::atomic<bool> mTextureUpdateNeeded{false};
  std::atomic<bool> mFlipVertical{false};
  std::atomic<bool> mFlipHorizontal{false};
  mutable std::mutex mOptionalMutexGuard;
  RefPtr<NSRecursiveLock> mOptionalMutex;
};
