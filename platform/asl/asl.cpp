#include <asl.h>

#include <errno.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <string>

struct __asl_client {
  std::string ident;
  std::string facility;
  uint32_t options;
};

static std::string programName() { return program_invocation_short_name ? program_invocation_short_name : "unknown"; }

aslclient asl_open(const char* ident, const char* facility, uint32_t opts) {
  return new __asl_client{ident ? ident : programName(), facility ? facility : "user", opts};
}

void asl_close(aslclient client) { delete client; }

int asl_log(aslclient client, aslmsg msg, int level, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int result = asl_vlog(client, msg, level, format, ap);
  va_end(ap);
  return result;
}

// Writes all of text to fd in as few writes as the kernel allows (one, for a pipe or terminal).
static void writeAll(int fd, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    ssize_t count = write(fd, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    written += size_t(count);
  }
}

int asl_vlog(aslclient client, aslmsg, int level, const char* format, va_list ap) {
  if (!format || level < ASL_LEVEL_EMERG || level > ASL_LEVEL_DEBUG) return -1;
  const int savedErrno = errno;  // %m in the format names the caller's errno, not ours
  va_list measure;
  va_copy(measure, ap);
  errno = savedErrno;
  int length = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) return -1;
  std::string message(size_t(length) + 1, '\0');
  errno = savedErrno;
  vsnprintf(message.data(), message.size(), format, ap);
  message.resize(size_t(length));

  const std::string ident = client ? client->ident : programName();
  const std::string facility = client ? client->facility : "user";
  // syslog's own identity is process-wide (openlog); ours rides in the text instead.
  syslog(LOG_USER | level, "%s (%s): %s", ident.c_str(), facility.c_str(), message.c_str());
  // The echo ends the message's line; a message that already ends one gets no second newline.
  if (client && (client->options & ASL_OPT_STDERR)) {
    writeAll(STDERR_FILENO, !message.empty() && message.back() == '\n' ? message : message + "\n");
  }
  errno = savedErrno;
  return 0;
}
