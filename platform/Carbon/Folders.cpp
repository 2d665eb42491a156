// The Folder Manager: a table of (domain, folder type) to folders under the user's home,
// the local domain and the system domain of the system root.
#include <Carbon/Folders.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <CoreFoundation/CFPlatformRoot.h>

#include "backend/FileIdentity.h"

namespace {

struct FolderPlace {
  OSType type;
  const char* name;  // below the domain's Library folder, or below $HOME for the user's documents
  bool userDocuments;
};

const FolderPlace kPlaces[] = {
    {kDomainLibraryFolderType, "", false},
    {kLogsFolderType, "Logs", false},
    {kFrameworksFolderType, "Frameworks", false},
    {kQuickTimeComponentsFolderType, "QuickTime", false},
    {kPreferencesFolderType, "Preferences", false},
    {kApplicationSupportFolderType, "Application Support", false},
    {kCachesFolderType, "Caches", false},
    {kDesktopPicturesFolderType, "Desktop Pictures", false},
    {kDesktopFolderType, "Desktop", true},
    {kDocumentsFolderType, "Documents", true},
    {kPictureDocumentsFolderType, "Pictures", true},
    {kMovieDocumentsFolderType, "Movies", true},
};

const FolderPlace* placeOf(OSType type) {
  for (const FolderPlace& place : kPlaces) {
    if (place.type == type) return &place;
  }
  return nullptr;
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The domain's Library folder; empty for a domain this system does not have.
std::string libraryOf(FSVolumeRefNum domain) {
  switch (domain) {
    case kUserDomain: return withoutTrailingSlashes(CFPlatform::homePath()) + "/Library";
    case kLocalDomain: return withoutTrailingSlashes(CFPlatform::systemPath("/Library"));
    case kSystemDomain: return withoutTrailingSlashes(CFPlatform::systemPath("/System/Library"));
    default: return std::string();
  }
}

// "On a disk" means the domain where such a folder usually is: the user's own for what
// belongs to the user, the system's for the rest.
FSVolumeRefNum domainOnDisk(const FolderPlace& place) {
  switch (place.type) {
    case kFrameworksFolderType:
    case kQuickTimeComponentsFolderType:
    case kDesktopPicturesFolderType:
    case kDomainLibraryFolderType: return kSystemDomain;
    default: return kUserDomain;
  }
}

OSErr folderPath(FSVolumeRefNum domain, OSType type, std::string& path) {
  if (type == kTemporaryFolderType) {
    const char* temporary = getenv("TMPDIR");
    path = withoutTrailingSlashes(temporary && *temporary ? temporary : "/tmp");
    return noErr;
  }
  const FolderPlace* place = placeOf(type);
  if (!place) return fnfErr;
  if (domain == kOnSystemDisk || domain == kOnAppropriateDisk) domain = domainOnDisk(*place);
  if (place->userDocuments) {
    if (domain != kUserDomain) return fnfErr;
    path = withoutTrailingSlashes(CFPlatform::homePath()) + "/" + place->name;
    return noErr;
  }
  std::string library = libraryOf(domain);
  if (library.empty()) return nsvErr;
  path = *place->name ? library + "/" + place->name : library;
  return noErr;
}

// Makes the folder and any missing parents; answers 0 or the errno of the step that failed.
int makeFolderChain(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) {
    if (int error = makeFolderChain(path.substr(0, slash))) return error;
  }
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return errno;
  return 0;
}

}  // namespace

OSErr FSFindFolder(FSVolumeRefNum vRefNum, OSType folderType, Boolean createFolder, FSRef* foundRef) {
  if (!foundRef) return paramErr;
  std::memset(foundRef, 0, sizeof *foundRef);
  std::string path;
  if (OSErr error = folderPath(vRefNum, folderType, path)) return error;
  if (createFolder) {
    if (int error = makeFolderChain(path)) return CarbonFiles::errorFromErrno(error);
  }
  return FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), foundRef, nullptr);
}
