#pragma once
// CFTree: an ordered tree of nodes, each carrying one context value. A parent owns its
// children; a child knows its parent without owning it.
#include <CoreFoundation/CFBase.h>

typedef const void* (*CFTreeRetainCallBack)(const void* info);
typedef void (*CFTreeReleaseCallBack)(const void* info);
typedef CFStringRef (*CFTreeCopyDescriptionCallBack)(const void* info);

struct CFTreeContext {
  CFIndex version;
  void* info;
  CFTreeRetainCallBack retain;
  CFTreeReleaseCallBack release;
  CFTreeCopyDescriptionCallBack copyDescription;
};

typedef struct __CFTree* CFTreeRef;

CF_EXPORT CFTypeID CFTreeGetTypeID(void);

// A new tree without parent or children; the context's info is retained through its retain
// callback (when it has one) and released the same way when the tree goes.
CF_EXPORT CFTreeRef CFTreeCreate(CFAllocatorRef allocator, const CFTreeContext* context);

CF_EXPORT void CFTreeGetContext(CFTreeRef tree, CFTreeContext* context);
CF_EXPORT CFTreeRef CFTreeGetParent(CFTreeRef tree);
CF_EXPORT CFTreeRef CFTreeGetNextSibling(CFTreeRef tree);
CF_EXPORT CFTreeRef CFTreeGetFirstChild(CFTreeRef tree);
CF_EXPORT CFIndex CFTreeGetChildCount(CFTreeRef tree);
// The child at that position, or null when there is none.
CF_EXPORT CFTreeRef CFTreeGetChildAtIndex(CFTreeRef tree, CFIndex idx);

// Adds newChild, which must have no parent, after the last child; the parent retains it.
CF_EXPORT void CFTreeAppendChild(CFTreeRef tree, CFTreeRef newChild);
