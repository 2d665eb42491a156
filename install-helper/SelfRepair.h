#pragma once
// The unprivileged start: asks for the administrator right and runs the helper's own
// executable as root with the command, then waits for that privileged copy and passes its
// output on, so that the caller learns how the command went.
#include <string>

struct SelfRepairOutcome {
  int status;
  // False when the right was not obtained: status is then the authorization status.
  bool authorized;
};

SelfRepairOutcome runSelfRepair(const std::string& toolPath, const char* command, const char* location,
                                const char* payload);
