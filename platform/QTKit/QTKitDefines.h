#pragma once
// What QTKit exports: its classes and constants. Everything else stays inside it.
#define QTKIT_EXPORT extern "C" __attribute__((visibility("default")))
#define QTKIT_CLASS __attribute__((visibility("default")))
