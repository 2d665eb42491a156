#pragma once
// A helper program run as a child for the length of a test and talked to line by line: the
// test writes commands to its standard input and reads its answers from its standard output,
// each read with a deadline, so that a child that hangs fails the test instead of hanging it.
// The child inherits the environment (and so the test's temporary root).
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace moxicam::test {

class InteractiveChild {
 public:
  InteractiveChild(const std::string& program, const std::vector<std::string>& arguments);
  // Closes the child's input, gives it a moment to end and kills it otherwise.
  ~InteractiveChild();
  InteractiveChild(const InteractiveChild&) = delete;
  InteractiveChild& operator=(const InteractiveChild&) = delete;

  bool started() const { return mPid > 0; }
  pid_t pid() const { return mPid; }

  bool send(const std::string& line);
  // The next line (without its end), or "" when none came before the deadline or the child
  // closed its output.
  std::string readLine(std::chrono::milliseconds deadline = std::chrono::seconds(20));
  // send, then readLine.
  std::string ask(const std::string& line, std::chrono::milliseconds deadline = std::chrono::seconds(20));

  // Ends the child at once (SIGKILL) and reaps it.
  void kill();
  // Closes its input and waits for it to exit (killing it at the deadline); answers whether
  // it exited with status 0.
  bool finish(std::chrono::milliseconds deadline = std::chrono::seconds(20));

 private:
  pid_t mPid = -1;
  int mInput = -1;
  int mOutput = -1;
  std::string mBuffered;
};

}  // namespace moxicam::test
