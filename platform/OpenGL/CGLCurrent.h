#pragma once
// The context current on the calling thread. Each thread has its own; a context may be
// current on several threads at once (each thread then works on its own GL state of it,
// over the objects the contexts share).
#include <OpenGL/CGLTypes.h>

// Makes ctx current on this thread (NULL: none). A current context stays alive while it is
// current, even when its last other reference goes.
OPENGL_EXPORT CGLError CGLSetCurrentContext(CGLContextObj ctx);
// The context current on this thread, not retained; NULL when none is.
OPENGL_EXPORT CGLContextObj CGLGetCurrentContext(void);
