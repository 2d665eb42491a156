#pragma once
// A standard folder of a domain, by folder type, optionally with a sub-folder inside it that
// is made on first use. Every query looks the folder up again.
#include <Carbon/Files.h>
#include <CoreFoundation/CFURL.h>

#include "CoreUnixPath.h"

class CoreUserFolder {
 public:
  CoreUserFolder(OSType folderType, FSVolumeRefNum domain);
  CoreUserFolder(const char* subFolderName, OSType folderType, FSVolumeRefNum domain);

  bool GetFileRef(FSRef& out) const;
  // A new URL (+1), or null.
  CFURLRef GetURLRef() const;
  bool GetUnixPath(CoreUnixPath& out) const;

  static bool FSRefOfFoundFolder(FSRef& out, OSType folderType, FSVolumeRefNum domain, const char* subFolderName);

 private:
  const char* mSubFolderName;
  OSType mFolderType;
  FSVolumeRefNum mDomain;
};
