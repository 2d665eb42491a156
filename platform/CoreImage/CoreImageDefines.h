#pragma once
// What CoreImage exports: its classes and constants. Everything else stays inside it.
#define COREIMAGE_EXPORT extern "C" __attribute__((visibility("default")))
#define COREIMAGE_CLASS __attribute__((visibility("default")))
