#pragma once
// The GL types and the standard entry points, from Mesa's own headers, with every extension
// prototype declared (the ARB and EXT entry points are called by name).
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#ifdef __cplusplus
#define OPENGL_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define OPENGL_EXPORT extern __attribute__((visibility("default")))
#endif
