#pragma once
// The variant of this layer that the audio plug-ins carry tells every message it has to drop
// at once on the console (directly with NSLog, not through the queue): in the audio server
// a lost report is otherwise invisible. The other deliverables drop silently.

// Writes "LOGGING:REQUIRED[<function>:<line>] <what>".
void RequiredTellDrop(const char* function, int line, const char* what);

// REQUIRED_TELL_DROP_IN names the public function on whose behalf a helper drops a message.
#if defined(REQUIRED_TELLS_DROPS) && REQUIRED_TELLS_DROPS
#define REQUIRED_TELL_DROP_IN(function, what) RequiredTellDrop(function, __LINE__, what)
#else
#define REQUIRED_TELL_DROP_IN(function, what) ((void)(function))
#endif
#define REQUIRED_TELL_DROP(what) REQUIRED_TELL_DROP_IN(__FUNCTION__, what)
