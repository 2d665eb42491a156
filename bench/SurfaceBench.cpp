// Surfaces: creating a global 1280 x 720 surface, looking up another process's surface by its
// id (as a reader does for every frame) and a write lock with its unlock, each beside a
// reference measured in the same run: a bare memfd with its mmap, and a memcpy of one frame.
//   SurfaceBench [--count N]
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "GlobalSurface.h"
#include "TemporaryRoot.h"

namespace {

using bench::Figures;
using bench::nowNanoseconds;

constexpr int kWidth = 1280, kHeight = 720;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 4;

// Owns one global surface and prints its id until its input closes.
int own() {
  IOSurfaceRef surface = moxicam::test::createGlobalSurface(kWidth, kHeight);
  if (!surface) return 1;
  printf("%u\n", IOSurfaceGetID(surface));
  fflush(stdout);
  char byte;
  while (read(STDIN_FILENO, &byte, 1) > 0) {
  }
  CFRelease(surface);
  return 0;
}

template <class Work>
std::vector<double> timed(int count, Work work) {
  std::vector<double> sample;
  for (int i = 0; i < count; ++i) {
    const int64_t start = nowNanoseconds();
    work();
    sample.push_back(double(nowNanoseconds() - start) / 1e3);
  }
  return sample;
}

void row(const char* what, const Figures& figures, const Figures& reference, const char* referenceName) {
  printf("  %-34s p50 %9.2f us  (%s p50 %8.2f us, ratio %7.1f)\n", what, figures.p50, referenceName,
         reference.p50, reference.p50 > 0 ? figures.p50 / reference.p50 : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  int count = 200;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--own")) return own();
    if (!strcmp(argv[i], "--count") && i + 1 < argc) count = std::max(10, atoi(argv[++i]));
  }
  moxicam::test::TemporaryRoot root;

  const Figures bare(timed(count, [] {
    const int fd = memfd_create("bench", MFD_CLOEXEC);
    if (ftruncate(fd, off_t(kFrameBytes + 4096)) == 0) {
      void* mapping = mmap(nullptr, kFrameBytes + 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (mapping != MAP_FAILED) munmap(mapping, kFrameBytes + 4096);
    }
    close(fd);
  }));
  const Figures create(timed(count, [] {
    if (IOSurfaceRef surface = moxicam::test::createGlobalSurface(kWidth, kHeight)) CFRelease(surface);
  }));

  // The owner process writes its surface's id as its first line; its input stays open until
  // the end of the run.
  int toOwner[2];
  if (pipe(toOwner) != 0) return 1;
  int fromOwner[2];
  if (pipe(fromOwner) != 0) return 1;
  const pid_t owner = fork();
  if (owner == 0) {
    dup2(toOwner[0], STDIN_FILENO);
    dup2(fromOwner[1], STDOUT_FILENO);
    close(toOwner[1]);
    execl("/proc/self/exe", argv[0], "--own", nullptr);
    _exit(127);
  }
  close(toOwner[0]);
  close(fromOwner[1]);
  FILE* ownerOutput = fdopen(fromOwner[0], "r");
  unsigned id = 0;
  if (!ownerOutput || fscanf(ownerOutput, "%u", &id) != 1 || id == 0) {
    fprintf(stderr, "SurfaceBench: the owner process made no surface\n");
    return 1;
  }
  const int64_t firstStart = nowNanoseconds();
  IOSurfaceRef first = IOSurfaceLookup(id);
  const double firstLookup = double(nowNanoseconds() - firstStart) / 1e3;
  if (!first) return 1;
  CFRelease(first);
  const Figures lookup(timed(count, [id] {
    if (IOSurfaceRef surface = IOSurfaceLookup(id)) CFRelease(surface);
  }));
  IOSurfaceRef surface = IOSurfaceLookup(id);
  const Figures lock(timed(count, [surface] {
    IOSurfaceLock(surface, 0, nullptr);
    IOSurfaceUnlock(surface, 0, nullptr);
  }));
  std::vector<unsigned char> frame(kFrameBytes, 1);
  const Figures copy(timed(std::min(count, 50), [&frame, surface] {
    memcpy(IOSurfaceGetBaseAddress(surface), frame.data(), kFrameBytes);
  }));
  const Figures readBack(timed(std::min(count, 50), [&frame, surface] {
    memcpy(frame.data(), IOSurfaceGetBaseAddress(surface), kFrameBytes);
  }));
  CFRelease(surface);
  close(toOwner[1]);
  fclose(ownerOutput);
  waitpid(owner, nullptr, 0);

  printf("surfaces, %dx%d BGRA, %d of each\n", kWidth, kHeight, count);
  row("create a global surface", create, bare, "memfd+mmap");
  printf("  %-34s     %9.2f us\n", "first lookup of another's surface", firstLookup);
  row("lookup again", lookup, bare, "memfd+mmap");
  row("write lock and unlock", lock, copy, "memcpy of a frame");
  row("read a whole frame from it", readBack, copy, "memcpy of a frame");
  return 0;
}
