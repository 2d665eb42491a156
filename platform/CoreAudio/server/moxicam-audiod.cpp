// moxicam-audiod: the audio server. It loads the ".driver" bundles of the HAL plug-ins folder
// (<root>/Library/Audio/Plug-Ins/HAL unless told another), serves the client processes on
// the socket of the runtime folder, and writes its pid to <runtime>/CoreAudio/moxicam-audiod.pid
// once it serves.
//
//   SIGHUP           scan the plug-in folder again: new bundles are loaded, the devices of
//                    bundles that were removed go away (an installer sends it after an install)
//   SIGTERM, SIGINT  stop
//
//   moxicam-audiod [--plugins FOLDER] [--log-to-stderr]
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "HostClock.h"
#include "Server.h"
#include "SocketServer.h"

using namespace AudioServer;

namespace {

int usage() {
  std::fprintf(stderr, "usage: moxicam-audiod [--plugins FOLDER] [--log-to-stderr]\n");
  return 64;
}

void reportProblems(const Server& server, size_t& told) {
  const std::vector<std::string> problems = server.problems();
  for (; told < problems.size(); ++told) std::fprintf(stderr, "moxicam-audiod: %s\n", problems[told].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = Server::defaultPlugInFolder();
  bool logToStderr = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--plugins" && i + 1 < argc) {
      folder = argv[++i];
    } else if (argument == "--log-to-stderr") {
      logToStderr = true;
    } else {
      return usage();
    }
  }

  // The signals are taken from a descriptor, so no thread of the server is interrupted.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGHUP);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signalDescriptor = signalfd(-1, &signals, SFD_CLOEXEC);

  openlog("moxicam-audiod", LOG_PID | (logToStderr ? LOG_PERROR : 0), LOG_DAEMON);
  RealHostClock clock;
  Server server(clock);
  server.scanPlugInFolder(folder);
  size_t told = 0;
  reportProblems(server, told);

  SocketServer sockets(server);
  std::string error;
  if (!sockets.listen(error)) {
    std::fprintf(stderr, "moxicam-audiod: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "moxicam-audiod: serving (pid %d)\n", int(getpid()));

  while (true) {
    pollfd waits[2] = {{sockets.listeningSocket(), POLLIN, 0}, {signalDescriptor, POLLIN, 0}};
    if (poll(waits, 2, -1) < 0) continue;
    if (waits[0].revents & POLLIN) sockets.acceptConnection();
    if (!(waits[1].revents & POLLIN)) continue;
    signalfd_siginfo received{};
    if (read(signalDescriptor, &received, sizeof received) != sizeof received) continue;
    if (received.ssi_signo == SIGHUP) {
      server.scanPlugInFolder(folder);
      reportProblems(server, told);
      std::fprintf(stderr, "moxicam-audiod: scanned %s again\n", folder.c_str());
      continue;
    }
    break;
  }
  std::fprintf(stderr, "moxicam-audiod: stopping\n");
  return 0;
}
