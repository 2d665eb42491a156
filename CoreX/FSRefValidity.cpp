#include "FSRefValidity.h"

#include "CoreMachDebug.h"

bool bool_FSRef_IsValid(const FSRef& fileRef) {
  FSCatalogInfo info;
  return FSGetCatalogInfo(&fileRef, kFSCatInfoCreateDate, &info, nullptr, nullptr, nullptr) == noErr;
}

bool bool_FSRef_GetUnixPath(const FSRef& fileRef, char* path, size_t size) {
  if (!path || size == 0) return false;
  path[0] = '\0';
  if (!VERIFY(bool_FSRef_IsValid(fileRef))) return false;
  return FSRefMakePath(&fileRef, reinterpret_cast<UInt8*>(path), UInt32(size)) == noErr;
}
