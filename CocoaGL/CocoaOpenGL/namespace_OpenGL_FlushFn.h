#pragma once
// The flush policy a view applies at the end of each frame: a mode naming the GL call that
// ends the frame, and an optional block that runs once per frame after it (or, in the block
// mode, in its place).
#include <cstdint>
#include <functional>

enum : int32_t {
  OpenGL_Flush_WithBlock = -1,
  OpenGL_Flush_None = 0,
  OpenGL_Flush_FlushApple = 1,
  OpenGL_Flush_FlushGL = 2,
  OpenGL_Flush_FinishApple = 3,
  OpenGL_Flush_FinishGL = 4,
  OpenGL_Flush_SwapApple = 5,
  OpenGL_Flush_SwapGL = 6,
};

struct FlushFn {
  int32_t mFlushFn = OpenGL_Flush_None;
  // Called with the in-flush flag; empty when none.
  std::function<void(bool)> mFlushBlock;
};

namespace OpenGL {

// Ends a frame by the record's mode on the current context; a null record does nothing.
void FlushFn(const ::FlushFn* flushFn, bool inFlush);

}  // namespace OpenGL
