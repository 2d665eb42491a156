#pragma once
// Starting another program from a test (inner workings of ChildProcess and RunningChild):
// posix_spawn, with everything the child gets made beforehand, so that no code of ours runs
// between fork and exec in a test process that has threads (a forked copy of a threaded
// process may find a lock held for ever).
#include <spawn.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace moxicam::test {

// What the child's descriptors become.
class FileActions {
 public:
  FileActions();
  ~FileActions();
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  void openNull(int target);
  void dup(int from, int target);
  const posix_spawn_file_actions_t* get() const { return &mActions; }

 private:
  posix_spawn_file_actions_t mActions;
};

// Starts `program` (found on PATH when it has no '/') with `arguments` and the current
// environment plus `environment`; answers the new process, or -1.
pid_t spawn(const std::string& program, const std::vector<std::string>& arguments,
            const std::map<std::string, std::string>& environment, const FileActions& actions);

// A descriptor that becomes readable when the process ends, or -1.
int processDescriptor(pid_t pid);

// Milliseconds from now until `end`, never below zero.
int millisecondsUntil(std::chrono::steady_clock::time_point end);

}  // namespace moxicam::test
