// Authorizations and their rights.
#include <Security/Authorization.h>

#include <cstring>

#include "backend/AdministratorAccess.h"
#include "backend/AuthorizationObject.h"

static constexpr AuthorizationFlags kKnownFlags =
    kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights | kAuthorizationFlagPartialRights |
    kAuthorizationFlagDestroyRights | kAuthorizationFlagPreAuthorize;

// errAuthorizationSuccess when every item of the set is well formed.
static OSStatus checkSet(const AuthorizationRights* rights) {
  if (!rights || (rights->count > 0 && !rights->items)) return errAuthorizationInvalidSet;
  for (UInt32 index = 0; index < rights->count; ++index) {
    const AuthorizationItem& item = rights->items[index];
    if (!item.name || (item.valueLength > 0 && !item.value)) return errAuthorizationInvalidSet;
  }
  return errAuthorizationSuccess;
}

static OSStatus copyRights(AuthorizationOpaqueRef* object, const AuthorizationRights* rights,
                           AuthorizationFlags flags) {
  if (flags & ~kKnownFlags) return errAuthorizationInvalidFlags;
  if (OSStatus status = checkSet(rights)) return status;
  if (rights->count == 0) return errAuthorizationSuccess;
  // No one can grant a right this platform does not know.
  for (UInt32 index = 0; index < rights->count; ++index) {
    if (strcmp(rights->items[index].name, kAuthorizationRightExecute) != 0) return errAuthorizationDenied;
  }
  if (object->holdsAdministratorRight) return errAuthorizationSuccess;
  const OSStatus status = AdministratorAccess::obtain(flags);
  if (status == errAuthorizationSuccess) object->holdsAdministratorRight = true;
  return status;
}

OSStatus AuthorizationCreate(const AuthorizationRights* rights, const AuthorizationEnvironment*,
                             AuthorizationFlags flags, AuthorizationRef* authorization) {
  if (flags & ~kKnownFlags) return errAuthorizationInvalidFlags;
  AuthorizationOpaqueRef* object = AuthorizationObjects::make();
  OSStatus status = rights ? copyRights(object, rights, flags) : errAuthorizationSuccess;
  if (status != errAuthorizationSuccess || !authorization) {
    AuthorizationObjects::free(object);
    if (authorization) *authorization = nullptr;
    return status;
  }
  *authorization = object;
  return errAuthorizationSuccess;
}

OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags) {
  return AuthorizationObjects::free(authorization) ? errAuthorizationSuccess : errAuthorizationInvalidRef;
}

OSStatus AuthorizationCopyRights(AuthorizationRef authorization, const AuthorizationRights* rights,
                                 const AuthorizationEnvironment*, AuthorizationFlags flags,
                                 AuthorizationRights** authorizedRights) {
  if (authorizedRights) *authorizedRights = nullptr;
  AuthorizationOpaqueRef* object = AuthorizationObjects::find(authorization);
  if (!object) return errAuthorizationInvalidRef;
  return copyRights(object, rights, flags);
}

OSStatus AuthorizationObjects::obtainAdministratorRight(AuthorizationOpaqueRef* object) {
  AuthorizationItem item{kAuthorizationRightExecute, 0, nullptr, 0};
  AuthorizationRights rights{1, &item};
  return copyRights(object, &rights, kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights);
}
