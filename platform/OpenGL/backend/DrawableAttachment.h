#pragma once
// Attaching, sizing and taking away a context's drawable (the calls of CGLDrawable.h and the
// backing-size parameter), on a context that is not NULL.
#include <OpenGL/CGLDrawable.h>

namespace OpenGLBackend {

CGLError attachDrawable(CGLContextObj ctx, GLint width, GLint height, CGLDrawablePresenter presenter,
                        void* info);
CGLError detachDrawable(CGLContextObj ctx);
// Gives the drawable, when there is one, the size it should have now: the backing size
// parameter while that is enabled, else the size the window layer attached it with.
void applyDrawableSize(CGLContextObj ctx);

}  // namespace OpenGLBackend
