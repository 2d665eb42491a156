#include "backend/FileIdentity.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace CarbonFiles {
namespace {

constexpr uint32_t kRefMagic = 0x46535266;  // "FSRf"

// The bytes of an FSRef: identity first, the rest zero.
struct RefRecord {
  uint32_t magic;
  uint32_t reserved;
  ItemIdentity identity;
};
static_assert(sizeof(RefRecord) <= sizeof(FSRef));

struct IdentityOrder {
  bool operator()(const ItemIdentity& a, const ItemIdentity& b) const {
    if (a.device != b.device) return a.device < b.device;
    if (a.inode != b.inode) return a.inode < b.inode;
    if (a.birthSeconds != b.birthSeconds) return a.birthSeconds < b.birthSeconds;
    return a.birthNanoseconds < b.birthNanoseconds;
  }
};

std::mutex sTableLock;
std::map<ItemIdentity, std::string, IdentityOrder>& table() {
  static auto* paths = new std::map<ItemIdentity, std::string, IdentityOrder>;
  return *paths;
}

bool recordOf(const FSRef* ref, RefRecord& record) {
  if (!ref) return false;
  std::memcpy(&record, ref->hidden, sizeof record);
  return record.magic == kRefMagic;
}

}  // namespace

OSErr errorFromErrno(int error) {
  switch (error) {
    case 0: return noErr;
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EEXIST: return dupFNErr;
    case EACCES:
    case EPERM: return afpAccessDenied;
    case ENAMETOOLONG: return errFSNameTooLong;
    case ENOTEMPTY:
    case EBUSY: return fBsyErr;
    case ENOSPC: return dskFulErr;
    case EROFS: return wPrErr;
    case EMFILE:
    case ENFILE: return tmfoErr;
    case ENOMEM: return memFullErr;
    case EISDIR: return notAFileErr;
    case EINVAL:
    case ELOOP: return bdNamErr;
    default: return ioErr;
  }
}

int statItem(const std::string& path, struct statx& info) {
  if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) return errno;
  return 0;
}

ItemIdentity identityOf(const struct statx& info) {
  ItemIdentity identity;
  identity.device = (uint64_t(info.stx_dev_major) << 32) | info.stx_dev_minor;
  identity.inode = info.stx_ino;
  if (info.stx_mask & STATX_BTIME) {
    identity.birthSeconds = info.stx_btime.tv_sec;
    identity.birthNanoseconds = info.stx_btime.tv_nsec;
  }
  return identity;
}

OSErr makeRef(const std::string& path, FSRef* ref, Boolean* isDirectory) {
  if (!ref) return paramErr;
  struct statx info;
  if (int error = statItem(path, info)) return errorFromErrno(error);
  RefRecord record{kRefMagic, 0, identityOf(info)};
  {
    std::lock_guard<std::mutex> hold(sTableLock);
    table()[record.identity] = path;
  }
  std::memset(ref, 0, sizeof *ref);
  std::memcpy(ref->hidden, &record, sizeof record);
  if (isDirectory) *isDirectory = S_ISDIR(info.stx_mode) ? TRUE : FALSE;
  return noErr;
}

bool identityOfRef(const FSRef* ref, ItemIdentity& identity) {
  RefRecord record;
  if (!recordOf(ref, record)) return false;
  identity = record.identity;
  return true;
}

bool pathOfRef(const FSRef* ref, std::string& path, struct statx* info) {
  ItemIdentity identity;
  if (!identityOfRef(ref, identity)) return false;
  {
    std::lock_guard<std::mutex> hold(sTableLock);
    auto found = table().find(identity);
    if (found == table().end()) return false;
    path = found->second;
  }
  struct statx current;
  if (statItem(path, current) != 0 || !(identityOf(current) == identity)) return false;
  if (info) *info = current;
  return true;
}

void forgetItem(const ItemIdentity& identity) {
  std::lock_guard<std::mutex> hold(sTableLock);
  table().erase(identity);
}

void movePaths(const std::string& from, const std::string& to) {
  std::lock_guard<std::mutex> hold(sTableLock);
  for (auto& [identity, path] : table()) {
    if (path == from) {
      path = to;
    } else if (path.size() > from.size() && path.compare(0, from.size(), from) == 0 && path[from.size()] == '/') {
      path = to + path.substr(from.size());
    }
  }
}

std::string childPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace CarbonFiles
