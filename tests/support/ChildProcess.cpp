#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace moxicam::test {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point end) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
  return left > 0 ? int(left) : 0;
}

// Everything the new program gets, made before it starts: the spawned child runs no code of ours.
class Command {
 public:
  Command(const std::string& program, const std::vector<std::string>& arguments,
          const std::map<std::string, std::string>& environment) {
    mWords.push_back(program);
    mWords.insert(mWords.end(), arguments.begin(), arguments.end());
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      const size_t equals = text.find('=');
      if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : environment) variables[name] = value;
    for (const auto& [name, value] : variables) mVariables.push_back(name + "=" + value);
    for (std::string& word : mWords) mArgv.push_back(word.data());
    mArgv.push_back(nullptr);
    for (std::string& variable : mVariables) mEnvp.push_back(variable.data());
    mEnvp.push_back(nullptr);
  }

  // The new process, or -1.
  pid_t spawn(const posix_spawn_file_actions_t& actions) {
    pid_t pid = -1;
    const bool onPath = mWords[0].find('/') == std::string::npos;
    const int error = onPath ? posix_spawnp(&pid, mArgv[0], &actions, nullptr, mArgv.data(), mEnvp.data())
                             : posix_spawn(&pid, mArgv[0], &actions, nullptr, mArgv.data(), mEnvp.data());
    return error == 0 ? pid : -1;
  }

 private:
  std::vector<std::string> mWords;
  std::vector<std::string> mVariables;
  std::vector<char*> mArgv;
  std::vector<char*> mEnvp;
};

class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&mActions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&mActions); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  void openNull(int target) { posix_spawn_file_actions_addopen(&mActions, target, "/dev/null", O_RDWR, 0); }
  void dup(int from, int target) { posix_spawn_file_actions_adddup2(&mActions, from, target); }
  const posix_spawn_file_actions_t& get() const { return mActions; }

 private:
  posix_spawn_file_actions_t mActions;
};

}  // namespace

ChildResult runChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment,
                     std::chrono::milliseconds deadline) {
  ChildResult result;
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  Command command(program, arguments, environment);
  FileActions actions;
  actions.openNull(STDIN_FILENO);
  actions.dup(outPipe[1], STDOUT_FILENO);
  actions.dup(errPipe[1], STDERR_FILENO);
  const pid_t pid = command.spawn(actions.get());
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    result.exitCode = 127;
    return result;
  }

  const auto end = Clock::now() + deadline;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    if (millisecondsLeft(end) == 0) {
      result.timedOut = true;
      ::kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, millisecondsLeft(end)) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        sinks[i]->append(buffer, size_t(count));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

RunningChild::RunningChild(const std::string& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment) {
  int input[2], output[2];
  if (pipe2(input, O_CLOEXEC) != 0) return;
  if (pipe2(output, O_CLOEXEC) != 0) {
    close(input[0]);
    close(input[1]);
    return;
  }
  Command command(program, arguments, environment);
  FileActions actions;
  actions.dup(input[0], STDIN_FILENO);
  actions.dup(output[1], STDOUT_FILENO);
  mPid = command.spawn(actions.get());
  close(input[0]);
  close(output[1]);
  mInput = input[1];
  mOutput = output[0];
  if (mPid > 0) mPidFd = int(syscall(SYS_pidfd_open, mPid, 0));
}

RunningChild::~RunningChild() {
  closeInput();
  if (isRunning()) stop(0, gracePeriod);
  if (mOutput >= 0) close(mOutput);
  if (mPidFd >= 0) close(mPidFd);
}

bool RunningChild::write(const std::string& text) {
  size_t written = 0;
  while (mInput >= 0 && written < text.size()) {
    ssize_t count = ::write(mInput, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += size_t(count);
  }
  return mInput >= 0;
}

void RunningChild::closeInput() {
  if (mInput >= 0) close(mInput);
  mInput = -1;
}

std::optional<std::string> RunningChild::readLine(std::chrono::milliseconds deadline) {
  const auto end = Clock::now() + deadline;
  while (true) {
    const size_t newline = mPending.find('\n');
    if (newline != std::string::npos) {
      std::string line = mPending.substr(0, newline);
      mPending.erase(0, newline + 1);
      return line;
    }
    if (mOutput < 0) break;
    pollfd wait{mOutput, POLLIN, 0};
    const int ready = poll(&wait, 1, millisecondsLeft(end));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char buffer[4096];
    const ssize_t count = read(mOutput, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      close(mOutput);
      mOutput = -1;
      break;
    }
    mPending.append(buffer, size_t(count));
  }
  // The end of its output: what is left is its last line.
  if (mPending.empty()) return std::nullopt;
  std::string line;
  line.swap(mPending);
  return line;
}

bool RunningChild::waitForLine(const std::string& line, std::chrono::milliseconds deadline) {
  const auto end = Clock::now() + deadline;
  while (std::optional<std::string> next = readLine(std::chrono::milliseconds(millisecondsLeft(end)))) {
    if (*next == line) return true;
  }
  return false;
}

void RunningChild::signal(int number) {
  if (isRunning()) ::kill(mPid, number);
}

std::optional<int> RunningChild::waitForExit(std::chrono::milliseconds deadline) {
  if (mPid <= 0 || mStatus) return mStatus;
  const auto end = Clock::now() + deadline;
  while (true) {
    int status = 0;
    const pid_t done = waitpid(mPid, &status, WNOHANG);
    if (done == mPid || (done < 0 && errno != EINTR)) {
      mStatus = status;
      return mStatus;
    }
    if (millisecondsLeft(end) == 0) return std::nullopt;
    // The descriptor of the process becomes readable when it ends.
    pollfd wait{mPidFd, POLLIN, 0};
    if (mPidFd >= 0) {
      poll(&wait, 1, millisecondsLeft(end));
    } else {
      poll(nullptr, 0, std::min(millisecondsLeft(end), 10));
    }
  }
}

void RunningChild::stop(int number, std::chrono::milliseconds deadline) {
  if (number) signal(number);
  if (!waitForExit(deadline)) kill();
}

void RunningChild::kill() {
  if (!isRunning()) return;
  ::kill(mPid, SIGKILL);
  while (!waitForExit(std::chrono::seconds(10))) {
  }
}

}  // namespace moxicam::test
