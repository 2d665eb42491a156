#pragma once
// Another program running beside the test, read line by line as it prints: for servers and
// probes that the test watches while they run. Every wait has a deadline. When the object goes,
// a child with an open input sees it end and is given a moment to quit; a child still running
// then is killed. A program named without a '/' is found on PATH.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace moxicam::test {

class RunningChild {
 public:
  enum class Input { Closed, Open };
  // Starts `program` with the current environment plus `environment`; its standard input is
  // closed (or, with Input::Open, a pipe that send writes to), its standard error goes to the
  // test's.
  RunningChild(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment = {}, Input input = Input::Closed);
  ~RunningChild();
  RunningChild(const RunningChild&) = delete;
  RunningChild& operator=(const RunningChild&) = delete;

  bool started() const { return mPid > 0; }
  // The next line printed (without its newline); none at the deadline or at the end of output.
  std::optional<std::string> nextLine(std::chrono::milliseconds deadline = std::chrono::seconds(20));
  // Reads lines until one satisfies `wanted`; answers it, or none at the deadline.
  std::optional<std::string> lineWhere(const std::function<bool(const std::string&)>& wanted,
                                       std::chrono::milliseconds deadline = std::chrono::seconds(20));
  // Writes a line (a newline is added) to the child's input; false when it is closed.
  bool send(const std::string& line);
  // send, then nextLine: the child's answer to a command.
  std::optional<std::string> ask(const std::string& line,
                                 std::chrono::milliseconds deadline = std::chrono::seconds(20));
  // Every line read so far, in order.
  const std::vector<std::string>& lines() const { return mLines; }
  // Waits for the child's end and answers its exit status (-1 when killed at the deadline or
  // ended by a signal). The rest of its output is read first.
  int wait(std::chrono::milliseconds deadline = std::chrono::seconds(30));
  // Ends the child now.
  void kill();
  // Closes the child's input and waits for it to end (killing it at the deadline); answers
  // whether it exited with status 0.
  bool finish(std::chrono::milliseconds deadline = std::chrono::seconds(20));
  // Asks the child to end with `signal`, as a well-behaved server is stopped; kills it when it
  // has not ended by the deadline.
  void stop(int signal, std::chrono::milliseconds deadline = std::chrono::seconds(2));
  // Sends a signal to the child while it runs (SIGSTOP and SIGCONT suspend and resume it).
  void signal(int signal);

  pid_t pid() const { return mPid; }
  bool isRunning() const { return mPid > 0 && !mEnded; }

 private:
  // Reaps the child once it ends; false when the deadline passed first.
  bool reap(std::chrono::milliseconds deadline, int* status);

  pid_t mPid = -1;
  int mProcess = -1;  // readable once the child has ended
  bool mEnded = false;
  int mInput = -1;
  int mOutput = -1;
  std::string mPending;
  std::vector<std::string> mLines;
};

}  // namespace moxicam::test
