#pragma once
// What an AuthorizationRef stands for: the rights it holds. References are checked against the
// live set, so a freed or made-up reference is refused instead of read.
#include <Security/Authorization.h>

struct AuthorizationOpaqueRef {
  bool holdsAdministratorRight = false;
};

namespace AuthorizationObjects {
AuthorizationOpaqueRef* make();
// The live object behind a reference, or null.
AuthorizationOpaqueRef* find(AuthorizationRef authorization);
// Forgets and frees a live object; false when the reference is not live.
bool free(AuthorizationRef authorization);
// Makes sure the object holds the administrator right, asking for it (interaction allowed)
// when it does not; answers an authorization status.
OSStatus obtainAdministratorRight(AuthorizationOpaqueRef* object);
}  // namespace AuthorizationObjects
