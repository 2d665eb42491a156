#pragma once
// OpenGL textures made from image buffers (see CVOpenGLTextureCache.h): rectangle textures of
// the process's share group, sized like the buffer, with coordinates in texels.
#include <CoreVideo/CVImageBuffer.h>
#include <OpenGL/gltypes.h>

typedef CVImageBufferRef CVOpenGLTextureRef;

CF_EXPORT CFTypeID CVOpenGLTextureGetTypeID(void);
CF_EXPORT CVOpenGLTextureRef CVOpenGLTextureRetain(CVOpenGLTextureRef texture);
CF_EXPORT void CVOpenGLTextureRelease(CVOpenGLTextureRef texture);
// GL_TEXTURE_RECTANGLE_ARB, the texture's name, and whether its rows run from the top of the
// picture (memory row 0 of a pixel buffer is the top row and becomes GL row 0: always YES).
CF_EXPORT GLenum CVOpenGLTextureGetTarget(CVOpenGLTextureRef image);
CF_EXPORT GLuint CVOpenGLTextureGetName(CVOpenGLTextureRef image);
CF_EXPORT Boolean CVOpenGLTextureIsFlipped(CVOpenGLTextureRef image);
// The texture coordinates of the picture's corners, as it is to be seen.
CF_EXPORT void CVOpenGLTextureGetCleanTexCoords(CVOpenGLTextureRef image, GLfloat lowerLeft[2],
                                                GLfloat lowerRight[2], GLfloat upperRight[2],
                                                GLfloat upperLeft[2]);
