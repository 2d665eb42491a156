#include "InstallHelperTasks.h"

#include <unistd.h>

NSString* argString(const char* text) {
  NSString* string = text ? NSString::stringWithUTF8String(text) : nullptr;
  return string ? string : NSSTR("(NULL)");
}

NSTask* NSTaskLogged(NSString* launchPath, NSArray* arguments) {
  NSLog(NSSTR("MoxicamInstallHelper executing %@ with arguments %@\n"), launchPath, arguments);
  try {
    return NSTask::launchedTaskWithLaunchPath_arguments(launchPath, arguments);
  } catch (const NSException::Raised& raised) {
    NSLog(NSSTR("MoxicamInstallHelper cannot launch %@: %@\n"), launchPath, raised.exception()->reason());
    return nullptr;
  }
}

bool folderPathNameExists(NSString* path) { return path && access(path->UTF8String(), F_OK) != -1; }

void sleepUntilTaskExits(NSTask* task) {
  if (!task) return;
  do {
    sleep(1);
  } while (task->isRunning());
}

NSString* runInstallHelperSteps(const std::vector<InstallHelperStep>& steps) {
  for (const InstallHelperStep& step : steps) {
    NSTask* task = NSTaskLogged(step.launchPath, step.arguments);
    if (!task) return NSString::stringWithFormat(NSSTR("%@ could not be launched"), step.launchPath);
    sleepUntilTaskExits(task);
    if (task->terminationReason() == NSTaskTerminationReasonUncaughtSignal) {
      return NSString::stringWithFormat(NSSTR("%@ was ended by signal %d"), step.launchPath,
                                        task->terminationStatus());
    }
    if (task->terminationStatus() != 0) {
      return NSString::stringWithFormat(NSSTR("%@ exited with status %d"), step.launchPath,
                                        task->terminationStatus());
    }
  }
  return nullptr;
}
