#pragma once
// What the helper agrees to do as root: only its own executable runs privileged, and a request
// names one of the install locations and a payload that lies inside the application bundle
// that ships the helper. Anything else is refused before anything is touched.
#include <string>

#include <Foundation/Foundation.h>

namespace InstallRequest {

// The helper's own executable, with links resolved.
std::string selfPath();
// The application bundle that ships the tool at `toolPath`: the nearest enclosing ".app"
// folder, else the tool's own folder.
std::string applicationBundleOfTool(const std::string& toolPath);

// Null when `toolPath` names the helper itself (`selfPath`); else why it is refused.
NSString* refusalOfToolPath(const char* toolPath, const std::string& selfPath);

// The payload's destination at the location, or null with why the request is refused in
// *refusal: an unknown location, a payload whose name could leave the location's folder, a
// payload that does not exist or lies outside the application bundle.
NSString* destination(NSString* location, NSString* payload, const std::string& applicationBundle,
                      NSString** refusal);

// The payload as the copy should read it: its path with links resolved.
NSString* resolvedPayload(NSString* payload);

}  // namespace InstallRequest
