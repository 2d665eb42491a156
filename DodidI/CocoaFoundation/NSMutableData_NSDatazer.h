#pragma once
// Copies of bytes into mutable data, and the program's nibble-swap transform of data in place
// (the category NSDatazer on NSMutableData): the two 4-bit halves of every byte change
// places, so applying it twice restores the data. The built-in shader texts are kept this way.
#include <cstddef>

#include <Foundation/NSData.h>

int import_NSDatazer();

namespace NSDatazer {

// Swaps the halves of every byte of the data; YES (also for empty data).
bool transformData(NSMutableData* data);
bool transform(NSMutableData* data);
// New autoreleased data holding a copy of the bytes; null, reported, when none can be made.
// Lengths are full sizes: data beyond 4 GiB is copied whole.
NSMutableData* dataWithNSDataBytes_length(const void* bytes, size_t length);
NSMutableData* dataWithNSData(NSData* data);
// A copy, then transformed.
NSMutableData* dataWithNSDatazerBytes_length(const void* bytes, size_t length);

}  // namespace NSDatazer
