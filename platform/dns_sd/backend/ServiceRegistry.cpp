#include "backend/ServiceRegistry.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <sstream>

namespace dnssd {

namespace {

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// The bytes behind pairs of hex digits; false for anything else.
bool unhex(const std::string& text, std::string* bytes) {
  if (text.size() % 2) return false;
  bytes->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (error != std::errc() || end != text.data() + i + 2) return false;
    *bytes += char(value);
  }
  return true;
}

// A number of decimal (or hex) digits only, no larger than `largest`; false for anything else.
template <class Number>
bool readNumber(const std::string& text, Number largest, Number* value, int base = 10) {
  Number read = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || read > largest) return false;
  *value = read;
  return true;
}

// Text lines ending in "end", so that a reader can tell a whole record from one that is
// being rewritten.
std::string serialize(const ServiceRecord& record) {
  std::ostringstream out;
  out << "name " << hex(record.name) << "\ntype " << record.type << "\ndomain " << record.domain << "\nport "
      << record.port << "\npid " << record.ownerPid << "\ninstance " << std::hex << record.instance << std::dec
      << "\ntxt " << hex(record.txt) << "\nend\n";
  return out.str();
}

bool parse(const std::string& text, ServiceRecord* record) {
  std::istringstream in(text);
  std::string key, value;
  std::set<std::string> fields;
  while (in >> key) {
    if (key == "end") return fields.size() == 7;
    if (!std::getline(in, value)) break;
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    bool good = true;
    if (key == "name") good = unhex(value, &record->name);
    else if (key == "type") record->type = value;
    else if (key == "domain") record->domain = value;
    else if (key == "port") good = readNumber<uint16_t>(value, UINT16_MAX, &record->port);
    else if (key == "pid") good = readNumber<long>(value, INT_MAX, &record->ownerPid) && record->ownerPid > 0;
    else if (key == "instance") good = readNumber<uint64_t>(value, UINT64_MAX, &record->instance, 16);
    else if (key == "txt") good = unhex(value, &record->txt);
    else continue;
    if (!good || !fields.insert(key).second) return false;
  }
  return false;
}

// A number no other registration is likely to have drawn.
uint64_t newInstance() {
  static std::mutex lock;
  static std::mt19937_64 numbers{std::random_device{}()};
  std::lock_guard guard(lock);
  return numbers();
}

bool writeAt(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = pwrite(fd, text.data() + done, text.size() - done, off_t(done));
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += size_t(written);
  }
  return ftruncate(fd, off_t(text.size())) == 0;
}

// Whether the file at `path` open as `fd` belongs to a living owner. A dead owner's file is
// removed, unless another registration replaced it in the meantime. An empty unlocked file
// is one that its owner has only just made.
bool ownerStands(const std::string& path, int fd, bool* beingMade) {
  *beingMade = false;
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  struct stat opened {}, current {};
  if (fstat(fd, &opened) != 0) return false;
  if (opened.st_size == 0) {
    *beingMade = true;
    return false;
  }
  if (stat(path.c_str(), &current) == 0 && opened.st_ino == current.st_ino && opened.st_dev == current.st_dev)
    unlink(path.c_str());
  return false;
}

}  // namespace

std::string canonicalName(const char* text, const char* fallback) {
  std::string name = text && *text ? text : fallback;
  for (auto& c : name) c = char(tolower(static_cast<unsigned char>(c)));
  while (!name.empty() && name.back() == '.') name.pop_back();
  return name + ".";
}

std::string registryFolder(const std::string& domain, const std::string& type) {
  return CFPlatform::runtimePath() + "/dnssd/" + domain + "/" + type;
}

std::string entryName(const std::string& serviceName) {
  std::string out;
  for (size_t i = 0; i < serviceName.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(serviceName[i]);
    if (c == '/' || c == '%' || c < 0x20 || c == 0x7F || (i == 0 && c == '.')) {
      char escaped[4];
      snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out;
}

int registerRecord(ServiceRecord& record, bool rename) {
  std::string folder = registryFolder(record.domain, record.type);
  if (!CFPlatform::makeFolders(folder)) return -1;
  std::string base = record.name;
  record.instance = newInstance();
  int suffix = 1;
  for (int attempt = 0; attempt < 200; ++attempt) {
    record.name = suffix == 1 ? base : base + " (" + std::to_string(suffix) + ")";
    std::string path = folder + "/" + entryName(record.name);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      if (flock(fd, LOCK_EX | LOCK_NB) == 0 && writeAt(fd, serialize(record))) return fd;
      unlink(path.c_str());
      close(fd);
      return -1;
    }
    if (errno != EEXIST) return -1;
    // The name is taken, by a living owner or by a file left by a dead one.
    int existing = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    bool beingMade = false;
    bool taken = existing < 0 || ownerStands(path, existing, &beingMade) || beingMade;
    if (existing >= 0) close(existing);
    if (!taken) continue;
    if (!rename) {
      errno = EEXIST;
      return -1;
    }
    ++suffix;
  }
  return -1;
}

bool replaceRecord(int held, const ServiceRecord& record) { return writeAt(held, serialize(record)); }

void unregisterRecord(int held, const ServiceRecord& record) {
  if (held < 0) return;
  unlink((registryFolder(record.domain, record.type) + "/" + entryName(record.name)).c_str());
  close(held);
}

Standing readRecord(const std::string& folder, const std::string& entry, ServiceRecord* record) {
  if (entry.empty() || entry[0] == '.') return Standing::Absent;
  std::string path = folder + "/" + entry;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Standing::Absent;
  Standing standing = Standing::Absent;
  bool beingMade = false;
  if (ownerStands(path, fd, &beingMade)) {
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(got));
    standing = parse(text, record) ? Standing::Present : Standing::Changing;
  } else if (beingMade) {
    standing = Standing::Changing;
  }
  close(fd);
  return standing;
}

}  // namespace dnssd
