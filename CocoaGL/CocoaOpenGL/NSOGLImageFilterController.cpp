#include "NSOGLImageFilterController.h"

#include <Foundation/NSKeyValueCoding.h>

#include "NSOGLSharingContext.h"

OBJC_CLASS_DEFINE(NSOGLImageFilterController)

NS_PROPERTIES(NSOGLImageFilterController, NS_OUTLET("delegate", &NSOGLImageFilterController::delegate),
              NS_OUTLET("outletInputFilter", &NSOGLImageFilterController::outletInputFilter),
              NS_OUTLET("outletShaderName", &NSOGLImageFilterController::outletShaderName))

bool NSOGLImageFilterController::drawableInitialize(NSObject*) {
  if (outletShaderName)
    initializeOpenGLContext_shaderName(NSOGLSharingContext::defaultSharedContext(), outletShaderName.get());
  resetDefaults(this);
  return true;
}

RefPtr<protocol_NSOGLDynamicTexture> NSOGLImageFilterController::inputImage() {
  RefPtr<NSObject> input = outletInputFilter.get();
  auto* stage = dynamic_cast<NSOGLImageFilterProtocol*>(input.get());
  return stage ? stage->outputImage() : nullptr;
}

bool NSOGLImageFilterController::textureUpdate() {
  const bool updated = NSOGLImageFilterBase::textureUpdate();
  RefPtr<NSObject> listener = delegate.get();
  auto* receiver = dynamic_cast<NSOGLImageFilterControllerDelegate*>(listener.get());
  if (!updated || !receiver) return updated;
  if (RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader()) {
    if (CGImageRef image = target->createSurfaceImageLockingSurfaceWithColorSpace(textureColorSpace())) {
      receiver->imageFilter_didRenderOutputImage(this, image);
      CGImageRelease(image);
    }
  }
  return updated;
}

void NSOGLImageFilterController::dealloc() {
  delegate = nullptr;
  outletInputFilter = nullptr;
  outletShaderName = nullptr;
  NSOGLImageFilterBase::dealloc();
}
