#pragma once
// The type ids of the CoreFoundation types that the utility library checks against, asked of
// CoreFoundation once, at load, and kept.
#include <CoreFoundation/CFBase.h>

namespace CFTypeIDCache {
CFTypeID String();
CFTypeID Number();
CFTypeID Boolean();
CFTypeID Array();
CFTypeID Dictionary();
CFTypeID Data();
CFTypeID Set();
CFTypeID Bag();
CFTypeID Bundle();
CFTypeID URL();
}  // namespace CFTypeIDCache
