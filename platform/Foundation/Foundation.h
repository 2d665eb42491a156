#pragma once
// Everything Foundation offers.
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSError.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSOperation.h>
#include <Foundation/NSString.h>
#include <Foundation/NSThread.h>
