#pragma once
// Runs a piece of code with standard error sent to a temporary file and answers what reached
// it. A file, unlike a pipe, never fills up, so a long report cannot block or be cut short.
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace moxicam::test {

inline std::string captureStandardError(const std::function<void()>& body) {
  std::fflush(stderr);
  FILE* capture = std::tmpfile();
  if (!capture) return {};
  int saved = dup(STDERR_FILENO);
  dup2(fileno(capture), STDERR_FILENO);
  body();
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::string text;
  std::rewind(capture);
  char buffer[4096];
  for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, count);
  std::fclose(capture);
  return text;
}

}  // namespace moxicam::test
