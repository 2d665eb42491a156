// The framebuffer operations of a texture (category NSOGLFrameBufferObject).
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSString.h>

#include "NSOGLTextureBase.h"
#include "OpenGLErrors.h"
#include "OpenGLSomeContext.h"
#include "namespace_OpenGL_CGLContextState.h"
#include "protocol_NSOGLFrameBufferObject.h"

bool NSOGLTextureBase::constructFrameBufferObject(tagNSOGLFrameBufferObject* fbo) {
  OpenGL_FBOStateSave(&fbo->_state);
  if (textureName() == 0 || textureName() == kNoTextureName) {
    OpenGL_FBOStateRestore(&fbo->_state);
    return false;
  }
  bool succeeded;
  {
    OpenGL::CGLContextState guard;
    glBindTexture(textureTarget(), 0);
    // A name of its own: a framebuffer named after the texture could be handed out again by
    // glGenFramebuffers elsewhere, and could not be deleted with the texture.
    glGenFramebuffersEXT(1, &fbo->_frameBufferName);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo->_frameBufferName);
    OpenGL::drainErrors();
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_RECTANGLE_ARB,
                              textureName(), 0);
    OpenGL::drainErrors();
    glGenRenderbuffersEXT(1, &fbo->_depthBufferName);
    OpenGL::drainErrors();
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, fbo->_depthBufferName);
    OpenGL::drainErrors();
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, static_cast<GLsizei>(textureWidth()),
                             static_cast<GLsizei>(textureHeight()));
    OpenGL::drainErrors();
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    OpenGL::drainErrors();
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 fbo->_depthBufferName);
    OpenGL::drainErrors();
    fbo->_is_complete = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (fbo->_is_complete != GL_FRAMEBUFFER_COMPLETE_EXT)
      NSLog(NSSTR("%d=glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT)\n"),
            static_cast<int>(fbo->_is_complete));
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    succeeded = glGetError() == GL_NO_ERROR;
    if (!succeeded) OpenGL::drainErrors();
  }
  OpenGL_FBOStateRestore(&fbo->_state);
  return succeeded;
}

bool NSOGLTextureBase::beginRenderToFrameBufferObject(tagNSOGLFrameBufferObject* fbo) {
  OpenGL::CGLContextState guard;
  OpenGL_FBOStateSave(&fbo->_state);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo->_frameBufferName);
  OpenGL::drainErrors();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  OpenGL::drainErrors();
  return true;
}

bool NSOGLTextureBase::endRenderToFrameBufferObject_flush(tagNSOGLFrameBufferObject* fbo, bool flush) {
  if (flush) {
    glFlushRenderAPPLE();
    OpenGL::drainErrors();
  }
  // Leaving the framebuffer also brings what was drawn into a surface the texture shows.
  OpenGL_FBOStateRestore(&fbo->_state);
  OpenGL::drainErrors();
  return true;
}

bool NSOGLTextureBase::destructFrameBufferObject(tagNSOGLFrameBufferObject* fbo) {
  bool succeeded = true;
  OpenGL::inSomeContext([&] {
    if (fbo->_depthBufferName != 0) glDeleteRenderbuffersEXT(1, &fbo->_depthBufferName);
    // Deleted with its owner: a framebuffer left behind keeps the texture's storage alive.
    if (fbo->_frameBufferName != 0) glDeleteFramebuffersEXT(1, &fbo->_frameBufferName);
    succeeded = glGetError() == GL_NO_ERROR;
    if (!succeeded) OpenGL::drainErrors();
  });
  fbo->_depthBufferName = 0;
  fbo->_frameBufferName = 0;
  return succeeded;
}
