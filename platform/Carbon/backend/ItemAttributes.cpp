#include "backend/ItemAttributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <tuple>

namespace CarbonFiles {

const char* const kFinderInfoAttribute = "user.com.apple.FinderInfo";
const char* const kResourceForkAttribute = "user.com.apple.ResourceFork";

namespace {

bool unsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

using Key = std::tuple<uint64_t, uint64_t, int64_t, uint32_t, std::string>;
Key keyOf(const ItemIdentity& item, const char* name) {
  return Key{item.device, item.inode, item.birthSeconds, item.birthNanoseconds, name};
}

std::mutex sLock;
std::map<Key, std::vector<UInt8>>& kept() {
  static auto* values = new std::map<Key, std::vector<UInt8>>;
  return *values;
}

}  // namespace

int readAttribute(const std::string& path, const ItemIdentity& item, const char* name, std::vector<UInt8>& value) {
  value.clear();
  for (;;) {
    ssize_t size = lgetxattr(path.c_str(), name, nullptr, 0);
    if (size < 0) break;
    value.resize(size_t(size));
    ssize_t read = lgetxattr(path.c_str(), name, value.data(), value.size());
    if (read >= 0) {
      value.resize(size_t(read));
      return 0;
    }
    if (errno != ERANGE) break;  // it grew in between: ask again
  }
  int error = errno;
  value.clear();
  if (!unsupported(error) && error != ENODATA) return error;
  std::lock_guard<std::mutex> hold(sLock);
  auto found = kept().find(keyOf(item, name));
  if (found == kept().end()) return ENODATA;
  value = found->second;
  return 0;
}

int writeAttribute(const std::string& path, const ItemIdentity& item, const char* name,
                   const std::vector<UInt8>& value) {
  if (lsetxattr(path.c_str(), name, value.data(), value.size(), 0) == 0) return 0;
  int error = errno;
  if (!unsupported(error)) return error;
  std::lock_guard<std::mutex> hold(sLock);
  kept()[keyOf(item, name)] = value;
  return 0;
}

int removeAttribute(const std::string& path, const ItemIdentity& item, const char* name) {
  int error = lremovexattr(path.c_str(), name) == 0 ? 0 : errno;
  std::lock_guard<std::mutex> hold(sLock);
  bool wasKept = kept().erase(keyOf(item, name)) > 0;
  if (error == 0 || wasKept) return 0;
  return unsupported(error) ? ENODATA : error;
}

void forgetAttributes(const ItemIdentity& item) {
  std::lock_guard<std::mutex> hold(sLock);
  auto& values = kept();
  for (auto it = values.begin(); it != values.end();) {
    const auto& key = it->first;
    if (std::get<0>(key) == item.device && std::get<1>(key) == item.inode && std::get<2>(key) == item.birthSeconds &&
        std::get<3>(key) == item.birthNanoseconds) {
      it = values.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace CarbonFiles
