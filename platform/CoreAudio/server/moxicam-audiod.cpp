// moxicam-audiod: the audio server. It loads the ".driver" bundles of the HAL plug-ins folder
// (<root>/Library/Audio/Plug-Ins/HAL unless told another), serves the client processes on
// the socket of the runtime folder, and writes its pid to <runtime>/CoreAudio/moxicam-audiod.pid
// once it serves.
//
//   SIGHUP           scan the plug-in folder again: new bundles are loaded, the devices of
//                    bundles that were removed go away (an installer sends it after an install)
//   SIGTERM, SIGINT  stop
//
//   moxicam-audiod [--plugins FOLDER] [--log-to-stderr] [--simulated-device SPEC]...
//                  [--no-alsa] [--alsa-device PCM]...
//
// The machine's sound cards appear as devices too (not with --no-alsa); --alsa-device adds
// any ALSA PCM by its name ("null" takes every frame and gives silence, at its rate).
//
// A simulated device stands for hardware (for tests of clients that play through): SPEC is
// comma-separated settings, name and uid required:
//   name=Mic,uid=sim-mic,in=2,out=0,rate=48000,tone=997,amplitude=0.5,scalar=0.9998,safety=0
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "HardwareDriver.h"
#include "HostClock.h"
#include "Server.h"
#include "SimulatedDriver.h"
#include "SocketServer.h"
#if MOXICAM_AUDIO_ALSA
#include "AlsaHardware.h"
#endif

using namespace AudioServer;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: moxicam-audiod [--plugins FOLDER] [--log-to-stderr] [--simulated-device SPEC]...\n"
               "                      [--no-alsa] [--alsa-device PCM]...\n"
               "       SPEC: name=NAME,uid=UID[,in=N][,out=N][,rate=HZ][,tone=HZ][,amplitude=A][,scalar=S]"
               "[,safety=FRAMES]\n");
  return 64;
}

bool number(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0';
}

// Reads a simulated device's settings; false, with the reason, for one that does not parse.
bool parseDevice(const std::string& text, SimulatedDeviceSpec& spec, std::string& error) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, end - start);
    start = end + 1;
    const size_t equals = item.find('=');
    if (equals == std::string::npos) {
      error = "'" + item + "' is not a setting";
      return false;
    }
    const std::string key = item.substr(0, equals), value = item.substr(equals + 1);
    double amount = 0;
    if (key == "name") {
      spec.name = value;
    } else if (key == "uid") {
      spec.uid = value;
    } else if (!number(value, amount) || amount < 0) {
      error = "'" + value + "' is not a number for " + key;
      return false;
    } else if (key == "in" && amount <= 16) {
      spec.inputChannels = UInt32(amount);
    } else if (key == "out" && amount <= 16) {
      spec.outputChannels = UInt32(amount);
    } else if (key == "rate" && amount > 0) {
      spec.sampleRate = amount;
    } else if (key == "tone") {
      spec.toneFrequency = amount;
    } else if (key == "amplitude") {
      spec.toneAmplitude = Float32(amount);
    } else if (key == "scalar" && amount > 0.5 && amount < 2) {
      spec.rateScalar = amount;
    } else if (key == "safety") {
      spec.safetyOffset = UInt32(amount);
    } else {
      error = "'" + item + "' is not a setting of a simulated device";
      return false;
    }
  }
  if (spec.name.empty() || spec.uid.empty()) {
    error = "a simulated device needs a name and a uid";
    return false;
  }
  return true;
}

void reportProblems(const Server& server, size_t& told) {
  const std::vector<std::string> problems = server.problems();
  for (; told < problems.size(); ++told) std::fprintf(stderr, "moxicam-audiod: %s\n", problems[told].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = Server::defaultPlugInFolder();
  bool logToStderr = false;
  std::vector<SimulatedDeviceSpec> simulatedDevices;
  std::vector<std::string> alsaDevices;
  bool alsaCards = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--plugins" && i + 1 < argc) {
      folder = argv[++i];
    } else if (argument == "--log-to-stderr") {
      logToStderr = true;
    } else if (argument == "--no-alsa") {
      alsaCards = false;
    } else if (argument == "--alsa-device" && i + 1 < argc) {
      alsaDevices.push_back(argv[++i]);
    } else if (argument == "--simulated-device" && i + 1 < argc) {
      SimulatedDeviceSpec spec;
      std::string error;
      if (!parseDevice(argv[++i], spec, error)) {
        std::fprintf(stderr, "moxicam-audiod: %s\n", error.c_str());
        return usage();
      }
      simulatedDevices.push_back(spec);
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
  // The built-in drivers outlive the server that calls them.
  SimulatedDriver simulated;
  HardwareDriver machine;
  Server server(clock);
  if (!simulatedDevices.empty()) {
    for (const SimulatedDeviceSpec& spec : simulatedDevices) simulated.addDevice(spec);
    server.addDriver(simulated.driver());
  }
  size_t machineDevices = 0;
#if MOXICAM_AUDIO_ALSA
  if (alsaCards) machineDevices += AddAlsaCards(machine);
  for (const std::string& pcm : alsaDevices) {
    std::string error;
    if (AddAlsaDevice(machine, pcm, "ALSA " + pcm, error)) {
      ++machineDevices;
    } else {
      std::fprintf(stderr, "moxicam-audiod: %s\n", error.c_str());
    }
  }
#else
  if (!alsaDevices.empty()) std::fprintf(stderr, "moxicam-audiod: built without ALSA; no PCM can be added\n");
  (void)alsaCards;
#endif
  if (machineDevices) server.addDriver(machine.driver());
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
