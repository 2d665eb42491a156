#include "RunningChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "Spawn.h"

namespace moxicam::test {

RunningChild::RunningChild(const std::string& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment, Input input) {
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return;
  // The input is a socket, so that writing to a child that is gone fails instead of raising
  // SIGPIPE in the test.
  int commands[2] = {-1, -1};
  if (input == Input::Open && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, commands) != 0) {
    close(output[0]);
    close(output[1]);
    return;
  }
  FileActions actions;
  if (commands[0] >= 0) {
    actions.dup(commands[0], STDIN_FILENO);
  } else {
    actions.openNull(STDIN_FILENO);
  }
  actions.dup(output[1], STDOUT_FILENO);
  mPid = spawn(program, arguments, environment, actions);
  mProcess = processDescriptor(mPid);
  close(output[1]);
  mOutput = output[0];
  if (commands[0] >= 0) close(commands[0]);
  mInput = commands[1];
}

RunningChild::~RunningChild() {
  if (mInput >= 0) finish(std::chrono::seconds(2));
  kill();
  for (int fd : {mOutput, mProcess}) {
    if (fd >= 0) close(fd);
  }
}

bool RunningChild::send(const std::string& line) {
  if (mInput < 0) return false;
  const std::string text = line + "\n";
  return ::send(mInput, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size());
}

std::optional<std::string> RunningChild::ask(const std::string& line, std::chrono::milliseconds deadline) {
  if (!send(line)) return std::nullopt;
  return nextLine(deadline);
}

std::optional<std::string> RunningChild::nextLine(std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (true) {
    const size_t newline = mPending.find('\n');
    if (newline != std::string::npos) {
      mLines.push_back(mPending.substr(0, newline));
      mPending.erase(0, newline + 1);
      return mLines.back();
    }
    if (mOutput < 0) return std::nullopt;
    pollfd readable{mOutput, POLLIN, 0};
    const int ready = poll(&readable, 1, millisecondsUntil(end));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char buffer[4096];
    const ssize_t count = read(mOutput, buffer, sizeof buffer);
    if (count > 0) {
      mPending.append(buffer, size_t(count));
    } else if (count == 0 || errno != EINTR) {
      close(mOutput);
      mOutput = -1;
    }
  }
}

std::optional<std::string> RunningChild::lineWhere(const std::function<bool(const std::string&)>& wanted,
                                                   std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (true) {
    std::optional<std::string> line = nextLine(std::chrono::milliseconds(millisecondsUntil(end)));
    if (!line || wanted(*line)) return line;
  }
}

bool RunningChild::reap(std::chrono::milliseconds deadline, int* status) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (true) {
    const pid_t done = waitpid(mPid, status, WNOHANG);
    if (done == mPid || (done < 0 && errno != EINTR)) {
      mEnded = true;
      return true;
    }
    if (millisecondsUntil(end) == 0) return false;
    pollfd ended{mProcess, POLLIN, 0};
    poll(mProcess >= 0 ? &ended : nullptr, mProcess >= 0 ? 1 : 0, std::min(millisecondsUntil(end), 1000));
  }
}

int RunningChild::wait(std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (mOutput >= 0 && millisecondsUntil(end) > 0) nextLine(std::chrono::milliseconds(millisecondsUntil(end)));
  if (!isRunning()) return -1;
  int status = 0;
  if (!reap(std::chrono::milliseconds(millisecondsUntil(end)), &status)) {
    kill();
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RunningChild::kill() {
  if (!isRunning()) return;
  ::kill(mPid, SIGKILL);
  int status = 0;
  while (!reap(std::chrono::seconds(10), &status)) {
  }
}

bool RunningChild::finish(std::chrono::milliseconds deadline) {
  if (mInput >= 0) close(mInput);
  mInput = -1;
  return wait(deadline) == 0;
}

void RunningChild::stop(int signal, std::chrono::milliseconds deadline) {
  if (!isRunning()) return;
  ::kill(mPid, signal);
  int status = 0;
  if (!reap(deadline, &status)) kill();
}

void RunningChild::signal(int signal) {
  if (isRunning()) ::kill(mPid, signal);
}

}  // namespace moxicam::test
