// A process that owns one global surface and changes it on command, one command per line on
// standard input, one answer per line on standard output:
//   (start)          -> "<id> <seed>" of a new W x H FOUR_CHAR_CODE("BGRA") surface filled with byte F,
//                       global unless the fourth argument is "local"
//   fill <byte>      -> the seed after a locked write of that byte over every pixel
//   use / unuse      -> the use count after incrementing / decrementing it
//   lookup <id>      -> the first pixel byte of that surface, or "none"
//   adopt <fd> <b>   -> the id of the surface behind inherited descriptor fd, after a locked
//                       write of byte b over its pixels; "none" when fd holds no surface
//   exhaust          -> opens descriptors until the process may open no more; "exhausted"
//   release          -> closes them again; "released"
//   drop             -> lets go of its surface (later commands that need it answer "none");
//                       "dropped"
// It exits at "exit" or when its input closes, so it never outlives the test.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <IOSurface/IOSurface.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

void setNumber(CFMutableDictionaryRef properties, CFStringRef key, int value) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &value);
  CFDictionarySetValue(properties, key, number);
  CFRelease(number);
}

uint32_t fill(IOSurfaceRef surface, int byte) {
  uint32_t seed = 0;
  IOSurfaceLock(surface, 0, nullptr);
  std::memset(IOSurfaceGetBaseAddress(surface), byte, IOSurfaceGetAllocSize(surface));
  IOSurfaceUnlock(surface, 0, &seed);
  return seed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: %s width height fill-byte [local]\n", argv[0]);
    return 2;
  }
  CFMutableDictionaryRef properties =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  setNumber(properties, kIOSurfaceWidth, std::atoi(argv[1]));
  setNumber(properties, kIOSurfaceHeight, std::atoi(argv[2]));
  setNumber(properties, kIOSurfaceBytesPerElement, 4);
  setNumber(properties, kIOSurfacePixelFormat, FOUR_CHAR_CODE("BGRA"));
  const bool global = argc == 4 || std::strcmp(argv[4], "local") != 0;
  CFDictionarySetValue(properties, kIOSurfaceIsGlobal, global ? kCFBooleanTrue : kCFBooleanFalse);
  IOSurfaceRef surface = IOSurfaceCreate(properties);
  CFRelease(properties);
  if (!surface) return 1;
  const uint32_t seed = fill(surface, std::atoi(argv[3]));
  std::cout << IOSurfaceGetID(surface) << " " << seed << std::endl;

  std::vector<int> taken;
  std::string command;
  while (std::cin >> command && command != "exit") {
    if (command == "drop") {
      if (surface) CFRelease(surface);
      surface = nullptr;
      std::cout << "dropped" << std::endl;
    } else if (!surface && (command == "fill" || command == "use" || command == "unuse")) {
      std::cout << "none" << std::endl;
    } else if (command == "fill") {
      int byte = 0;
      std::cin >> byte;
      std::cout << fill(surface, byte) << std::endl;
    } else if (command == "use") {
      IOSurfaceIncrementUseCount(surface);
      std::cout << IOSurfaceGetUseCount(surface) << std::endl;
    } else if (command == "unuse") {
      IOSurfaceDecrementUseCount(surface);
      std::cout << IOSurfaceGetUseCount(surface) << std::endl;
    } else if (command == "lookup") {
      IOSurfaceID id = 0;
      std::cin >> id;
      IOSurfaceRef other = IOSurfaceLookup(id);
      if (other) {
        std::cout << int(*static_cast<unsigned char*>(IOSurfaceGetBaseAddress(other))) << std::endl;
        CFRelease(other);
      } else {
        std::cout << "none" << std::endl;
      }
    } else if (command == "adopt") {
      int fd = -1, byte = 0;
      std::cin >> fd >> byte;
      IOSurfaceRef other = _IOSurfaceCreateFromFileDescriptor(fd);
      if (other) {
        fill(other, byte);
        std::cout << IOSurfaceGetID(other) << std::endl;
        CFRelease(other);
      } else {
        std::cout << "none" << std::endl;
      }
    } else if (command == "exhaust") {
      for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken.push_back(fd);
      std::cout << "exhausted" << std::endl;
    } else if (command == "release") {
      for (int fd : taken) close(fd);
      taken.clear();
      std::cout << "released" << std::endl;
    } else {
      std::cout << "unknown" << std::endl;
    }
  }
  if (surface) CFRelease(surface);
  return 0;
}
