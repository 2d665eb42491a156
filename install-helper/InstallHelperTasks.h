#pragma once
// The helper's own small functions: argument texts, logged tasks and waiting for them, and
// running the steps of a command one after the other.
#include <vector>

#include <Foundation/Foundation.h>

// The C string as a string; "(NULL)" for a null pointer.
NSString* argString(const char* text);
// Logs the launch and answers the running task; null (logged) when it cannot be launched.
NSTask* NSTaskLogged(NSString* launchPath, NSArray* arguments);
bool folderPathNameExists(NSString* path);
// Sleeps a second at a time until the task no longer runs (at least one second).
void sleepUntilTaskExits(NSTask* task);

struct InstallHelperStep {
  NSString* launchPath;
  NSArray* arguments;
};

// Runs the steps in order, each once the one before has ended, and stops at the first that
// fails. Answers null when every step succeeded, else what went wrong.
NSString* runInstallHelperSteps(const std::vector<InstallHelperStep>& steps);
