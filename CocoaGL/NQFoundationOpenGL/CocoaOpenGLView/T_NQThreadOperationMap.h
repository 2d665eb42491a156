#pragma once
// Work a view may only do on the main thread, asked for from any thread: one entry per
// operation with a count of requests, raised and cleared atomically, so that any number of
// requests between two runs come to one call.
#include <CoreFoundation/CFString.h>

#include <atomic>

enum tagNQDisplayLinkViewOperation : int {
  kNQDisplayLinkViewOperation_Init = 0,
  kNQDisplayLinkViewOperation_Reshape = 1,
  kNQDisplayLinkViewOperation_Changed = 2,
  kNQDisplayLinkViewOperation_NeedsDisplay = 3,
  kNQDisplayLinkViewOperation_Count = 4,
};

struct ThreadOperation {
  int selectorID;
  CFStringRef selectorName;
  std::atomic<int> pendingRequests{0};
};

struct T_NQThreadOperationMap {
  // In the order the operations run.
  ThreadOperation mArray[kNQDisplayLinkViewOperation_Count] = {
      {kNQDisplayLinkViewOperation_Init, CFSTR("renderSceneInit")},
      {kNQDisplayLinkViewOperation_Reshape, CFSTR("renderSceneReshape")},
      {kNQDisplayLinkViewOperation_Changed, CFSTR("renderSceneChangedOnMainThread")},
      {kNQDisplayLinkViewOperation_NeedsDisplay, CFSTR("renderSceneNeedsDisplayOnMainThread")},
  };
};
