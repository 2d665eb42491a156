#include "CoreRefPath.h"

#include <cstring>

CoreRefPath::CoreRefPath() {
  std::memset(&mFSRef, 0, sizeof mFSRef);
  std::memset(mPath, 0, sizeof mPath);
}
