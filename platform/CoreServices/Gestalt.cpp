#include <CoreServices/Gestalt.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

struct SystemVersion {
  SInt32 major, minor, bugFix;
};

constexpr SystemVersion kDefaultVersion{10, 15, 7};

// Reads "a.b.c" (or "a.b"); false for anything else.
bool parseVersion(const char* text, SystemVersion& version) {
  int major = 0, minor = 0, bugFix = 0, consumed = 0;
  int fields = std::sscanf(text, "%d.%d%n.%d%n", &major, &minor, &consumed, &bugFix, &consumed);
  if (fields < 2 || text[consumed] != '\0' || major < 1 || major > 99 || minor < 0 || minor > 99 ||
      bugFix < 0 || bugFix > 99) {
    return false;
  }
  version = SystemVersion{major, minor, fields == 3 ? bugFix : 0};
  return true;
}

SystemVersion presentedVersion() {
  const char* text = std::getenv("MOXICAM_SYSTEM_VERSION");
  if (!text || !*text) return kDefaultVersion;
  SystemVersion version;
  if (parseVersion(text, version)) return version;
  static std::once_flag warned;
  std::call_once(warned, [text] {
    std::fprintf(stderr, "Gestalt: MOXICAM_SYSTEM_VERSION \"%s\" is not major.minor.bugfix; using %d.%d.%d\n",
                 text, kDefaultVersion.major, kDefaultVersion.minor, kDefaultVersion.bugFix);
  });
  return kDefaultVersion;
}

SInt32 bcd(SInt32 value) { return (value / 10) * 16 + value % 10; }

SInt32 packedVersion(const SystemVersion& version) {
  if (version.major > 10 || (version.major == 10 && version.minor >= 10)) return 0x1099;
  const SInt32 minor = version.minor > 9 ? 9 : version.minor;
  const SInt32 bugFix = version.bugFix > 9 ? 9 : version.bugFix;
  return (bcd(version.major) << 8) | (minor << 4) | bugFix;
}

}  // namespace

OSErr Gestalt(OSType selector, SInt32* response) {
  if (!response) return -50;
  const SystemVersion version = presentedVersion();
  switch (selector) {
    case gestaltSystemVersion:
      *response = packedVersion(version);
      return noErr;
    case gestaltSystemVersionMajor:
      *response = version.major;
      return noErr;
    case gestaltSystemVersionMinor:
      *response = version.minor;
      return noErr;
    case gestaltSystemVersionBugFix:
      *response = version.bugFix;
      return noErr;
    default:
      return gestaltUndefSelectorErr;
  }
}
