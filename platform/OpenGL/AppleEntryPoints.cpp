#include <OpenGL/OpenGL.h>
#include <OpenGL/gl.h>

void glFlushRenderAPPLE(void) { glFlush(); }

void glFinishRenderAPPLE(void) { glFinish(); }

void glSwapAPPLE(void) {
  if (CGLContextObj ctx = CGLGetCurrentContext())
    CGLFlushDrawable(ctx);
  else
    glFlush();
}
