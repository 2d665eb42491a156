// Writes developer-log lines through a chosen sink, so that a test can see what reaches
// standard output, standard error, syslog and the log file of another process.
//   CoreXLogProbe <sink> <action>...   actions: text:<line>  verify  oserr:<status>  cferror
#include <cstdlib>
#include <cstring>
#include <string>

#include "CoreMachDebug.h"

const char* g_CoreMachDebug_LogPrefix = "LogProbe";
const char* g_CoreMachDebug_LogFileName = "LogProbe.log";

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  ZidaZoraDurodAriSetUseLogger(atoi(argv[1]));
  for (int index = 2; index < argc; ++index) {
    const std::string action = argv[index];
    if (action.rfind("text:", 0) == 0) {
      ZidaZoraDurodAri("%s", action.c_str() + 5);
    } else if (action == "verify") {
      _CoreMachDebugVerifyBody("Probe", "/src/Probe.cpp", 12, " code : ready");
    } else if (action.rfind("oserr:", 0) == 0) {
      _CoreMachDebugVerifyOSerrBody(atoi(action.c_str() + 6), "Probe", "/src/Probe.cpp", 13, " code : err");
    } else if (action == "cferror") {
      _CoreMachDebugVerifyCFErrorBody(nullptr, "Probe", "/src/Probe.cpp", 14, " code : error");
    } else {
      return 2;
    }
  }
  return 0;
}
