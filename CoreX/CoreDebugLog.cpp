// The sinks of the developer log and the set-up of its file's path.
#include <Carbon/Carbon.h>
#include <asl.h>
#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "CoreMachDebug.h"

static std::atomic<kCoreLogOutput> sLogOutput{kCoreLogOutput_ASL};

static FSRef sUserLogsFolder;
static char sUserLogsPath[1024];
static char sCoreDebugLogFileName[1024];
// The path above is complete: only then may the set-up count as done.
static bool sLogFilePathBuilt = false;
static std::mutex sSetUpLock;
// Set while this thread runs the set-up, whose own reports must not start it again.
static thread_local bool tInSetUp = false;

static const char* logPrefix() { return g_CoreMachDebug_LogPrefix ? g_CoreMachDebug_LogPrefix : ""; }

void ZidaZoraDurodAriSetUseLogger(kCoreLogOutput output) { sLogOutput = output; }

void ZidaZoraDurodAri(const char* format, ...) {
  char line[kCoreLogLineSize];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(line, sizeof line, format ? format : "", arguments);
  va_end(arguments);
  ZidaZoraDurodAriString(line);
}

static bool folderExists(const FSRef& folder) {
  return FSGetCatalogInfo(&folder, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr) == noErr;
}

static bool bool_FSRef_IsValid(const FSRef& fileRef) { return folderExists(fileRef); }

static bool bool_FSRef_GetUnixPath(const FSRef& fileRef, char* path) {
  if (!VERIFY(bool_FSRef_IsValid(fileRef))) return false;
  return FSRefMakePath(&fileRef, reinterpret_cast<UInt8*>(path), sizeof sUserLogsPath) == noErr;
}

namespace {
// Marks this thread as running the set-up for as long as the object lives.
struct SetUpScope {
  SetUpScope() { tInSetUp = true; }
  ~SetUpScope() { tInSetUp = false; }
};
}  // namespace

bool ZidaZoraDurodAriClassInitialize() {
  std::lock_guard<std::mutex> lock(sSetUpLock);
  SetUpScope scope;
  // Done only when the whole path was built: a folder found without its path is not a
  // usable log file, and the next line tries again.
  if (sLogFilePathBuilt && folderExists(sUserLogsFolder)) return true;
  sLogFilePathBuilt = false;
  const FSVolumeRefNum domain = kUserDomain;
  if (!VERIFY_OSERR(FSFindFolder(domain, kLogsFolderType, kDontCreateFolder, &sUserLogsFolder))) return false;
  sUserLogsPath[0] = 0;
  bool fOk;
  if (!VERIFY(fOk=bool_FSRef_GetUnixPath(sUserLogsFolder, sUserLogsPath))) return false;
  const char* fileName = g_CoreMachDebug_LogFileName && *g_CoreMachDebug_LogFileName ? g_CoreMachDebug_LogFileName
                                                                                      : "CoreConsole.log";
  const int length = snprintf(sCoreDebugLogFileName, sizeof sCoreDebugLogFileName, "%s/%s", sUserLogsPath, fileName);
  sLogFilePathBuilt = fOk && length > 0 && size_t(length) < sizeof sCoreDebugLogFileName;
  return sLogFilePathBuilt;
}

static void writeToFile(const char* text) {
  static std::atomic<bool> fClassInitialized{false};
  if (!fClassInitialized) fClassInitialized = ZidaZoraDurodAriClassInitialize();
  if (!fClassInitialized) return;
  // One write of the whole line in append mode, so that lines from several threads or
  // processes never tear or overwrite each other.
  const int file = open(sCoreDebugLogFileName, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) return;
  const size_t length = strlen(text);
  const ssize_t written = write(file, text, length);
  (void)written;
  close(file);
}

void ZidaZoraDurodAriString(const char* text) {
  if (!text) return;
  if (tInSetUp) {
    // A report of the set-up itself cannot reach the file it is trying to find.
    fprintf(stderr, "%s:%s", logPrefix(), text);
    return;
  }
  switch (sLogOutput.load()) {
    case kCoreLogOutput_ASL: {
      aslclient client = asl_open(logPrefix(), "ZidaZoraDurodAri", ASL_OPT_STDERR);
      asl_log(client, nullptr, ASL_LEVEL_DEBUG, "%s\n", text);
      asl_close(client);
      return;
    }
    case kCoreLogOutput_Syslog:
      syslog(LOG_DEBUG, "%s:%s\n", logPrefix(), text);
      return;
    case kCoreLogOutput_ConsoleAndFile:
      fprintf(stdout, "%s:%s", logPrefix(), text);
      fflush(stdout);
      writeToFile(text);
      return;
    default:
      writeToFile(text);
      return;
  }
}
