// Forks: the data fork is the file itself; the resource fork is an extended attribute
// (ItemAttributes), read whole when it is opened.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include <Carbon/Files.h>

#include "backend/FileIdentity.h"
#include "backend/ItemAttributes.h"

using namespace CarbonFiles;

namespace {

const char kResourceForkName[] = "RESOURCE_FORK";

enum class ForkKind { data, resource, unknown };

ForkKind kindOf(UniCharCount length, const UniChar* name) {
  if (length == 0) return ForkKind::data;
  if (!name || length != sizeof kResourceForkName - 1) return ForkKind::unknown;
  for (UniCharCount i = 0; i < length; ++i) {
    if (name[i] != UniChar(kResourceForkName[i])) return ForkKind::unknown;
  }
  return ForkKind::resource;
}

struct OpenFork {
  ForkKind kind = ForkKind::data;
  int file = -1;
  std::vector<UInt8> contents;  // the resource fork
  SInt64 mark = 0;
};

std::mutex sForksLock;
std::map<FSIORefNum, OpenFork>& openForks() {
  static auto* forks = new std::map<FSIORefNum, OpenFork>;
  return *forks;
}

OSErr addFork(OpenFork fork, FSIORefNum* forkRefNum) {
  std::lock_guard<std::mutex> hold(sForksLock);
  auto& forks = openForks();
  for (FSIORefNum number = 1; number > 0; ++number) {
    if (forks.count(number)) continue;
    forks.emplace(number, std::move(fork));
    *forkRefNum = number;
    return noErr;
  }
  if (fork.file >= 0) close(fork.file);
  return tmfoErr;
}

}  // namespace

OSErr FSGetDataForkName(HFSUniStr255* dataForkName) {
  if (!dataForkName) return paramErr;
  std::memset(dataForkName, 0, sizeof *dataForkName);
  return noErr;
}

OSErr FSGetResourceForkName(HFSUniStr255* resourceForkName) {
  if (!resourceForkName) return paramErr;
  std::memset(resourceForkName, 0, sizeof *resourceForkName);
  for (size_t i = 0; i < sizeof kResourceForkName - 1; ++i) resourceForkName->unicode[i] = UniChar(kResourceForkName[i]);
  resourceForkName->length = UInt16(sizeof kResourceForkName - 1);
  return noErr;
}

OSErr FSCreateFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName) {
  std::string path;
  struct statx info;
  if (!pathOfRef(ref, path, &info)) return errFSBadFSRef;
  if (!S_ISREG(info.stx_mode)) return notAFileErr;
  switch (kindOf(forkNameLength, forkName)) {
    case ForkKind::data: return errFSForkExists;  // a file always has its data fork
    case ForkKind::resource: {
      std::vector<UInt8> contents;
      int error = readAttribute(path, identityOf(info), kResourceForkAttribute, contents);
      if (error == 0) return errFSForkExists;
      if (error != ENODATA) return errorFromErrno(error);
      error = writeAttribute(path, identityOf(info), kResourceForkAttribute, {});
      return errorFromErrno(error);
    }
    default: return errFSBadForkName;
  }
}

OSErr FSDeleteFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName) {
  std::string path;
  struct statx info;
  if (!pathOfRef(ref, path, &info)) return errFSBadFSRef;
  if (!S_ISREG(info.stx_mode)) return notAFileErr;
  switch (kindOf(forkNameLength, forkName)) {
    case ForkKind::data:
      // The data fork cannot go away; it becomes empty.
      return truncate(path.c_str(), 0) == 0 ? OSErr(noErr) : errorFromErrno(errno);
    case ForkKind::resource: {
      int error = removeAttribute(path, identityOf(info), kResourceForkAttribute);
      return error == ENODATA ? errFSForkNotFound : errorFromErrno(error);
    }
    default: return errFSBadForkName;
  }
}

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName, SInt8 permissions,
                 FSIORefNum* forkRefNum) {
  if (!forkRefNum) return paramErr;
  *forkRefNum = -1;
  std::string path;
  struct statx info;
  if (!pathOfRef(ref, path, &info)) return errFSBadFSRef;
  if (!S_ISREG(info.stx_mode)) return notAFileErr;
  OpenFork fork;
  fork.kind = kindOf(forkNameLength, forkName);
  switch (fork.kind) {
    case ForkKind::data: {
      int flags = O_CLOEXEC | (permissions == fsRdPerm ? O_RDONLY : permissions == fsWrPerm ? O_WRONLY : O_RDWR);
      fork.file = open(path.c_str(), flags);
      if (fork.file < 0 && permissions == fsCurPerm) fork.file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fork.file < 0) return errno == EACCES ? permErr : errorFromErrno(errno);
      break;
    }
    case ForkKind::resource: {
      int error = readAttribute(path, identityOf(info), kResourceForkAttribute, fork.contents);
      if (error == ENODATA) return errFSForkNotFound;
      if (error) return errorFromErrno(error);
      break;
    }
    default: return errFSBadForkName;
  }
  return addFork(std::move(fork), forkRefNum);
}

OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset, ByteCount requestCount,
                 void* buffer, ByteCount* actualCount) {
  if (actualCount) *actualCount = 0;
  if (!buffer && requestCount) return paramErr;
  std::lock_guard<std::mutex> hold(sForksLock);
  auto found = openForks().find(forkRefNum);
  if (found == openForks().end()) return rfNumErr;
  OpenFork& fork = found->second;
  SInt64 size = 0;
  if (fork.kind == ForkKind::data) {
    struct stat info;
    if (fstat(fork.file, &info) != 0) return errorFromErrno(errno);
    size = info.st_size;
  } else {
    size = SInt64(fork.contents.size());
  }
  SInt64 position = 0;
  switch (positionMode & 3) {
    case fsAtMark: position = fork.mark; break;
    case fsFromStart: position = positionOffset; break;
    case fsFromLEOF: position = size + positionOffset; break;
    case fsFromMark: position = fork.mark + positionOffset; break;
  }
  if (position < 0) return posErr;
  ByteCount done = 0;
  if (fork.kind == ForkKind::data) {
    while (done < requestCount) {
      ssize_t got = pread(fork.file, static_cast<char*>(buffer) + done, requestCount - done, position + done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return errorFromErrno(errno);
      if (got == 0) break;
      done += ByteCount(got);
    }
  } else if (position < size) {
    done = ByteCount(std::min<SInt64>(size - position, SInt64(requestCount)));
    std::memcpy(buffer, fork.contents.data() + position, done);
  }
  fork.mark = position + SInt64(done);
  if (actualCount) *actualCount = done;
  return done < requestCount ? eofErr : OSErr(noErr);
}

OSErr FSCloseFork(FSIORefNum forkRefNum) {
  std::lock_guard<std::mutex> hold(sForksLock);
  auto found = openForks().find(forkRefNum);
  if (found == openForks().end()) return rfNumErr;
  int result = found->second.file >= 0 ? close(found->second.file) : 0;
  openForks().erase(found);
  return result == 0 ? OSErr(noErr) : ioErr;
}
