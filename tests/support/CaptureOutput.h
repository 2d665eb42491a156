#pragma once
// Runs a piece of code with standard error sent to a temporary file and answers what reached
// it. A file, unlike a pipe, never fills up, so a long report cannot block or be cut short.
// Should the process exit while the code runs (a library that ends it on a fatal error), what
// was captured goes to the real standard error on the way out, so that the reason is not lost.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace moxicam::test {

namespace capture_detail {

struct Capture {
  FILE* file = nullptr;
  int saved = -1;
};

inline Capture& active() {
  static Capture capture;
  return capture;
}

inline std::string contents(FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, count);
  return text;
}

inline void replayOnExit() {
  Capture& capture = active();
  if (!capture.file) return;
  std::fflush(stderr);
  dup2(capture.saved, STDERR_FILENO);
  const std::string text = contents(capture.file);
  std::fprintf(stderr, "\n[standard error captured when the process exited]\n%s", text.c_str());
  std::fflush(stderr);
}

}  // namespace capture_detail

inline std::string captureStandardError(const std::function<void()>& body) {
  [[maybe_unused]] static const bool replaying = std::atexit(capture_detail::replayOnExit) == 0;
  std::fflush(stderr);
  FILE* capture = std::tmpfile();
  if (!capture) return {};
  int saved = dup(STDERR_FILENO);
  dup2(fileno(capture), STDERR_FILENO);
  capture_detail::active() = {capture, saved};
  body();
  std::fflush(stderr);
  capture_detail::active() = {};
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::string text = capture_detail::contents(capture);
  std::fclose(capture);
  return text;
}

}  // namespace moxicam::test
