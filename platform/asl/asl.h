#pragma once
// The system log client: a client carries an identity and a facility; each message goes to
// syslog at the matching priority and, for a client opened with ASL_OPT_STDERR, to standard
// error followed by one newline.
#include <cstdarg>
#include <cstdint>

typedef struct __asl_client* aslclient;
typedef struct __asl_message* aslmsg;

#define ASL_OPT_STDERR 0x00000001
#define ASL_OPT_NO_DELAY 0x00000002
#define ASL_OPT_NO_REMOTE 0x00000004

#define ASL_LEVEL_EMERG 0
#define ASL_LEVEL_ALERT 1
#define ASL_LEVEL_CRIT 2
#define ASL_LEVEL_ERR 3
#define ASL_LEVEL_WARNING 4
#define ASL_LEVEL_NOTICE 5
#define ASL_LEVEL_INFO 6
#define ASL_LEVEL_DEBUG 7

#define ASL_API extern "C" __attribute__((visibility("default")))

// ident null: the program's name; facility null: "user".
ASL_API aslclient asl_open(const char* ident, const char* facility, uint32_t opts);
ASL_API void asl_close(aslclient client);
// A null client logs as the program under "user", without the standard-error echo. The message
// argument (per-message keys) is accepted and not used. Answers 0, or -1 for a null format
// or a level outside 0...7.
ASL_API int asl_log(aslclient client, aslmsg msg, int level, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
ASL_API int asl_vlog(aslclient client, aslmsg msg, int level, const char* format, va_list ap)
    __attribute__((format(printf, 4, 0)));
