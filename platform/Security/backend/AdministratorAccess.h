#pragma once
// How this process becomes an administrator on Linux: it is root already, or sudo or pkexec
// runs things as root for it.
#include <Security/Authorization.h>

#include <string>
#include <vector>

namespace AdministratorAccess {

// Asks whether the user may act as an administrator: the test switch's answer when it is set;
// else yes for root; else sudo's verdict (cached credentials first, then, when interaction is
// allowed, its password prompt on the terminal); else yes when pkexec will ask at run time.
// Answers an authorization status.
OSStatus obtain(AuthorizationFlags flags);

// The argument vector that runs the tool as root: the tool itself for root, else behind sudo
// (non-interactive: obtain has asked already) or pkexec. Empty when there is no way.
std::vector<std::string> privilegedCommand(const std::string& tool,
                                           const std::vector<std::string>& arguments);

}  // namespace AdministratorAccess
