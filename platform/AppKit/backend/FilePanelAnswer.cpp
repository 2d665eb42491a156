#include "FilePanelAnswer.h"

#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSString.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace AppKitBackend {

namespace {

// Runs the chooser with its arguments and answers what it printed, without the final line
// break; nothing when it could not run or was cancelled (a status other than 0).
std::optional<std::string> runChooser(const std::vector<std::string>& arguments) {
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(output[1]);
  std::string printed;
  if (spawned == 0) {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(output[0], buffer, sizeof buffer)) > 0) printed.append(buffer, size_t(got));
  }
  ::close(output[0]);
  if (spawned != 0) {
    NSLog(NSSTR("NSSavePanel: the file chooser %s could not be run; the panel is cancelled"), argv[0]);
    return std::nullopt;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  while (!printed.empty() && (printed.back() == '\n' || printed.back() == '\r')) printed.pop_back();
  if (printed.empty()) return std::nullopt;
  return printed;
}

}  // namespace

std::optional<std::string> answerFilePanel(const FilePanelQuestion& question) {
  if (const char* scripted = std::getenv("MOXICAM_PANEL_ANSWER")) {
    std::string answer = scripted;
    if (answer.empty() || answer == "cancel") return std::nullopt;
    return answer;
  }
  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    std::vector<std::string> arguments{"zenity", "--file-selection"};
    if (question.save) {
      arguments.push_back("--save");
      arguments.push_back("--confirm-overwrite");
    }
    std::string start = question.directory.empty() ? std::string() : question.directory + "/";
    if (!start.empty() || !question.proposedName.empty())
      arguments.push_back("--filename=" + start + question.proposedName);
    if (!question.fileType.empty()) arguments.push_back("--file-filter=*." + question.fileType);
    if (std::optional<std::string> chosen = runChooser(arguments)) return chosen;
    return std::nullopt;
  }
  NSLog(NSSTR("NSSavePanel: no file chooser is available (no display); the panel is cancelled"));
  return std::nullopt;
}

}  // namespace AppKitBackend
