#include <SystemConfiguration/SCDynamicStoreCopySpecific.h>

#include <CoreFoundation/CFString.h>
#include <pwd.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

enum class Seat { None, Nobody, User };

// systemd-logind writes the seat's active user as ACTIVE_UID=<uid>.
Seat seatUser(uid_t* uid) {
  std::ifstream seat("/run/systemd/seats/seat0");
  if (!seat) return Seat::None;
  std::string line;
  while (std::getline(seat, line)) {
    if (line.rfind("ACTIVE_UID=", 0) != 0) continue;
    try {
      *uid = uid_t(std::stoul(line.substr(11)));
      return Seat::User;
    } catch (const std::exception&) {
      return Seat::Nobody;
    }
  }
  return Seat::Nobody;
}

}  // namespace

CFStringRef SCDynamicStoreCopyConsoleUser(SCDynamicStoreRef, uid_t* uid, gid_t* gid) {
  uid_t user = getuid();
  if (seatUser(&user) == Seat::Nobody) return nullptr;
  passwd entry{};
  passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(user, &entry, buffer, sizeof buffer, &found) != 0 || !found) return nullptr;
  if (uid) *uid = found->pw_uid;
  if (gid) *gid = found->pw_gid;
  return CFStringCreateWithCString(nullptr, found->pw_name, kCFStringEncodingUTF8);
}
