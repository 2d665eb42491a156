#include "AudioServerRescan.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <Foundation/Foundation.h>
#include <signal.h>

#include <fstream>
#include <string>

static constexpr const char* kAudioServerName = "moxicam-audiod";

void rescanAudioServerPlugIns() {
  const std::string pidFile =
      std::string(_CFPlatformRuntimePath()) + "/CoreAudio/" + kAudioServerName + ".pid";
  long pid = 0;
  if (!(std::ifstream(pidFile) >> pid) || pid <= 0) return;
  std::string name;
  std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), name);
  if (name != kAudioServerName) return;
  if (kill(pid_t(pid), SIGHUP) == 0) {
    NSLog(NSSTR("MoxicamInstallHelper asked the audio server (pid %ld) to rescan its plug-ins"), pid);
  }
}
