#pragma once
// The filter as interface files make it: its shader name and the stage before it come from
// the file, it initialises itself when the owning view's drawable exists, and it may hand
// each rendered output, as a picture, to a delegate.
#include <CoreGraphics/CGImage.h>
#include <objc/WeakPtr.h>

#include "NSOGLImageFilterBase.h"

class NSOGLImageFilterController;

// The delegate's optional method: one picture of the output after each successful step.
class NSOGLImageFilterControllerDelegate {
 public:
  virtual void imageFilter_didRenderOutputImage(NSOGLImageFilterController* filter, CGImageRef image) = 0;

 protected:
  ~NSOGLImageFilterControllerDelegate() = default;
};

class NSOGLImageFilterController : public NSOGLImageFilterBase,
                                   public NSOGLImageFilterProtocol_drawableInitialize {
  OBJC_CLASS_DECL(NSOGLImageFilterController, NSOGLImageFilterBase)

 public:
  void awakeFromNib() override {}
  // Subclasses put their controls back to their defaults.
  virtual void resetDefaults(NSObject*) {}
  // With a shader name: the render target on the shared context; then the defaults. YES.
  bool drawableInitialize(NSObject* sender) override;
  // The previous stage's output, none without one.
  RefPtr<protocol_NSOGLDynamicTexture> inputImage() override;
  bool textureUpdate() override;

  // Outlets of the interface file, not retained: a delegate answering
  // NSOGLImageFilterControllerDelegate, and the previous stage (an NSOGLImageFilterProtocol).
  WeakPtr<NSObject> delegate;
  WeakPtr<NSObject> outletInputFilter;
  RefPtr<NSString> outletShaderName;

 protected:
  NSOGLImageFilterController() = default;
  void dealloc() override;
};
