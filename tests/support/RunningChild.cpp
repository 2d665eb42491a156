#include "RunningChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

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
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  mPid = fork();
  if (mPid == 0) {
    const int source = commands[0] >= 0 ? commands[0] : open("/dev/null", O_RDONLY);
    dup2(source, 0);
    dup2(output[1], 1);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(output[1]);
  mOutput = output[0];
  if (commands[0] >= 0) close(commands[0]);
  mInput = commands[1];
}

RunningChild::~RunningChild() {
  kill();
  if (mInput >= 0) close(mInput);
  if (mOutput >= 0) close(mOutput);
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
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd readable{mOutput, POLLIN, 0};
    if (poll(&readable, 1, int(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t count = read(mOutput, buffer, sizeof buffer);
    if (count > 0) {
      mPending.append(buffer, size_t(count));
    } else if (count == 0) {
      close(mOutput);
      mOutput = -1;
    }
  }
}

std::optional<std::string> RunningChild::lineWhere(const std::function<bool(const std::string&)>& wanted,
                                                   std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    std::optional<std::string> line = nextLine(left.count() > 0 ? left : std::chrono::milliseconds(0));
    if (!line || wanted(*line)) return line;
  }
}

int RunningChild::wait(std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (mOutput >= 0 && std::chrono::steady_clock::now() < end)
    nextLine(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()));
  if (mPid <= 0) return -1;
  int status = 0;
  while (waitpid(mPid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= end) {
      kill();
      return -1;
    }
    usleep(1000);
  }
  mPid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RunningChild::kill() {
  if (mPid <= 0) return;
  ::kill(mPid, SIGKILL);
  waitpid(mPid, nullptr, 0);
  mPid = -1;
}

}  // namespace moxicam::test
