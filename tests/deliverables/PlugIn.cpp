// A plug-in with its own log identity and its own requirement console.
#include <CoreFoundation/CFString.h>

#include "CoreMachDebug.h"
#include "QueueLabelProbe.h"
#include "URequirements.h"

const char* g_CoreMachDebug_LogPrefix = "DeliverablesPlugIn";
const char* g_CoreMachDebug_LogFileName = "DeliverablesPlugIn.log";

// Logs and reports the host's string; hands back a string made here (+1).
extern "C" __attribute__((visibility("default"))) CFStringRef DeliverablesTestPlugIn_Run(CFStringRef fromHost) {
  QueueLabelProbe::install();
  ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_File);
  char text[256] = {};
  CFStringGetCString(fromHost, text, sizeof text, kCFStringEncodingUTF8);
  ZidaZoraDurodAri("plug-in line %s\n", text);
  __CFLogPrintf(CFSTR("plug-in got %@"), fromHost);
  return CFStringCreateWithCString(nullptr, "made in the plug-in", kCFStringEncodingUTF8);
}

extern "C" __attribute__((visibility("default"))) const char* DeliverablesTestPlugIn_QueueLabel() {
  return QueueLabelProbe::waitForLabel();
}
