#pragma once
// Inside the File Manager: what an FSRef holds and the table that remembers where each
// referenced item was last seen in this process.
#include <sys/stat.h>

#include <cstdint>
#include <string>

#include <Carbon/Files.h>

namespace CarbonFiles {

// Who an item is: its device and inode, and its birth time so that a reused inode is not
// taken for the item that was deleted (zero where the file system keeps no birth time).
struct ItemIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t birthSeconds = 0;
  uint32_t birthNanoseconds = 0;
  bool operator==(const ItemIdentity&) const = default;
};

// The status of a failed system call, as the File Manager names it.
OSErr errorFromErrno(int error);

// Reads an item without following a final symbolic link; answers 0 or the errno.
int statItem(const std::string& path, struct statx& info);
ItemIdentity identityOf(const struct statx& info);

// Makes a reference to the item at `path` (absolute, without "." or ".." parts) and
// remembers the path for it.
OSErr makeRef(const std::string& path, FSRef* ref, Boolean* isDirectory = nullptr);

// The path where the referenced item is now; false when the reference is not valid.
// `info` (optional) receives the item's current status.
bool pathOfRef(const FSRef* ref, std::string& path, struct statx* info = nullptr);
bool identityOfRef(const FSRef* ref, ItemIdentity& identity);

// Keeps the table current after this layer deleted or renamed an item.
void forgetItem(const ItemIdentity& identity);
void movePaths(const std::string& from, const std::string& to);

// Joins a folder path and a single name.
std::string childPath(const std::string& folder, const std::string& name);

}  // namespace CarbonFiles
