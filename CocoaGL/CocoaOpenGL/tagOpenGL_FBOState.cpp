#include "tagOpenGL_FBOState.h"

#include "OpenGLErrors.h"

void OpenGL_FBOStateSave(tagOpenGL_FBOState* state) {
  state->_saveFrameBufferObject = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &state->_saveFrameBufferObject);
  OpenGL::drainErrors();
  glGetIntegerv(GL_VIEWPORT, state->_saveViewPort);
  OpenGL::drainErrors();
}

void OpenGL_FBOStateRestore(const tagOpenGL_FBOState* state) {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(state->_saveFrameBufferObject));
  OpenGL::drainErrors();
  glViewport(state->_saveViewPort[0], state->_saveViewPort[1], state->_saveViewPort[2],
             state->_saveViewPort[3]);
  OpenGL::drainErrors();
}
