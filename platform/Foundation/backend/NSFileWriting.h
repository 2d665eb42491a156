#pragma once
// Writing a whole file for Foundation's writeTo… methods.
#include <cstddef>

namespace Foundation {
// Writes the bytes to path; answers 0 or the errno of the failure. An atomic write goes to a
// temporary file beside the target, is flushed to disk and renamed over it, so that a crash
// leaves the old file or the new one; a failed write removes the temporary file.
int writeFile(const char* path, const void* bytes, size_t length, bool atomically);
}  // namespace Foundation
