// The File Manager over POSIX calls: identities from statx (creation dates from its birth
// time), Finder information in extended attributes (ItemAttributes).
#include <Carbon/Files.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "backend/FileIdentity.h"
#include "backend/ItemAttributes.h"
#include "backend/ItemNames.h"

using namespace CarbonFiles;

namespace {

// Seconds between 1904-01-01, where UTCDateTime counts from, and 1970-01-01.
constexpr int64_t kSecondsFrom1904To1970 = 2082844800;

UTCDateTime dateFromTimestamp(const struct statx_timestamp& time) {
  UTCDateTime date{};
  int64_t seconds = time.tv_sec + kSecondsFrom1904To1970;
  if (seconds < 0) return date;
  date.highSeconds = UInt16(uint64_t(seconds) >> 32);
  date.lowSeconds = UInt32(uint64_t(seconds) & 0xFFFFFFFFu);
  date.fraction = UInt16((uint64_t(time.tv_nsec) << 16) / 1000000000u);
  return date;
}

struct timespec timespecFromDate(const UTCDateTime& date) {
  struct timespec time{};
  int64_t seconds = (int64_t(date.highSeconds) << 32) | date.lowSeconds;
  time.tv_sec = time_t(seconds - kSecondsFrom1904To1970);
  time.tv_nsec = long((uint64_t(date.fraction) * 1000000000u) >> 16);
  return time;
}

UInt32 countEntries(const std::string& folder) {
  DIR* directory = opendir(folder.c_str());
  if (!directory) return 0;
  UInt32 count = 0;
  while (struct dirent* entry = readdir(directory)) {
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) ++count;
  }
  closedir(directory);
  return count;
}

std::string parentOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || path == "/") return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string lastNameOf(const std::string& path) {
  if (path == "/") return std::string();
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void fillCatalogInfo(const std::string& path, const struct statx& info, FSCatalogInfoBitmap which,
                     FSCatalogInfo& catalog) {
  ItemIdentity item = identityOf(info);
  if (which & kFSCatInfoTextEncoding) catalog.textEncodingHint = 0x7E;  // Unicode names
  if (which & kFSCatInfoNodeFlags) catalog.nodeFlags = S_ISDIR(info.stx_mode) ? kFSNodeIsDirectoryMask : 0;
  if (which & kFSCatInfoVolume) catalog.volume = FSVolumeRefNum(info.stx_dev_minor);
  if (which & kFSCatInfoParentDirID) {
    struct statx parent;
    std::string parentPath = parentOf(path);
    catalog.parentDirID = !parentPath.empty() && statItem(parentPath, parent) == 0 ? UInt32(parent.stx_ino) : 1;
  }
  if (which & kFSCatInfoNodeID) catalog.nodeID = UInt32(info.stx_ino);
  if (which & kFSCatInfoCreateDate) {
    // Where the file system keeps no birth time, the last change of the content stands in.
    catalog.createDate = dateFromTimestamp((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
  }
  if (which & kFSCatInfoContentMod) catalog.contentModDate = dateFromTimestamp(info.stx_mtime);
  if (which & kFSCatInfoAttrMod) catalog.attributeModDate = dateFromTimestamp(info.stx_ctime);
  if (which & kFSCatInfoAccessDate) catalog.accessDate = dateFromTimestamp(info.stx_atime);
  if (which & kFSCatInfoBackupDate) catalog.backupDate = UTCDateTime{};
  if (which & kFSCatInfoPermissions) {
    catalog.permissions = FSPermissionInfo{};
    catalog.permissions.userID = info.stx_uid;
    catalog.permissions.groupID = info.stx_gid;
    catalog.permissions.mode = UInt16(info.stx_mode);
  }
  if (which & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo)) {
    std::vector<UInt8> finder;
    readAttribute(path, item, kFinderInfoAttribute, finder);
    finder.resize(32, 0);
    if (which & kFSCatInfoFinderInfo) std::memcpy(catalog.finderInfo, finder.data(), 16);
    if (which & kFSCatInfoFinderXInfo) std::memcpy(catalog.extFinderInfo, finder.data() + 16, 16);
  }
  if (which & kFSCatInfoValence) catalog.valence = S_ISDIR(info.stx_mode) ? countEntries(path) : 0;
  if (which & kFSCatInfoDataSizes) {
    catalog.dataLogicalSize = S_ISREG(info.stx_mode) ? info.stx_size : 0;
    catalog.dataPhysicalSize = S_ISREG(info.stx_mode) ? info.stx_blocks * 512 : 0;
  }
  if (which & kFSCatInfoRsrcSizes) {
    std::vector<UInt8> fork;
    readAttribute(path, item, kResourceForkAttribute, fork);
    catalog.rsrcLogicalSize = catalog.rsrcPhysicalSize = fork.size();
  }
}

OSErr applyCatalogInfo(const std::string& path, const struct statx& info, FSCatalogInfoBitmap which,
                       const FSCatalogInfo* catalog) {
  if (!catalog) return noErr;
  ItemIdentity item = identityOf(info);
  if (which & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo)) {
    std::vector<UInt8> finder;
    readAttribute(path, item, kFinderInfoAttribute, finder);
    finder.resize(32, 0);
    if (which & kFSCatInfoFinderInfo) std::memcpy(finder.data(), catalog->finderInfo, 16);
    if (which & kFSCatInfoFinderXInfo) std::memcpy(finder.data() + 16, catalog->extFinderInfo, 16);
    if (int error = writeAttribute(path, item, kFinderInfoAttribute, finder)) return errorFromErrno(error);
  }
  if (which & (kFSCatInfoContentMod | kFSCatInfoAccessDate)) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    if (which & kFSCatInfoAccessDate) times[0] = timespecFromDate(catalog->accessDate);
    if (which & kFSCatInfoContentMod) times[1] = timespecFromDate(catalog->contentModDate);
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return errorFromErrno(errno);
  }
  if ((which & kFSCatInfoPermissions) && !S_ISLNK(info.stx_mode)) {
    if (chmod(path.c_str(), catalog->permissions.mode & 07777) != 0) return errorFromErrno(errno);
  }
  return noErr;
}

