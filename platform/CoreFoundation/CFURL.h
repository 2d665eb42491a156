#pragma once
// CFURL: a URL as its escaped text, absolute or relative to a base URL. File URLs are made
// from POSIX paths ("file:///a%20b/") and give them back unescaped.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>

typedef const struct __CFURL* CFURLRef;
typedef struct __CFError* CFErrorRef;

typedef CF_ENUM(CFIndex, CFURLPathStyle){
    kCFURLPOSIXPathStyle = 0,
    kCFURLHFSPathStyle = 1,
    kCFURLWindowsPathStyle = 2,
};

CF_EXPORT CFTypeID CFURLGetTypeID(void);

// A URL of the text, relative to baseURL unless the text is absolute; null when the text is
// not a valid URL (characters a URL cannot hold, malformed escapes).
CF_EXPORT CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString, CFURLRef baseURL);
// A file URL of a POSIX path (the only style kept); a relative path is relative to the
// current folder. A directory's URL ends with '/'.
CF_EXPORT CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath,
                                                 CFURLPathStyle pathStyle, Boolean isDirectory);
CF_EXPORT CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer,
                                                           CFIndex bufLen, Boolean isDirectory);

CF_EXPORT CFStringRef CFURLGetString(CFURLRef anURL);
CF_EXPORT CFURLRef CFURLGetBaseURL(CFURLRef anURL);
CF_EXPORT CFURLRef CFURLCopyAbsoluteURL(CFURLRef relativeURL);

// The unescaped path, without a trailing '/' (but "/" for the root); not resolved against the base.
CF_EXPORT CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle);
// The path as the file system's NUL-terminated bytes; false when the URL is not a file URL,
// when the path holds a NUL, or when it does not fit in maxBufLen bytes.
CF_EXPORT Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                                   CFIndex maxBufLen);

// The scheme and host name, from the base when the URL has none of its own.
CF_EXPORT CFStringRef CFURLCopyScheme(CFURLRef anURL);
CF_EXPORT CFStringRef CFURLCopyHostName(CFURLRef anURL);
// The path as written in the URL, still escaped.
CF_EXPORT CFStringRef CFURLCopyPath(CFURLRef anURL);
CF_EXPORT Boolean CFURLHasDirectoryPath(CFURLRef anURL);
CF_EXPORT CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
// Null when the last component has no extension.
CF_EXPORT CFStringRef CFURLCopyPathExtension(CFURLRef url);

CF_EXPORT CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef allocator, CFURLRef url,
                                                         CFStringRef pathComponent, Boolean isDirectory);
CF_EXPORT CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef allocator, CFURLRef url);
CF_EXPORT CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef allocator, CFURLRef url,
                                                         CFStringRef extension);
CF_EXPORT CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef allocator, CFURLRef url);

// True when the file the URL names exists; otherwise false with an error (+1) when asked.
CF_EXPORT Boolean CFURLResourceIsReachable(CFURLRef url, CFErrorRef* error);

// Escapes what a URL cannot hold (and the characters of legalURLCharactersToBeEscaped), except
// the characters of charactersToLeaveUnescaped; '%' stays as it is. UTF-8 only.
CF_EXPORT CFStringRef CFURLCreateStringByAddingPercentEscapes(CFAllocatorRef allocator, CFStringRef originalString,
                                                              CFStringRef charactersToLeaveUnescaped,
                                                              CFStringRef legalURLCharactersToBeEscaped,
                                                              CFStringEncoding encoding);
// Replaces escapes by their characters, except escapes of charactersToLeaveEscaped; a null
// set replaces nothing and an empty one everything. Null when an escape is malformed or the
// result is not UTF-8 text.
CF_EXPORT CFStringRef CFURLCreateStringByReplacingPercentEscapes(CFAllocatorRef allocator, CFStringRef originalString,
                                                                 CFStringRef charactersToLeaveEscaped);
