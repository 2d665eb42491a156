#include <Foundation/NSObjCRuntime.h>

#include <errno.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <Foundation/NSString.h>

namespace {

std::string utf8Text(CFStringRef string) {
  if (!string) return {};
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string text(size_t(size), '\0');
  if (!CFStringGetCString(string, text.data(), size, kCFStringEncodingUTF8)) return {};
  text.resize(text.find('\0'));
  return text;
}

// "2024-05-01 12:34:56.789 Program[1234:4d2] "
std::string linePrefix() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char date[32];
  strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
  char prefix[256];
  std::snprintf(prefix, sizeof prefix, "%s.%03ld %s[%d:%lx] ", date, now.tv_nsec / 1000000L,
                program_invocation_short_name, int(getpid()), long(syscall(SYS_gettid)));
  return prefix;
}

}  // namespace

void NSLog(NSString* format, ...) {
  va_list args;
  va_start(args, format);
  NSLogv(format, args);
  va_end(args);
}

void NSLogv(NSString* format, va_list args) {
  if (!format) return;
  const int savedErrno = errno;
  CFStringRef message = CFStringCreateWithFormatAndArguments(nullptr, nullptr, format->cfString(), args);
  std::string line = linePrefix() + utf8Text(message);
  if (message) CFRelease(message);
  if (line.back() != '\n') line += '\n';
  // One write per line: writes to a pipe or terminal up to its atomic size never interleave.
  size_t written = 0;
  while (written < line.size()) {
    ssize_t count = write(STDERR_FILENO, line.data() + written, line.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    written += size_t(count);
  }
  errno = savedErrno;
}
