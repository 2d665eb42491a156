#pragma once
// Whether a file reference still names an existing item, and its POSIX path.
#include <cstddef>

#include <Carbon/Files.h>

// True when the catalogue can be read for the reference (its creation date).
bool bool_FSRef_IsValid(const FSRef& fileRef);
// The reference's path into `path` (cleared first); false for an invalid reference or a path
// that does not fit.
bool bool_FSRef_GetUnixPath(const FSRef& fileRef, char* path, size_t size);
