// File URLs of references: a reference's path in the file-system representation of a URL.
#include <climits>

#include <Carbon/Files.h>

#include "backend/FileIdentity.h"

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef allocator, const FSRef* fsRef) {
  std::string path;
  struct statx info;
  if (!CarbonFiles::pathOfRef(fsRef, path, &info)) return nullptr;
  return CFURLCreateFromFileSystemRepresentation(allocator, reinterpret_cast<const UInt8*>(path.data()),
                                                 CFIndex(path.size()), S_ISDIR(info.stx_mode));
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef) {
  UInt8 path[PATH_MAX];
  if (!url || !fsRef || !CFURLGetFileSystemRepresentation(url, true, path, sizeof path)) return false;
  return FSPathMakeRef(path, fsRef, nullptr) == noErr;
}
