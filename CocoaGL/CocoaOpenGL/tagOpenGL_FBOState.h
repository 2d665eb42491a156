#pragma once
// The draw framebuffer binding and the viewport, saved before rendering into an offscreen
// framebuffer and put back after it.
#include <OpenGL/gl.h>

#include <cstdint>

struct tagOpenGL_FBOState {
  int32_t _saveFrameBufferObject = 0;
  int32_t _saveViewPort[4] = {0, 0, 0, 0};
};

void OpenGL_FBOStateSave(tagOpenGL_FBOState* state);
void OpenGL_FBOStateRestore(const tagOpenGL_FBOState* state);
