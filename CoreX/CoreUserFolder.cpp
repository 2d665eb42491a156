#include "CoreUserFolder.h"

#include <Carbon/Folders.h>

#include "CoreMachDebug.h"
#include "LFSRef.h"

CoreUserFolder::CoreUserFolder(OSType folderType, FSVolumeRefNum domain)
    : CoreUserFolder(nullptr, folderType, domain) {}

CoreUserFolder::CoreUserFolder(const char* subFolderName, OSType folderType, FSVolumeRefNum domain)
    : mSubFolderName(subFolderName), mFolderType(folderType), mDomain(domain) {
  FSRef found;
  VERIFY(GetFileRef(found));
}

bool CoreUserFolder::GetFileRef(FSRef& out) const {
  return VERIFY(FSRefOfFoundFolder(out, mFolderType, mDomain, mSubFolderName));
}

CFURLRef CoreUserFolder::GetURLRef() const {
  FSRef folder;
  if (!VERIFY(GetFileRef(folder))) return nullptr;
  CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, &folder);
  VERIFY(url != nullptr);
  return url;
}

bool CoreUserFolder::GetUnixPath(CoreUnixPath& out) const {
  CFURLRef urlRef = GetURLRef();
  if (!VERIFY(urlRef)) return false;
  CoreUnixPath path(urlRef);
  CFRelease(urlRef);
  out = path;
  return !out.IsEmpty();
}

bool CoreUserFolder::FSRefOfFoundFolder(FSRef& out, OSType folderType, FSVolumeRefNum domain,
                                        const char* subFolderName) {
  FSRef found;
  if (!VERIFY_OSERR(FSFindFolder(domain, folderType, kCreateFolder, &found))) return false;
  if (!subFolderName) {
    out = found;
    return true;
  }
  LFSRef folder;
  if (!VERIFY(folder.Construct(&found, subFolderName))) return false;
  if (!folder.IsFolder() && !VERIFY(folder.CreateFolder())) return false;
  return VERIFY(folder.GetNormalizedRef(out));
}
