#pragma once
// Authorization Services: asking whether the user may act as an administrator, and running a
// tool with administrator rights.
//
// This platform knows one right, "system.privilege.admin" (kAuthorizationRightExecute). A
// process running as root holds it; any other process obtains it through sudo, or through
// pkexec, which asks when the tool is run. The environment variable MOXICAM_AUTHORIZATION
// ("granted", "denied" or "cancelled") answers the question in place of the user, for tests;
// it never gives root to a process that is not root already.
#include <CoreFoundation/MacTypes.h>

#include <cstdio>

#define SECURITY_EXPORT extern "C" __attribute__((visibility("default")))

typedef const struct AuthorizationOpaqueRef* AuthorizationRef;
typedef const char* AuthorizationString;
typedef UInt32 AuthorizationFlags;

struct AuthorizationItem {
  AuthorizationString name;
  size_t valueLength;
  void* value;
  UInt32 flags;
};

struct AuthorizationItemSet {
  UInt32 count;
  AuthorizationItem* items;
};
typedef AuthorizationItemSet AuthorizationRights;
typedef AuthorizationItemSet AuthorizationEnvironment;

enum : AuthorizationFlags {
  kAuthorizationFlagDefaults = 0,
  kAuthorizationFlagInteractionAllowed = 1 << 0,
  kAuthorizationFlagExtendRights = 1 << 1,
  kAuthorizationFlagPartialRights = 1 << 2,
  kAuthorizationFlagDestroyRights = 1 << 3,
  kAuthorizationFlagPreAuthorize = 1 << 4,
};

enum : OSStatus {
  errAuthorizationSuccess = 0,
  errAuthorizationInvalidSet = -60001,
  errAuthorizationInvalidRef = -60002,
  errAuthorizationInvalidPointer = -60004,
  errAuthorizationDenied = -60005,
  errAuthorizationCanceled = -60006,
  errAuthorizationInteractionNotAllowed = -60007,
  errAuthorizationInternal = -60008,
  errAuthorizationInvalidFlags = -60011,
  errAuthorizationToolExecuteFailure = -60031,
};

#define kAuthorizationRightExecute "system.privilege.admin"

// A new authorization (*authorization, freed with AuthorizationFree). Rights given here are
// asked for at once, as AuthorizationCopyRights does; a null `authorization` only asks.
SECURITY_EXPORT OSStatus AuthorizationCreate(const AuthorizationRights* rights,
                                             const AuthorizationEnvironment* environment,
                                             AuthorizationFlags flags, AuthorizationRef* authorization);
SECURITY_EXPORT OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags flags);

// Obtains every right of the set for the authorization. Without kAuthorizationFlagExtendRights
// only rights already held count; without kAuthorizationFlagInteractionAllowed nobody is asked.
// This platform hands back no copy of the rights: *authorizedRights, when asked for, is null.
SECURITY_EXPORT OSStatus AuthorizationCopyRights(AuthorizationRef authorization,
                                                 const AuthorizationRights* rights,
                                                 const AuthorizationEnvironment* environment,
                                                 AuthorizationFlags flags,
                                                 AuthorizationRights** authorizedRights);

// Runs the tool as root with argv[0] = pathToTool and the null-terminated arguments after it,
// asking for the administrator right first when the authorization does not hold it. The tool
// is a child of the caller (so wait() gives its status). With a communications pipe, the tool's
// standard input and output are one socket whose other end comes back as *communicationsPipe
// (read and write; the caller closes it); without one the tool shares the caller's.
SECURITY_EXPORT OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef authorization,
                                                            const char* pathToTool,
                                                            AuthorizationFlags options,
                                                            char* const* arguments,
                                                            FILE** communicationsPipe);
