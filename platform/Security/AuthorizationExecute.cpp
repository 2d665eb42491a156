// Running a tool as root, through the administrator access of this machine.
#include <Security/Authorization.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "backend/AdministratorAccess.h"
#include "backend/AuthorizationObject.h"

extern char** environ;

namespace {

// Starts the command with its standard input and output on `ioSocket` (or the caller's, for
// -1); false when it could not be started.
bool spawn(std::vector<std::string> command, int ioSocket) {
  std::vector<char*> argv;
  for (std::string& argument : command) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  bool ready = true;
  if (ioSocket >= 0) {
    ready = posix_spawn_file_actions_adddup2(&actions, ioSocket, STDIN_FILENO) == 0 &&
            posix_spawn_file_actions_adddup2(&actions, ioSocket, STDOUT_FILENO) == 0;
  }
  pid_t pid = 0;
  const bool started = ready && posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

}  // namespace

OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef authorization, const char* pathToTool,
                                            AuthorizationFlags options, char* const* arguments,
                                            FILE** communicationsPipe) {
  if (communicationsPipe) *communicationsPipe = nullptr;
  AuthorizationOpaqueRef* object = AuthorizationObjects::find(authorization);
  if (!object) return errAuthorizationInvalidRef;
  if (!pathToTool) return errAuthorizationInvalidPointer;
  if (options != kAuthorizationFlagDefaults) return errAuthorizationInvalidFlags;
  if (OSStatus status = AuthorizationObjects::obtainAdministratorRight(object)) return status;

  std::vector<std::string> toolArguments;
  for (char* const* argument = arguments; argument && *argument; ++argument)
    toolArguments.emplace_back(*argument);
  std::vector<std::string> command = AdministratorAccess::privilegedCommand(pathToTool, toolArguments);
  if (command.empty()) return errAuthorizationToolExecuteFailure;

  if (!communicationsPipe)
    return spawn(command, -1) ? errAuthorizationSuccess : errAuthorizationToolExecuteFailure;
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return errAuthorizationInternal;
  const bool started = spawn(command, ends[1]);
  close(ends[1]);
  if (!started) {
    close(ends[0]);
    return errAuthorizationToolExecuteFailure;
  }
  *communicationsPipe = fdopen(ends[0], "r+");
  if (!*communicationsPipe) {
    close(ends[0]);
    return errAuthorizationInternal;
  }
  return errAuthorizationSuccess;
}
