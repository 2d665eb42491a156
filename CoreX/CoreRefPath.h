#pragma once
// A folder given twice: as a file reference and as its UTF-8 POSIX path.
#include <Carbon/Files.h>

class CoreRefPath {
 public:
  static constexpr size_t kPathSize = 1024;

  CoreRefPath();
  const char* GetUnixPath() const { return mPath; }

 protected:
  FSRef mFSRef;
  char mPath[kPathSize];
};
