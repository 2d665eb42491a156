#include "SelfRepair.h"

#include <Foundation/Foundation.h>
#include <Security/Security.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr AuthorizationFlags kRightFlags =
    kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize;

// Copies what the privileged copy writes to its standard output onto ours until it and the
// tools it runs have closed it, so that none of them writes into a pipe nobody reads.
void passOutputOn(FILE* pipe) {
  char buffer[4096];
  for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) fwrite(buffer, 1, count, stdout);
  fflush(stdout);
  fclose(pipe);
}

// The exit status of the privileged copy (128 + the signal for one a signal ended).
int waitForPrivilegedCopy() {
  int status = 0;
  pid_t ended;
  do {
    ended = wait(&status);
  } while (ended < 0 && errno == EINTR);
  if (ended < 0) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

SelfRepairOutcome runSelfRepair(const std::string& toolPath, const char* command, const char* location,
                                const char* payload) {
  AuthorizationRef authorization = nullptr;
  OSStatus status = AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization);
  if (status != errAuthorizationSuccess) return {status, false};
  AuthorizationItem right{kAuthorizationRightExecute, 0, nullptr, 0};
  AuthorizationRights rights{1, &right};
  status = AuthorizationCopyRights(authorization, &rights, nullptr, kRightFlags, nullptr);
  if (status != errAuthorizationSuccess) {
    AuthorizationFree(authorization, kAuthorizationFlagDefaults);
    return {status, false};
  }
  char* const arguments[] = {const_cast<char*>(toolPath.c_str()), const_cast<char*>("--self-repair"),
                             const_cast<char*>(command),          const_cast<char*>(location),
                             const_cast<char*>(payload),          nullptr};
  FILE* pipe = nullptr;
  status = AuthorizationExecuteWithPrivileges(authorization, toolPath.c_str(), kAuthorizationFlagDefaults,
                                              arguments, &pipe);
  AuthorizationFree(authorization, kAuthorizationFlagDefaults);
  NSLog(NSSTR("MoxicamInstallHelper called AEWP"));
  if (status != errAuthorizationSuccess) {
    NSLog(NSSTR("MoxicamInstallHelper AuthorizationExecuteWithPrivileges failed: %d"), int(status));
    return {status, true};
  }
  passOutputOn(pipe);
  const int copyStatus = waitForPrivilegedCopy();
  if (copyStatus != 0)
    NSLog(NSSTR("MoxicamInstallHelper the privileged copy ended with status %d"), copyStatus);
  return {copyStatus, true};
}
