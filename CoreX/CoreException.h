#pragma once
// The utility library's one exception type, with a printf-style message. Each exception keeps
// its own copy of the message, so exceptions built on several threads never share text.
#include <exception>
#include <string>

class CoreException : public std::exception {
 public:
  explicit CoreException(const char* format, ...) __attribute__((format(printf, 2, 3)));

  const char* what() const noexcept override { return mMessage.c_str(); }

 private:
  std::string mMessage;
};

// The two messages of the string classes.
extern const char* const kCoreExceptionNilPointer;       // "Nil exception pointer"
extern const char* const kCoreExceptionInvariantFailed;  // "Invariant failed"
