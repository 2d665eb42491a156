#include "namespace_OpenGL_FlushFn.h"

#include <CoreMachDebug.h>
#include <OpenGL/gl.h>

#include "OpenGLErrors.h"

namespace OpenGL {
namespace {

struct Mode {
  const char* name;
  void (*flush)();
};

// Modes 1 to 6.
const Mode kModes[] = {
    {"OpenGL_Flush_FlushApple", glFlushRenderAPPLE},   {"OpenGL_Flush_FlushGL", [] { glFlush(); }},
    {"OpenGL_Flush_FinishApple", glFinishRenderAPPLE}, {"OpenGL_Flush_FinishGL", [] { glFinish(); }},
    {"OpenGL_Flush_SwapApple", glSwapAPPLE},           {"OpenGL_Flush_SwapGL", glSwapAPPLE},
};

}  // namespace

void FlushFn(const ::FlushFn* flushFn, bool inFlush) {
  if (!flushFn) return;
  const int32_t mode = flushFn->mFlushFn;
  if (mode == OpenGL_Flush_WithBlock) {
    ZidaZoraDurodAri("namespace_OpenGL_FlushFn:%s:in_flush:%d\n", "OpenGL_Flush_WithBlock", inFlush ? 1 : 0);
    if (flushFn->mFlushBlock) flushFn->mFlushBlock(inFlush);
  } else if (mode >= OpenGL_Flush_FlushApple && mode <= OpenGL_Flush_SwapGL) {
    const Mode& chosen = kModes[mode - OpenGL_Flush_FlushApple];
    ZidaZoraDurodAri("namespace_OpenGL_FlushFn:%s:in_flush:%d\n", chosen.name, inFlush ? 1 : 0);
    if (inFlush) chosen.flush();
  }
  drainErrors();
  if (mode != OpenGL_Flush_WithBlock && flushFn->mFlushBlock) flushFn->mFlushBlock(inFlush);
}

}  // namespace OpenGL
