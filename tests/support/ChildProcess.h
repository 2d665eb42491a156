#pragma once
// Other programs for tests: run one to its end, or keep one running beside the test. Both start
// the program with posix_spawn, so that nothing runs between fork and exec in a test process
// that has threads (a forked copy of a threaded process may find a lock held for ever).
#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
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

// A program running while the object lives. Its standard input and output are pipes to the
// test; its error output is the test's. A program named without a '/' is found on PATH.
class RunningChild {
 public:
  RunningChild(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment = {});
  // Ends its input and gives it `gracePeriod` to quit by itself before it is killed.
  ~RunningChild();
  RunningChild(const RunningChild&) = delete;
  RunningChild& operator=(const RunningChild&) = delete;

  bool started() const { return mPid > 0; }
  pid_t pid() const { return mPid; }
  bool isRunning() const { return mPid > 0 && !mStatus; }

  // Writes to its standard input; false when it cannot take it.
  bool write(const std::string& text);
  void closeInput();

  // The next line it prints, without the newline; nothing at the end of its output or when
  // the deadline passes first.
  std::optional<std::string> readLine(std::chrono::milliseconds deadline = std::chrono::seconds(20));
  // Reads lines until one equals `line`; answers whether it came before the end or the deadline.
  bool waitForLine(const std::string& line, std::chrono::milliseconds deadline = std::chrono::seconds(20));

  // Sends it a signal (SIGSTOP, SIGCONT, ...) while it runs.
  void signal(int number);
  // Waits for it to end; answers its wait status, or nothing when the deadline passed first.
  std::optional<int> waitForExit(std::chrono::milliseconds deadline);
  // Asks it to end with `number`, waits `deadline`, then kills it; it has ended on return.
  void stop(int number, std::chrono::milliseconds deadline);
  // Ends it at once (SIGKILL) and reaps it.
  void kill();

  std::chrono::milliseconds gracePeriod{2000};

 private:
  pid_t mPid = -1;
  int mPidFd = -1;
  int mInput = -1;
  int mOutput = -1;
  std::string mPending;
  std::optional<int> mStatus;
};

}  // namespace moxicam::test
