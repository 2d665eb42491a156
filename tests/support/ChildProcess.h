#pragma once
// Runs another program to its end with a hard deadline, capturing what it prints. (A program
// that runs beside the test while it works is a RunningChild.)
#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace moxicam::test {

struct ChildResult {
  int exitCode = -1;      // the exit status, or -1 when it did not exit normally
  int signal = 0;         // the signal that ended it, if any
  bool timedOut = false;  // killed at the deadline
  std::string out;
  std::string err;
};

// Starts `program` with `arguments` and the current environment plus `environment`,
// closes its standard input, and waits at most `deadline`.
ChildResult runChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment = {},
                     std::chrono::milliseconds deadline = std::chrono::seconds(30));

}  // namespace moxicam::test
