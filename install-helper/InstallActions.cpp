#include "InstallActions.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "InstallHelperTasks.h"

namespace {

NSArray* argumentsOf(std::initializer_list<NSString*> arguments) {
  NSMutableArray* array = NSMutableArray::array();
  for (NSString* argument : arguments) array->addObject(argument);
  return array;
}

// The steps run as root; a process that cannot act as root does nothing.
NSString* becomeRoot() {
  if (setuid(0) == 0) return nullptr;
  return NSString::stringWithFormat(NSSTR("cannot act as root (%s)"), strerror(errno));
}

// The location's folder, made with mode 755 where it is missing, as ditto makes the
// destination's folders.
NSString* makeFolderOf(NSString* destination) {
  const std::string path = destination->UTF8String();
  const std::string folder = path.substr(0, path.find_last_of('/'));
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    if (mkdir(prefix.c_str(), 0755) == 0) chmod(prefix.c_str(), 0755);
    if (slash == std::string::npos) break;
  }
  struct stat info;
  if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return nullptr;
  return NSString::stringWithFormat(NSSTR("cannot make the folder %s"), folder.c_str());
}

InstallActions::Status finish(NSString* command, NSString* failure) {
  if (failure) {
    NSLog(NSSTR("MoxicamInstallHelper failed %@: %@"), command, failure);
    return InstallActions::kFailed;
  }
  NSLog(NSSTR("MoxicamInstallHelper completed %@: ?"), command);
  return InstallActions::kSucceeded;
}

}  // namespace

namespace InstallActions {

const char* administratorsGroup() {
  for (const char* group : {"admin", "sudo", "wheel"}) {
    if (getgrnam(group)) return group;
  }
  return "root";
}

Status install(NSString* command, NSString* payload, NSString* destination) {
  NSLog(NSSTR("MoxicamInstallHelper executing %@\n"), command);
  NSString* failure = becomeRoot();
  if (!failure) failure = makeFolderOf(destination);
  if (!failure) {
    NSString* owner = NSString::stringWithFormat(NSSTR("root:%s"), administratorsGroup());
    failure = runInstallHelperSteps({
        {NSSTR("/usr/bin/cp"), argumentsOf({NSSTR("-a"), NSSTR("-T"), NSSTR("--"), payload, destination})},
        {NSSTR("/usr/bin/chmod"), argumentsOf({NSSTR("-R"), NSSTR("755"), NSSTR("--"), destination})},
        {NSSTR("/usr/bin/chown"), argumentsOf({NSSTR("-R"), owner, NSSTR("--"), destination})},
    });
  }
  return finish(command, failure);
}

Status remove(NSString* command, NSString* destination) {
  NSLog(NSSTR("MoxicamInstallHelper executing %@\n"), command);
  NSString* failure = nullptr;
  if (folderPathNameExists(destination)) {
    failure = becomeRoot();
    if (!failure) {
      failure = runInstallHelperSteps({
          {NSSTR("/usr/bin/rm"), argumentsOf({NSSTR("-Rdvf"), NSSTR("--"), destination})},
      });
    }
  }
  return finish(command, failure);
}

}  // namespace InstallActions
