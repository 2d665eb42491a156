#pragma once
// The GL interface of the system: the standard entry points and, beside them, the Apple
// extensions that have no Mesa counterpart. Their tokens come from Mesa's glext.h; these
// layers map them: client storage is ignored (uploads always copy), the 4:2:2 'yuv' format
// uploads as GL_YCBCR_MESA, and the flush-render calls are the standard flush and finish.
#include <OpenGL/gltypes.h>

// glFlush: the commands so far are on their way.
OPENGL_EXPORT void glFlushRenderAPPLE(void);
// glFinish: the commands so far have completed.
OPENGL_EXPORT void glFinishRenderAPPLE(void);
// Presents the current context's drawable (see CGLFlushDrawable); a context without one
// only flushes.
OPENGL_EXPORT void glSwapAPPLE(void);
