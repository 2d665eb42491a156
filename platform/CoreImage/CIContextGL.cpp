#include "CIContextGL.h"

#include <CoreGraphics/CGBitmapContext.h>
#include <CoreImage/CIContext.h>
#include <CoreImage/CIImage.h>
#include <OpenGL/gl.h>

#include <cmath>

void drawImageInCurrentGLFramebuffer(CIContext* context, CIImage* image, CGRect inRect, CGRect fromRect) {
  if (!CGLGetCurrentContext()) return;
  CGImageRef picture = context->createCGImage_fromRect(image, fromRect);
  if (!picture) return;
  CGDataProviderRef provider = CGImageGetDataProvider(picture);
  CFDataRef data = provider ? CGDataProviderCopyData(provider) : nullptr;
  const GLsizei width = GLsizei(CGImageGetWidth(picture)), height = GLsizei(CGImageGetHeight(picture));
  const size_t rowBytes = CGImageGetBytesPerRow(picture);
  if (data && rowBytes % 4 == 0) {
    GLint program = 0, texture = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_TEXTURE_BINDING_RECTANGLE_ARB, &texture);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glUseProgram(0);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, name);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(rowBytes / 4));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // The picture's pixels are premultiplied B, G, R, A bytes, its top row first.
    glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 CFDataGetBytePtr(data));
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_RECTANGLE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const CGRect r = CGRectStandardize(inRect);
    glBegin(GL_QUADS);
    glTexCoord2f(0, GLfloat(height));
    glVertex2d(r.origin.x, r.origin.y);
    glTexCoord2f(GLfloat(width), GLfloat(height));
    glVertex2d(r.origin.x + r.size.width, r.origin.y);
    glTexCoord2f(GLfloat(width), 0);
    glVertex2d(r.origin.x + r.size.width, r.origin.y + r.size.height);
    glTexCoord2f(0, 0);
    glVertex2d(r.origin.x, r.origin.y + r.size.height);
    glEnd();
    glDeleteTextures(1, &name);
    glPopClientAttrib();
    glPopAttrib();
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, GLuint(texture));
    glUseProgram(GLuint(program));
  }
  if (data) CFRelease(data);
  CGImageRelease(picture);
}
