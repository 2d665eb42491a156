#pragma once
// The developer log and the VERIFY reporters.
//
// One printf-style entry point writes a line to the sink chosen for the process: the Apple
// System Log (echoed to standard error), syslog, standard output and the log file, or the
// log file alone. The file is the program's own, in the user's Logs folder; each program that
// links this library names itself and its file by defining g_CoreMachDebug_LogPrefix and
// g_CoreMachDebug_LogFileName.
//
// VERIFY, VERIFY_OSERR and VERIFY_CFERROR evaluate their expression once, in place, report a
// failure as one log line and yield whether the check held; they never stop the program.
#include <CoreFoundation/CFError.h>
#include <CoreFoundation/CFString.h>

typedef SInt32 kCoreLogOutput;
enum : SInt32 {
  kCoreLogOutput_File = 0,
  kCoreLogOutput_ASL = 1,
  kCoreLogOutput_Syslog = 2,
  kCoreLogOutput_ConsoleAndFile = 4,
};

// Defined by each program (or plug-in) that links the library.
extern const char* g_CoreMachDebug_LogPrefix;
extern const char* g_CoreMachDebug_LogFileName;

// The size of one log line with its terminating NUL.
constexpr size_t kCoreLogLineSize = 1024;

void ZidaZoraDurodAriSetUseLogger(kCoreLogOutput output);
void ZidaZoraDurodAri(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ZidaZoraDurodAriString(const char* text);
// Finds the log file's path; true when it is ready.
bool ZidaZoraDurodAriClassInitialize();

void _CoreMachDebugVerifyBody(const char* function, const char* file, SInt32 line, const char* code);
void _CoreMachDebugVerifyOSerrBody(SInt32 error, const char* function, const char* file, SInt32 line,
                                   const char* code);
void _CoreMachDebugVerifyCFErrorBody(CFErrorRef error, const char* function, const char* file, SInt32 line,
                                     const char* code);

// The text of a string in an encoding: null for a null string, else a pointer that stays valid
// on this thread until its next call that has to convert.
const char* CFStringDebugCStringPtr(CFStringRef string, CFStringEncoding encoding);

namespace CoreMachDebug {
inline bool osErrHolds(SInt32 error, const char* function, const char* file, SInt32 line, const char* code) {
  if (error == 0) return true;
  _CoreMachDebugVerifyOSerrBody(error, function, file, line, code);
  return false;
}
}  // namespace CoreMachDebug

#define VERIFY(expression) \
  ((expression) ? true : (_CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : " #expression), false))

#define VERIFY_OSERR(expression) \
  CoreMachDebug::osErrHolds((expression), __FUNCTION__, __FILE__, __LINE__, " code : " #expression)

#define VERIFY_CFERROR(error) \
  _CoreMachDebugVerifyCFErrorBody((error), __FUNCTION__, __FILE__, __LINE__, " code : " #error)
