#pragma once
// The two commands, run as root: install copies the payload to its destination and hands the
// tree to root and the administrators' group with mode 755; delete removes the destination.
//
// The platform's tools become Linux's: ditto is "cp -a -T" (the source's contents into the
// destination, links and modes kept), and the steps run as the root process itself rather
// than through sudo, which would look the tools up on its own path. macOS's group "admin" is
// the group of the users who may administer the machine: "admin", "sudo" or "wheel",
// whichever the machine has.
#include <Foundation/Foundation.h>

namespace InstallActions {

enum Status : int { kSucceeded = 0, kFailed = 1, kRefused = 2 };

// The group the installed tree is given to.
const char* administratorsGroup();

// Each logs "executing <command>", then its steps, then "completed <command>: ?" or what failed.
Status install(NSString* command, NSString* payload, NSString* destination);
Status remove(NSString* command, NSString* destination);

}  // namespace InstallActions