// The folder and the single name of an item about to be made or looked up.
OSErr childOf(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name, std::string& path) {
  std::string folder;
  struct statx info;
  if (!pathOfRef(parentRef, folder, &info)) return errFSBadFSRef;
  if (!S_ISDIR(info.stx_mode)) return errFSNotAFolder;
  std::string itemName;
  if (OSErr error = itemNameFromUnicode(nameLength, name, itemName)) return error;
  path = childPath(folder, itemName);
  return noErr;
}

// Gives a file or folder just made the catalog information asked for and answers its
// reference; `info` is left describing the item.
OSErr finishNewItem(const std::string& path, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                    FSRef* newRef, struct statx& info) {
  if (int error = statItem(path, info)) return errorFromErrno(error);
  if (OSErr error = applyCatalogInfo(path, info, whichInfo, catalogInfo)) return error;
  FSRef made;
  if (OSErr error = makeRef(path, &made)) return error;
  if (newRef) *newRef = made;
  return noErr;
}

}  // namespace

OSErr FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory) {
  if (!path || !ref) return paramErr;
  if (!*path) return fnfErr;
  char resolved[PATH_MAX];
  if (!realpath(reinterpret_cast<const char*>(path), resolved)) return errorFromErrno(errno);
  return makeRef(resolved, ref, isDirectory);
}

OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize) {
  if (!path || maxPathSize == 0) return paramErr;
  path[0] = 0;
  std::string found;
  if (!pathOfRef(ref, found)) return errFSBadFSRef;
  if (found.size() + 1 > maxPathSize) return pathTooLongErr;
  std::memcpy(path, found.c_str(), found.size() + 1);
  return noErr;
}

OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2) {
  ItemIdentity first;
  ItemIdentity second;
  if (!identityOfRef(ref1, first) || !identityOfRef(ref2, second)) return errFSBadFSRef;
  return first == second ? OSErr(noErr) : errFSRefsDifferent;
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpecPtr, FSRef* parentRef) {
  std::string path;
  struct statx info;
  if (!pathOfRef(ref, path, &info)) return errFSBadFSRef;
  if (catalogInfo) fillCatalogInfo(path, info, whichInfo, *catalogInfo);
  if (outName) {
    if (OSErr error = unicodeNameFromItemName(lastNameOf(path), *outName)) return error;
  }
  if (parentRef) {
    std::string parent = parentOf(path);
    if (parent.empty()) {
      std::memset(parentRef, 0, sizeof *parentRef);  // the root has no parent
    } else if (OSErr error = makeRef(parent, parentRef)) {
      return error;
    }
  }
  return noErr;
}

OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo) {
  std::string path;
  struct statx info;
  if (!pathOfRef(ref, path, &info)) return errFSBadFSRef;
  if (!catalogInfo) return paramErr;
  return applyCatalogInfo(path, info, whichInfo, catalogInfo);
}

OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name, TextEncoding,
                         FSRef* newRef) {
  if (!newRef) return paramErr;
  std::string path;
  if (OSErr error = childOf(parentRef, nameLength, name, path)) return error;
  return makeRef(path, newRef);
}

OSErr FSCreateFileUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo, FSRef* newRef, FSSpecPtr) {
  std::string path;
  if (OSErr error = childOf(parentRef, nameLength, name, path)) return error;
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return errorFromErrno(errno);
  close(file);
  struct statx info;
  return finishNewItem(path, whichInfo, catalogInfo, newRef, info);
}

OSErr FSCreateDirectoryUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                               FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo, FSRef* newRef,
                               FSSpecPtr, UInt32* newDirID) {
  std::string path;
  if (OSErr error = childOf(parentRef, nameLength, name, path)) return error;
  if (mkdir(path.c_str(), 0755) != 0) return errorFromErrno(errno);
  struct statx info;
  if (OSErr error = finishNewItem(path, whichInfo, catalogInfo, newRef, info)) return error;
  if (newDirID) *newDirID = UInt32(info.stx_ino);
  return noErr;
}

OSErr FSDeleteObject(const FSRef* ref) {
  std::string path;
  struct statx info;
  if (!pathOfRef(ref, path, &info)) return errFSBadFSRef;
  int result = S_ISDIR(info.stx_mode) ? rmdir(path.c_str()) : unlink(path.c_str());
  if (result != 0) return errorFromErrno(errno);
  ItemIdentity item = identityOf(info);
  forgetItem(item);
  forgetAttributes(item);
  return noErr;
}

OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name, TextEncoding, FSRef* newRef) {
  std::string path;
  if (!pathOfRef(ref, path)) return errFSBadFSRef;
  std::string parent = parentOf(path);
  if (parent.empty()) return paramErr;  // the root cannot be renamed
  std::string itemName;
  if (OSErr error = itemNameFromUnicode(nameLength, name, itemName)) return error;
  std::string renamed = childPath(parent, itemName);
  if (renamed != path) {
    // Never replace another item that already has the new name.
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, renamed.c_str(), RENAME_NOREPLACE) != 0) {
      return errorFromErrno(errno);
    }
    movePaths(path, renamed);
  }
  if (newRef) return makeRef(renamed, newRef);
  return noErr;
}
