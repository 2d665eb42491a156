#pragma once
// Runs a block once per process for a predicate; other callers wait until it has run.
#include <dispatch/base.h>

typedef long dispatch_once_t;

DISPATCH_EXPORT void dispatch_once(dispatch_once_t* predicate, dispatch_block_t block);
DISPATCH_EXPORT void dispatch_once_f(dispatch_once_t* predicate, void* context, dispatch_function_t function);
