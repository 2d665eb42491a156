#include <OpenGL/CGLCurrent.h>

#include "backend/ThreadContexts.h"

CGLError CGLSetCurrentContext(CGLContextObj ctx) { return OpenGLBackend::setCurrentContext(ctx); }

CGLContextObj CGLGetCurrentContext(void) { return OpenGLBackend::currentContext(); }
