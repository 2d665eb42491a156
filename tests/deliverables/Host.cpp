// A host program that loads the test plug-in through CFBundle; both log and report, each
// through its own copy of the libraries.
//   DeliverablesTestHost <plug-in bundle path>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFURL.h>

#include <cstdio>
#include <cstring>

#include "CoreMachDebug.h"
#include "QueueLabelProbe.h"
#include "URequirements.h"

const char* g_CoreMachDebug_LogPrefix = "DeliverablesHost";
const char* g_CoreMachDebug_LogFileName = "DeliverablesHost.log";

typedef CFStringRef (*RunFunction)(CFStringRef fromHost);
typedef const char* (*QueueLabelFunction)();

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  QueueLabelProbe::install();
  ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_ConsoleAndFile);

  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(argv[1]),
                                                         CFIndex(strlen(argv[1])), true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (!bundle || !CFBundleLoadExecutable(bundle)) return 3;
  auto run = reinterpret_cast<RunFunction>(CFBundleGetFunctionPointerForName(bundle, CFSTR("DeliverablesTestPlugIn_Run")));
  auto queueLabel =
      reinterpret_cast<QueueLabelFunction>(CFBundleGetFunctionPointerForName(bundle, CFSTR("DeliverablesTestPlugIn_QueueLabel")));
  if (!run || !queueLabel) return 4;

  CFStringRef fromHost = CFStringCreateWithCString(nullptr, "made in the host", kCFStringEncodingUTF8);
  CFStringRef fromPlugIn = run(fromHost);
  char text[256] = {};
  CFStringGetCString(fromPlugIn, text, sizeof text, kCFStringEncodingUTF8);
  ZidaZoraDurodAri("host line %s\n", text);
  __CFLogPrintf(CFSTR("host got %@"), fromPlugIn);

  const char* hostLabel = QueueLabelProbe::waitForLabel();
  const char* plugInLabel = queueLabel();
  const bool bothNamed = hostLabel && plugInLabel && strcmp(hostLabel, "sCFTypeRefOutputQueue") == 0 &&
                         strcmp(plugInLabel, "sCFTypeRefOutputQueue") == 0;
  printf("queues: named=%d distinct=%d\n", int(bothNamed), int(hostLabel != plugInLabel));
  fflush(stdout);
  CFRelease(fromPlugIn);
  CFRelease(fromHost);
  return 0;
}
