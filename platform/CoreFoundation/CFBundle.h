#pragma once
// CFBundle: a folder that holds code and resources. On this platform a bundle is
//   X.app, X.plugin, X.bundle, X.component, X.driver: Contents/Info.plist and
//     Contents/MacOS/<CFBundleExecutable> (an ELF shared object or program), with
//     Contents/{Resources, PlugIns, Frameworks, SharedFrameworks, SharedSupport};
//   X.framework: the executable X.framework/X (or Versions/A/X), resources in Resources/;
//   any other folder: a flat bundle, its Info.plist and resources at the top.
// Executables are loaded with dlopen (RTLD_NOW | RTLD_LOCAL) and symbols found with dlsym.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFError.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

typedef struct __CFBundle* CFBundleRef;

CF_EXPORT const CFStringRef kCFBundleInfoDictionaryVersionKey;
CF_EXPORT const CFStringRef kCFBundleExecutableKey;
CF_EXPORT const CFStringRef kCFBundleIdentifierKey;
CF_EXPORT const CFStringRef kCFBundleVersionKey;
CF_EXPORT const CFStringRef kCFBundleNameKey;

CF_EXPORT CFTypeID CFBundleGetTypeID(void);

// The bundle of the running program: the enclosing X.app when the program lies in
// X.app/Contents/MacOS, else the program's folder. Not retained; lives for the process.
CF_EXPORT CFBundleRef CFBundleGetMainBundle(void);
// Among the bundles alive now and the main bundle; not retained.
CF_EXPORT CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
// A bundle (+1) for an existing folder; one URL gives one bundle object while it lives.
// Null when the URL names no folder.
CF_EXPORT CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);

CF_EXPORT CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
// The information dictionary (+1) of a bundle folder, or of a program file: the Info.plist
// that the program embeds in its ELF section "__info_plist". Null for a file that embeds none
// (or is damaged) and for a URL that names nothing.
CF_EXPORT CFDictionaryRef CFBundleCopyInfoDictionaryForURL(CFURLRef url);
// The bundle's Info.plist (an empty dictionary when it has none); owned by the bundle.
CF_EXPORT CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
CF_EXPORT CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);

// Locations (+1 URLs). The executable's is null when the file does not exist.
CF_EXPORT CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CF_EXPORT CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
CF_EXPORT CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
CF_EXPORT CFURLRef CFBundleCopyBuiltInPlugInsURL(CFBundleRef bundle);
CF_EXPORT CFURLRef CFBundleCopyPrivateFrameworksURL(CFBundleRef bundle);
CF_EXPORT CFURLRef CFBundleCopySharedFrameworksURL(CFBundleRef bundle);
CF_EXPORT CFURLRef CFBundleCopySharedSupportURL(CFBundleRef bundle);
CF_EXPORT CFURLRef CFBundleCopySupportFilesDirectoryURL(CFBundleRef bundle);

// The resource "name.type" (type may be null or empty when name is the whole file name) in the
// resources folder or its sub-folder; null when it does not exist or a part would leave the
// bundle ("..").
CF_EXPORT CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                           CFStringRef resourceType, CFStringRef subDirName);
// Every resource with that extension (every file for a null or empty type), sorted by name.
CF_EXPORT CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef bundle, CFStringRef resourceType,
                                                    CFStringRef subDirName);

CF_EXPORT Boolean CFBundleLoadExecutable(CFBundleRef bundle);
// On failure *error (when given) receives a new error in NSCocoaErrorDomain: 4 when there is no
// executable, 3587 when the loader refused it (its message is the description).
CF_EXPORT Boolean CFBundleLoadExecutableAndReturnError(CFBundleRef bundle, CFErrorRef* error);
CF_EXPORT Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle);
// Leaves a plug-in loaded while instances of its factories live.
CF_EXPORT void CFBundleUnloadExecutable(CFBundleRef bundle);
// Loads the executable when needed, then looks the symbol up; null when either fails.
CF_EXPORT void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName);
CF_EXPORT void* CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName);
