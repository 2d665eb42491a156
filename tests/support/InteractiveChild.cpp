#include "InteractiveChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace moxicam::test {

InteractiveChild::InteractiveChild(const std::string& program, const std::vector<std::string>& arguments) {
  int toChild[2], fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) return;
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  if (posix_spawn(&mPid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) mPid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  mInput = toChild[1];
  mOutput = fromChild[0];
}

InteractiveChild::~InteractiveChild() {
  finish(std::chrono::seconds(5));
  if (mOutput >= 0) close(mOutput);
}

bool InteractiveChild::send(const std::string& line) {
  if (mInput < 0) return false;
  const std::string text = line + "\n";
  return write(mInput, text.data(), text.size()) == ssize_t(text.size());
}

std::string InteractiveChild::readLine(std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    const size_t lineEnd = mBuffered.find('\n');
    if (lineEnd != std::string::npos) {
      std::string line = mBuffered.substr(0, lineEnd);
      mBuffered.erase(0, lineEnd + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    pollfd ready{mOutput, POLLIN, 0};
    if (mOutput < 0 || left.count() <= 0 || poll(&ready, 1, int(left.count())) <= 0) return "";
    char chunk[512];
    const ssize_t got = read(mOutput, chunk, sizeof chunk);
    if (got <= 0) return "";
    mBuffered.append(chunk, size_t(got));
  }
}

std::string InteractiveChild::ask(const std::string& line, std::chrono::milliseconds deadline) {
  return send(line) ? readLine(deadline) : "";
}

void InteractiveChild::kill() {
  if (mPid <= 0) return;
  ::kill(mPid, SIGKILL);
  waitpid(mPid, nullptr, 0);
  mPid = -1;
}

bool InteractiveChild::finish(std::chrono::milliseconds deadline) {
  if (mInput >= 0) {
    close(mInput);
    mInput = -1;
  }
  if (mPid <= 0) return false;
  const auto end = std::chrono::steady_clock::now() + deadline;
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(mPid, &status, WNOHANG) == mPid) {
      mPid = -1;
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill();
  return false;
}

}  // namespace moxicam::test
