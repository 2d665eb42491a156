#pragma once
// POSIX calls reached through "System.framework", loaded at run time on first use instead of
// being linked. Each answers as the call does; when the framework or the function cannot be
// had, the call fails with errno ENOSYS (null or -1), never with a pretended success.
#include <cstddef>

namespace SystemFramework {

char* getcwd(char* buffer, size_t size);
int chdir(const char* in_utf8_path_string);
int mprotect(void* address, size_t length, int protection);

}  // namespace SystemFramework
