#include "Spawn.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

extern char** environ;

namespace moxicam::test {

FileActions::FileActions() { posix_spawn_file_actions_init(&mActions); }

FileActions::~FileActions() { posix_spawn_file_actions_destroy(&mActions); }

void FileActions::openNull(int target) {
  posix_spawn_file_actions_addopen(&mActions, target, "/dev/null", O_RDWR, 0);
}

void FileActions::dup(int from, int target) { posix_spawn_file_actions_adddup2(&mActions, from, target); }

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments,
            const std::map<std::string, std::string>& environment, const FileActions& actions) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : environment) variables[name] = value;
  std::vector<std::string> assignments;
  for (const auto& [name, value] : variables) assignments.push_back(name + "=" + value);

  std::vector<char*> argv, envp;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  for (std::string& assignment : assignments) envp.push_back(assignment.data());
  envp.push_back(nullptr);

  pid_t pid = -1;
  const bool onPath = program.find('/') == std::string::npos;
  const int error = onPath ? posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), envp.data())
                           : posix_spawn(&pid, argv[0], actions.get(), nullptr, argv.data(), envp.data());
  return error == 0 ? pid : -1;
}

int processDescriptor(pid_t pid) { return pid > 0 ? int(syscall(SYS_pidfd_open, pid, 0)) : -1; }

int millisecondsUntil(std::chrono::steady_clock::time_point end) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
  return left > 0 ? int(left) : 0;
}

}  // namespace moxicam::test
