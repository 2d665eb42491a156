#pragma once
// What the benchmark programs share: percentiles of a sample, the monotonic clock, busy
// processes that load the machine, a datagram echo in another process as the reference for
// anything that crosses processes, a child program read line by line, and ffmpeg's x11grab as
// the reference for the grabber cameras.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace bench {

// CPU time, user and system, of this process (RUSAGE_SELF) or of its waited-for children.
inline double cpuSeconds(int who = RUSAGE_SELF) {
  rusage usage{};
  getrusage(who, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// How often this process's threads (RUSAGE_SELF) or the calling thread (RUSAGE_THREAD) blocked.
inline long voluntarySwitches(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return usage.ru_nvcsw;
}

// The value of "--seconds N" among the arguments, at least 1; the fallback without it.
inline int secondsArgument(int argc, char** argv, int fallback) {
  int seconds = fallback;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--seconds")) seconds = std::max(1, atoi(argv[i + 1]));
  }
  return seconds;
}

inline int64_t nowNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Figures {
  explicit Figures(std::vector<double> sample) {
    if (sample.empty()) return;
    std::sort(sample.begin(), sample.end());
    auto at = [&](double q) {
      return sample[std::min(sample.size() - 1, size_t(q * double(sample.size())))];
    };
    p50 = at(0.50);
    p99 = at(0.99);
    max = sample.back();
  }
  double p50 = 0, p99 = 0, max = 0;
};

// Processes that spin until stopped, one per count.
inline std::vector<pid_t> startBusyProcesses(int count) {
  std::vector<pid_t> pids;
  for (int i = 0; i < count; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (unsigned long spin = 0;; ++spin) asm volatile("" : : "r"(spin));
    }
    if (pid > 0) pids.push_back(pid);
  }
  return pids;
}

inline void stopBusyProcesses(const std::vector<pid_t>& pids) {
  for (pid_t pid : pids) kill(pid, SIGKILL);
  for (pid_t pid : pids) waitpid(pid, nullptr, 0);
}

// A child process that sends back every datagram it gets.
class DatagramEcho {
 public:
  DatagramEcho() {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, pair) != 0) return;
    mPid = fork();
    if (mPid == 0) {
      close(pair[0]);
      char byte[64];
      for (;;) {
        const ssize_t got = recv(pair[1], byte, sizeof byte, 0);
        if (got <= 0 || send(pair[1], byte, size_t(got), 0) < 0) _exit(0);
      }
    }
    close(pair[1]);
    mSocket = pair[0];
  }
  ~DatagramEcho() {
    // A datagram socket tells its peer nothing when it closes.
    if (mSocket >= 0) close(mSocket);
    if (mPid > 0) {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
  }
  DatagramEcho(const DatagramEcho&) = delete;
  DatagramEcho& operator=(const DatagramEcho&) = delete;

  double roundTripMilliseconds() {
    const int64_t start = nowNanoseconds();
    char byte = 1;
    if (send(mSocket, &byte, 1, 0) != 1 || recv(mSocket, &byte, 1, 0) != 1) return 0;
    return double(nowNanoseconds() - start) / 1e6;
  }

 private:
  pid_t mPid = -1;
  int mSocket = -1;
};

// A program started with its standard output on a pipe; killed when the object goes.
class Child {
 public:
  explicit Child(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    mPid = fork();
    if (mPid == 0) {
      dup2(pipeEnds[1], STDOUT_FILENO);
      std::vector<char*> argv;
      for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(pipeEnds[1]);
    mOutput = fdopen(pipeEnds[0], "r");
  }
  ~Child() {
    if (mPid > 0) {
      kill(mPid, SIGTERM);
      waitpid(mPid, nullptr, 0);
    }
    if (mOutput) fclose(mOutput);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The next line without its end, or "" when the output ended.
  std::string readLine() {
    char line[1024];
    if (!mOutput || !fgets(line, sizeof line, mOutput)) return {};
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

 private:
  pid_t mPid = -1;
  FILE* mOutput = nullptr;
};

// ffmpeg's x11grab of an area of the display at 30 frames per second through a filter graph,
// for `seconds`: the frames per second it kept and its CPU per frame. False when ffmpeg is not
// installed or did not run.
struct GrabReference {
  double framesPerSecond = 0;
  double cpuPerFrameMilliseconds = 0;
};

inline bool ffmpegGrab(int x, int y, int width, int height, int seconds, const char* filters,
                       GrabReference& reference) {
  if (system("command -v ffmpeg >/dev/null 2>&1") != 0) return false;
  const char* display = getenv("DISPLAY");
  char input[128], size[32], duration[16];
  snprintf(input, sizeof input, "%s+%d,%d", display ? display : ":0", x, y);
  snprintf(size, sizeof size, "%dx%d", width, height);
  snprintf(duration, sizeof duration, "%d", seconds);
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return false;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(output[1], STDOUT_FILENO);
    execlp("ffmpeg", "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "fatal", "-f", "x11grab",
           "-framerate", "30", "-video_size", size, "-i", input, "-t", duration, "-vf", filters, "-progress",
           "pipe:1", "-f", "null", "-", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(output[1]);
  if (pid < 0) {
    close(output[0]);
    return false;
  }
  long frames = 0;
  FILE* progress = fdopen(output[0], "r");
  char line[256];
  while (progress && fgets(line, sizeof line, progress)) {
    if (!strncmp(line, "frame=", 6)) frames = atol(line + 6);
  }
  if (progress) fclose(progress);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || frames == 0)
    return false;
  const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  reference.framesPerSecond = double(frames) / seconds;
  reference.cpuPerFrameMilliseconds = cpu * 1e3 / double(frames);
  return true;
}

}  // namespace bench
