#include "CoreNumberedFilename.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <Carbon/Folders.h>

#include "CoreMachDebug.h"
#include "FSRefValidity.h"

OSType CoreNumberedFilename::LocationFromEnum(int location) {
  switch (location) {
    case 0: return kPictureDocumentsFolderType;
    case 2: return kDesktopPicturesFolderType;
    case 3: return kDocumentsFolderType;
    case 4: return kMovieDocumentsFolderType;
    default: return kDesktopFolderType;
  }
}

CoreNumberedFilename::CoreNumberedFilename(int location) { VERIFY(Construct(location)); }

bool CoreNumberedFilename::TakePathOfRef() { return bool_FSRef_GetUnixPath(mFSRef, mPath, sizeof mPath); }

bool CoreNumberedFilename::Construct(int location) {
  if (!VERIFY_OSERR(FSFindFolder(kUserDomain, LocationFromEnum(location), kDontCreateFolder, &mFSRef))) return false;
  return VERIFY(TakePathOfRef());
}

bool CoreNumberedFilename::Construct(const char* folder_unix_path) {
  mPath[0] = '\0';
  if (!VERIFY(folder_unix_path != nullptr)) return false;
  if (!VERIFY(FSPathMakeRef(reinterpret_cast<const UInt8*>(folder_unix_path), &mFSRef, nullptr) == noErr)) {
    return false;
  }
  return VERIFY(TakePathOfRef());
}

bool CoreNumberedFilename::IsConstructed() const { return bool_FSRef_IsValid(mFSRef) && mPath[0] != '\0'; }

bool CoreNumberedFilename::FindFirstAvailableNamedPathNumber(char (&out_path)[kPathSize], const char* name_format,
                                                             const char* extension, int& out_number) const {
  std::memset(out_path, 0, sizeof out_path);
  out_number = 0;
  if (!VERIFY(IsConstructed())) return false;
  if (!VERIFY(name_format != nullptr && extension != nullptr)) return false;
  bool reportedTooLong = false;
  for (int n = 0; n < 1000; ++n) {
    char name[kPathSize];
    char candidate[kPathSize];
    int nameLength = snprintf(name, sizeof name, name_format, n);
    int pathLength = nameLength < 0 || size_t(nameLength) >= sizeof name
                         ? -1
                         : snprintf(candidate, sizeof candidate, "%s/%s.%s", mPath, name, extension);
    // A candidate that does not fit is not available.
    if (pathLength < 0 || size_t(pathLength) >= sizeof candidate) {
      if (!reportedTooLong) reportedTooLong = !VERIFY(pathLength >= 0 && size_t(pathLength) < sizeof candidate);
      continue;
    }
    // Only a name that nothing has (not even a dangling link) is free; any other failure
    // (no permission, a folder that vanished) ends the search instead of being taken as free.
    int file = open(candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0) {
      if (errno == EEXIST) continue;
      VERIFY(errno == EEXIST);
      return false;
    }
    close(file);
    std::memcpy(out_path, candidate, size_t(pathLength) + 1);
    out_number = n;
    return true;
  }
  return false;
}

bool CoreNumberedFilename::FindFirstAvailableNamedPath(char (&out_path)[kPathSize], const char* name_format,
                                                       const char* extension) const {
  int number = 0;
  return FindFirstAvailableNamedPathNumber(out_path, name_format, extension, number);
}

bool CoreNumberedFilename::FindFirstAvailableNumber(const char* name_format, const char* extension,
                                                    int& out_number) const {
  char path[kPathSize];
  return FindFirstAvailableNamedPathNumber(path, name_format, extension, out_number);
}
