#include "AdministratorAccess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

constexpr const char* kSudoPath = "/usr/bin/sudo";
constexpr const char* kPkexecPath = "/usr/bin/pkexec";
constexpr const char* kTestSwitch = "MOXICAM_AUTHORIZATION";

bool isProgram(const char* path) { return access(path, X_OK) == 0; }

// Runs a program to its end; answers its exit status, or -1 when it could not run or died.
int runAndWait(std::vector<std::string> command) {
  std::vector<char*> argv;
  for (std::string& argument : command) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The test switch's answer; false when the switch is not set.
bool switchAnswer(OSStatus& answer) {
  const char* value = getenv(kTestSwitch);
  if (!value || !*value) return false;
  if (strcmp(value, "granted") == 0) {
    answer = errAuthorizationSuccess;
  } else if (strcmp(value, "denied") == 0) {
    answer = errAuthorizationDenied;
  } else if (strcmp(value, "cancelled") == 0) {
    answer = errAuthorizationCanceled;
  } else {
    fprintf(stderr, "Security: %s=%s is none of granted, denied or cancelled; the right is denied\n",
            kTestSwitch, value);
    answer = errAuthorizationDenied;
  }
  return true;
}

}  // namespace

namespace AdministratorAccess {

OSStatus obtain(AuthorizationFlags flags) {
  OSStatus answer = errAuthorizationSuccess;
  if (switchAnswer(answer)) return answer;
  if (geteuid() == 0) return errAuthorizationSuccess;
  if (!(flags & kAuthorizationFlagExtendRights)) return errAuthorizationDenied;
  const bool mayAsk = flags & kAuthorizationFlagInteractionAllowed;
  if (isProgram(kSudoPath)) {
    if (runAndWait({kSudoPath, "-n", "-v"}) == 0) return errAuthorizationSuccess;
    if (!mayAsk) return errAuthorizationInteractionNotAllowed;
    return runAndWait({kSudoPath, "-v"}) == 0 ? errAuthorizationSuccess : errAuthorizationDenied;
  }
  if (isProgram(kPkexecPath)) return mayAsk ? errAuthorizationSuccess : errAuthorizationInteractionNotAllowed;
  return errAuthorizationDenied;
}

std::vector<std::string> privilegedCommand(const std::string& tool,
                                           const std::vector<std::string>& arguments) {
  std::vector<std::string> command;
  if (geteuid() != 0) {
    if (isProgram(kSudoPath)) {
      command = {kSudoPath, "-n", "--"};
    } else if (isProgram(kPkexecPath)) {
      command = {kPkexecPath};
    } else {
      return {};
    }
  }
  command.push_back(tool);
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

}  // namespace AdministratorAccess
