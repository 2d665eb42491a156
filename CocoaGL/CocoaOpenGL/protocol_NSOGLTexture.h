#pragma once
// What every texture answers (the IOSurface, picture and Core Video textures alike), and the
// normalised texture matrix the drawing applies to one.
//
// The protocols are abstract object classes, so that a renderer can hold "any texture" with a
// strong reference.
#include <Foundation/NSObject.h>

#include <cstdint>

#include "T_normal_value.h"

// Four values within 0 to 1: angle in turns (1 is 360 degrees), scale (the factor applied is
// twice the value, so 0.5 is 1:1), and the translations (0.5 is centred).
struct tagNSOGLNormalTextureMatrix {
  T_normal_value<CoreGeometry::T_clamped_value<float> > angle;
  T_normal_value<CoreGeometry::T_clamped_value<float> > scale;
  T_normal_value<CoreGeometry::T_clamped_value<float> > translate_x;
  T_normal_value<CoreGeometry::T_clamped_value<float> > translate_y;
};

// The matrix that changes nothing.
constexpr tagNSOGLNormalTextureMatrix kNSOGLNeutralTextureMatrix = {0.0f, 0.5f, 0.5f, 0.5f};

class protocol_NSOGLTexture : public NSObject {
 public:
  virtual uint32_t textureTarget() const = 0;
  virtual uint32_t textureName() const = 0;
  virtual uint32_t textureWidth() const = 0;
  virtual uint32_t textureHeight() const = 0;
  // The coordinates of the texture's edges, flips applied (texels for a rectangle texture).
  virtual float textureCoordSMin() const = 0;
  virtual float textureCoordSMax() const = 0;
  virtual float textureCoordTMin() const = 0;
  virtual float textureCoordTMax() const = 0;
  // Loads the matrix (null: identity) into the current GL matrix, which callers select.
  virtual void textureWithMatrix(const tagNSOGLNormalTextureMatrix* matrix) = 0;

 protected:
  protocol_NSOGLTexture() = default;
};

class protocol_NSOGLDynamicTexture : public protocol_NSOGLTexture {
 public:
  virtual void setTextureName(uint32_t name) = 0;
  virtual void setTextureWidth(uint32_t width) = 0;
  virtual void setTextureHeight(uint32_t height) = 0;
  virtual bool flipVertical() const = 0;
  virtual void setFlipVertical(bool flip) = 0;
  virtual bool flipHorizontal() const = 0;
  virtual void setFlipHorizontal(bool flip) = 0;
  virtual bool textureUpdateNeeded() const = 0;
  virtual void setTextureUpdateNeeded(bool needed) = 0;
  virtual void lock() = 0;
  virtual void unlock() = 0;
  virtual bool textureUpdate() = 0;

 protected:
  protocol_NSOGLDynamicTexture() = default;
};
