// MoxicamInstallHelper: copies one plug-in payload into a system folder, or deletes it from
// there, as root.
//   MoxicamInstallHelper <tool> <tool> install|delete <location> <payload>
// asks for the administrator right and runs itself as root with
//   <tool> <tool> --self-repair install|delete <location> <payload>
// which does the work. The exit status is the privileged copy's (0 when the command was done,
// non-zero when a request was refused or a step failed), or the authorization status.
#include <Foundation/Foundation.h>

#include "AudioServerRescan.h"
#include "AuthDittoTool.h"
#include "InstallActions.h"
#include "InstallHelperTasks.h"
#include "InstallRequest.h"
#include "RequiredInline.h"
#include "SelfRepair.h"

static constexpr int ARGUMENT_COUNT = 5;

namespace {

int refuse(NSString* refusal) {
  NSLog(NSSTR("MoxicamInstallHelper refused: %@"), refusal);
  return InstallActions::kRefused;
}

// The unprivileged start: the request is checked here too, so that nobody is asked for a
// password for what the privileged copy would refuse.
SelfRepairOutcome selfRepair(char** argv) {
  NSLog(NSSTR("MoxicamInstallHelper (argc == ARGUMENT_COUNT)"));
  NSLog(NSSTR("MoxicamInstallHelper executing self-repair"));
  const std::string self = InstallRequest::selfPath();
  if (NSString* refusal = InstallRequest::refusalOfToolPath(argv[1], self)) return {refuse(refusal), true};
  NSString* refusal = nullptr;
  if (!InstallRequest::destination(argString(argv[3]), argString(argv[4]),
                                   InstallRequest::applicationBundleOfTool(self), &refusal)) {
    return {refuse(refusal), true};
  }
  return runSelfRepair(self, argv[2], argv[3], argv[4]);
}

// The privileged run.
int runCommand(char** argv) {
  NSString* const arguments[] = {argString(argv[0]), argString(argv[1]), argString(argv[2]),
                                 argString(argv[3]), argString(argv[4]), argString(argv[5])};
  NSLog(NSSTR("MoxicamInstallHelper argv0:%@ \n"), arguments[0]);
  NSLog(NSSTR("MoxicamInstallHelper argv1:%@ \n"), arguments[1]);
  NSLog(NSSTR("MoxicamInstallHelper argv2:%@ \n"), arguments[2]);
  NSString* command = arguments[3];
  NSString* location = arguments[4];
  NSString* payload = arguments[5];
  NSLog(NSSTR("MoxicamInstallHelper command:%@ \n"), command);
  NSLog(NSSTR("MoxicamInstallHelper location:%@ \n"), location);
  NSLog(NSSTR("MoxicamInstallHelper payload:%@ \n"), payload);

  const std::string self = InstallRequest::selfPath();
  if (NSString* refusal = InstallRequest::refusalOfToolPath(argv[1], self)) return refuse(refusal);
  NSString* refusal = nullptr;
  NSString* destination =
      InstallRequest::destination(location, payload, InstallRequest::applicationBundleOfTool(self), &refusal);
  if (!destination) return refuse(refusal);
  NSLog(NSSTR("MoxicamInstallHelper destination:%@ \n"), destination);

  int status = InstallActions::kSucceeded;
  bool ran = false;
  if (command->isEqualToString(kAuthDittoTool_Command_Install)) {
    status = InstallActions::install(command, InstallRequest::resolvedPayload(payload), destination);
    ran = true;
  }
  if (command->isEqualToString(kAuthDittoTool_Command_Delete)) {
    status = InstallActions::remove(command, destination);
    ran = true;
  }
  if (ran && status == InstallActions::kSucceeded &&
      AuthDittoTool::destinationRequiresCoreAudioRestart(location)) {
    rescanAudioServerPlugIns();
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  auto* pool = static_cast<NSAutoreleasePool*>(NSAutoreleasePool::alloc()->init());
  NSLog(NSSTR("MoxicamInstallHelper started BUILD %s %s"), __DATE__, __TIME__);
  int status = InstallActions::kSucceeded;
  if (argc == ARGUMENT_COUNT) {
    const SelfRepairOutcome outcome = selfRepair(argv);
    if (!outcome.authorized) {
      pool->drain();
      return outcome.status;
    }
    status = outcome.status;
  } else {
    NSLog(NSSTR("MoxicamInstallHelper (argc > ARGUMENT_COUNT)"));
    if (__CFRequiredInlineVerbose(argc > ARGUMENT_COUNT, "main", "AuthDittoToolCocoaMain", 133,
                                  "SRC>>argc > 5", 0)) {
      status = runCommand(argv);
    }
  }
  // A report still on its way to the console must come out before the last line.
  __CFLogFlush();
  NSLog(NSSTR("MoxicamInstallHelper exiting"));
  pool->drain();
  return status;
}
