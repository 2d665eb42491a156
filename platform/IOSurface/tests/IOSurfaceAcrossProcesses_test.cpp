// Surfaces shared with another process: the surface owner program of this folder runs as a
// child, driven line by line through its standard input and output.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPlatformRoot.h>
#include <IOSurface/IOSurface.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GlobalSurface.h"
#include "RunningChild.h"
#include "TemporaryRoot.h"

namespace {

using moxicam::test::RunningChild;

// The surface owner program, driven line by line.
std::unique_ptr<RunningChild> surfaceOwner(const std::vector<std::string>& arguments) {
  return std::make_unique<RunningChild>(SURFACE_OWNER_PROGRAM, arguments, std::map<std::string, std::string>{},
                                        RunningChild::Input::Open);
}

struct Started {
  IOSurfaceID id = 0;
  uint32_t seed = 0;
};

Started startedSurface(RunningChild& owner) {
  Started started;
  const std::string line = owner.nextLine().value_or("");
  std::sscanf(line.c_str(), "%u %u", &started.id, &started.seed);
  return started;
}

bool allBytesAre(IOSurfaceRef surface, unsigned char value) {
  const auto* bytes = static_cast<const unsigned char*>(IOSurfaceGetBaseAddress(surface));
  const size_t size = IOSurfaceGetBytesPerRow(surface) * IOSurfaceGetHeight(surface);
  for (size_t i = 0; i < size; ++i)
    if (bytes[i] != value) return false;
  return true;
}

TEST(IOSurfaceAcrossProcesses, GlobalSurfaceIsSharedWithItsOwnerWhileItLives) {
  auto owner = surfaceOwner({"64", "32", "90"});
  ASSERT_TRUE(owner->started());
  const Started started = startedSurface(*owner);
  ASSERT_NE(started.id, 0u);

  IOSurfaceRef surface = IOSurfaceLookup(started.id);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(IOSurfaceGetID(surface), started.id);
  EXPECT_EQ(IOSurfaceGetWidth(surface), 64u);
  EXPECT_EQ(IOSurfaceGetHeight(surface), 32u);
  EXPECT_EQ(IOSurfaceGetBytesPerRow(surface), 256u);
  EXPECT_EQ(IOSurfaceGetPixelFormat(surface), OSType(FOUR_CHAR_CODE("BGRA")));
  EXPECT_TRUE(allBytesAre(surface, 90));
  EXPECT_EQ(IOSurfaceGetSeed(surface), started.seed);

  // The owner writes: the new pixels and the new seed show here without another lookup.
  const uint32_t seedAfterWrite = std::stoul(owner->ask("fill 17").value_or("0"));
  EXPECT_NE(seedAfterWrite, started.seed);
  EXPECT_EQ(IOSurfaceGetSeed(surface), seedAfterWrite);
  EXPECT_TRUE(allBytesAre(surface, 17));

  // A write here shows there; a read-only lock changes no seed.
  uint32_t seed = 0;
  ASSERT_EQ(IOSurfaceLock(surface, 0, nullptr), kIOReturnSuccess);
  std::memset(IOSurfaceGetBaseAddress(surface), 200, IOSurfaceGetAllocSize(surface));
  ASSERT_EQ(IOSurfaceUnlock(surface, 0, &seed), kIOReturnSuccess);
  EXPECT_NE(seed, seedAfterWrite);
  EXPECT_EQ(owner->ask("lookup " + std::to_string(started.id)).value_or(""), "200");
  ASSERT_EQ(IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr), kIOReturnSuccess);
  ASSERT_EQ(IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr), kIOReturnSuccess);
  EXPECT_EQ(IOSurfaceGetSeed(surface), seed);

  CFRelease(surface);
}

TEST(IOSurfaceAcrossProcesses, UseCountIsOneCountForAllProcesses) {
  auto owner = surfaceOwner({"8", "8", "0"});
  const Started started = startedSurface(*owner);
  IOSurfaceRef surface = IOSurfaceLookup(started.id);
  ASSERT_NE(surface, nullptr);
  EXPECT_FALSE(IOSurfaceIsInUse(surface));

  IOSurfaceIncrementUseCount(surface);
  EXPECT_EQ(owner->ask("use").value_or(""), "2");
  EXPECT_EQ(IOSurfaceGetUseCount(surface), 2);
  EXPECT_EQ(owner->ask("unuse").value_or(""), "1");
  EXPECT_TRUE(IOSurfaceIsInUse(surface));
  IOSurfaceDecrementUseCount(surface);
  EXPECT_FALSE(IOSurfaceIsInUse(surface));
  // One decrement too many is refused: the count stays 0 for everyone.
  IOSurfaceDecrementUseCount(surface);
  EXPECT_EQ(owner->ask("use").value_or(""), "1");
  CFRelease(surface);
}

// A reader looks the surface up for every frame: it gets the mapping it has, not a new one,
// until the owner lets go of the surface.
TEST(IOSurfaceAcrossProcesses, LookupsAnswerTheMappingHeldUntilTheOwnerLetsGo) {
  auto owner = surfaceOwner({"32", "16", "7"});
  const Started started = startedSurface(*owner);
  ASSERT_NE(started.id, 0u);
  void* mapped = nullptr;
  for (int lookup = 0; lookup < 3; ++lookup) {
    SCOPED_TRACE(lookup);
    IOSurfaceRef surface = IOSurfaceLookup(started.id);
    ASSERT_NE(surface, nullptr);
    if (!mapped) mapped = IOSurfaceGetBaseAddress(surface);
    EXPECT_EQ(IOSurfaceGetBaseAddress(surface), mapped);
    EXPECT_TRUE(allBytesAre(surface, 7));
    CFRelease(surface);
  }
  // What the owner writes shows through the kept mapping.
  EXPECT_NE(owner->ask("fill 9").value_or("none"), "none");
  IOSurfaceRef again = IOSurfaceLookup(started.id);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(allBytesAre(again, 9));

  // The owner lets go while it lives: the id resolves no more, here too, while the reference
  // taken before stays usable.
  EXPECT_EQ(owner->ask("drop").value_or(""), "dropped");
  EXPECT_EQ(IOSurfaceLookup(started.id), nullptr);
  EXPECT_TRUE(allBytesAre(again, 9));
  CFRelease(again);
}

TEST(IOSurfaceAcrossProcesses, IdNoLongerResolvesOnceTheOwnerIsGone) {
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "owner killed" : "owner exited");
    auto owner = surfaceOwner({"16", "16", "1"});
    const Started started = startedSurface(*owner);
    IOSurfaceRef surface = IOSurfaceLookup(started.id);
    ASSERT_NE(surface, nullptr);
    if (killed) {
      owner->kill();
    } else {
      ASSERT_TRUE(owner->finish());
    }
    EXPECT_EQ(IOSurfaceLookup(started.id), nullptr);
    // The mapping this process already holds stays valid.
    EXPECT_TRUE(allBytesAre(surface, 1));
    CFRelease(surface);
    EXPECT_FALSE(
        std::filesystem::exists(CFPlatform::runtimePath() + "/IOSurface/" + std::to_string(started.id)));
  }
}

TEST(IOSurfaceAcrossProcesses, SurfaceThatIsNotGlobalDoesNotResolveElsewhere) {
  auto owner = surfaceOwner({"16", "16", "1", "local"});
  const Started started = startedSurface(*owner);
  ASSERT_NE(started.id, 0u);
  EXPECT_EQ(IOSurfaceLookup(started.id), nullptr);
  EXPECT_EQ(owner->ask("lookup " + std::to_string(started.id)).value_or(""), "1");
}

TEST(IOSurfaceAcrossProcesses, SurfacePassedAsDescriptorSharesItsMemory) {
  CFMutableDictionaryRef properties =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  int side = 24, bytes = 4;
  CFNumberRef sideNumber = CFNumberCreate(nullptr, kCFNumberIntType, &side);
  CFNumberRef bytesNumber = CFNumberCreate(nullptr, kCFNumberIntType, &bytes);
  CFDictionarySetValue(properties, kIOSurfaceWidth, sideNumber);
  CFDictionarySetValue(properties, kIOSurfaceHeight, sideNumber);
  CFDictionarySetValue(properties, kIOSurfaceBytesPerElement, bytesNumber);
  IOSurfaceRef surface = IOSurfaceCreate(properties);
  CFRelease(sideNumber);
  CFRelease(bytesNumber);
  CFRelease(properties);
  ASSERT_NE(surface, nullptr);
  const uint32_t seedBefore = IOSurfaceGetSeed(surface);

  // The child inherits the descriptor.
  const int fd = _IOSurfaceCopyFileDescriptor(surface);
  ASSERT_GT(fd, 2);
  fcntl(fd, F_SETFD, 0);
  auto owner = surfaceOwner({"4", "4", "0"});
  close(fd);
  startedSurface(*owner);

  EXPECT_EQ(owner->ask("adopt " + std::to_string(fd) + " 66").value_or(""), std::to_string(IOSurfaceGetID(surface)));
  EXPECT_TRUE(allBytesAre(surface, 66));
  EXPECT_NE(IOSurfaceGetSeed(surface), seedBefore);
  CFRelease(surface);
}

// A connection to the owner's socket, found through the surface's entry, that says nothing.
int silentConnection(IOSurfaceID id) {
  std::ifstream entry(CFPlatform::runtimePath() + "/IOSurface/" + std::to_string(id));
  long pid = 0;
  std::string socketPath;
  entry >> pid >> socketPath;
  const size_t slash = socketPath.rfind('/');
  if (slash == std::string::npos) return -1;
  // Reached through the folder's descriptor, as the path may be longer than an address holds.
  const int folder = open(socketPath.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "/proc/self/fd/%d%s", folder,
                socketPath.substr(slash).c_str());
  const int connection = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  const bool connected = connection >= 0 && folder >= 0 &&
                         connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (folder >= 0) close(folder);
  if (!connected && connection >= 0) close(connection);
  return connected ? connection : -1;
}

// The processor time a process has used so far, in clock ticks.
long processorTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The fields after the command name (which may hold spaces) end with ')'.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long user = 0, system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) user = std::stol(field);
    if (index == 15) {
      system = std::stol(field);
      break;
    }
  }
  return user + system;
}

TEST(IOSurfaceAcrossProcesses, PeersThatSayNothingHoldUpNoLookup) {
  auto owner = surfaceOwner({"8", "8", "5"});
  const Started started = startedSurface(*owner);
  ASSERT_NE(started.id, 0u);
  // Each would hold a server that answers one connection at a time for its whole timeout,
  // longer than a lookup waits.
  std::vector<int> silent;
  for (int i = 0; i < 3; ++i) {
    silent.push_back(silentConnection(started.id));
    ASSERT_GE(silent.back(), 0);
  }
  IOSurfaceRef surface = IOSurfaceLookup(started.id);
  ASSERT_NE(surface, nullptr);
  EXPECT_TRUE(allBytesAre(surface, 5));
  CFRelease(surface);
  for (int connection : silent) close(connection);
}

TEST(IOSurfaceAcrossProcesses, AnOwnerOutOfDescriptorsTurnsLookupsAwayAndServesOnceItHasSome) {
  auto owner = surfaceOwner({"8", "8", "6"});
  const Started started = startedSurface(*owner);
  ASSERT_NE(started.id, 0u);
  ASSERT_EQ(owner->ask("exhaust").value_or(""), "exhausted");
  const long before = processorTicks(owner->pid());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(IOSurfaceLookup(started.id), nullptr);
  // Turned away at once, not left to wait while the owner retries a failing accept over and
  // over: that would burn the owner's processor for as long as each lookup waited.
  EXPECT_LT(processorTicks(owner->pid()) - before, sysconf(_SC_CLK_TCK) / 2);
  ASSERT_EQ(owner->ask("release").value_or(""), "released");
  IOSurfaceRef surface = IOSurfaceLookup(started.id);
  ASSERT_NE(surface, nullptr);
  EXPECT_TRUE(allBytesAre(surface, 6));
  CFRelease(surface);
}

// Creation keeps the id counter open and makes the folder only when it is missing: a registry
// folder removed and made anew (a fresh root at the same place) still gives ids that no other
// process draws, and entries that other processes find.
TEST(IOSurfaceAcrossProcesses, SurfacesMadeAfterTheRegistryFolderWentAreFoundElsewhere) {
  moxicam::test::TemporaryRoot root;
  CFRelease(moxicam::test::createGlobalSurface(8, 8));
  std::filesystem::remove_all(CFPlatform::runtimePath() + "/IOSurface");
  IOSurfaceRef mine = moxicam::test::createGlobalSurface(8, 8);
  ASSERT_NE(mine, nullptr);
  auto other = surfaceOwner({"8", "8", "0"});
  const Started started = startedSurface(*other);
  ASSERT_NE(started.id, 0u);
  EXPECT_NE(started.id, IOSurfaceGetID(mine));
  EXPECT_EQ(other->ask("lookup " + std::to_string(IOSurfaceGetID(mine))).value_or(""), "0");
  CFRelease(mine);
}

// An owner that is killed cannot remove its entries; the next process that publishes a surface
// sweeps them away, with the sockets and half-written entries of processes that are gone.
TEST(IOSurfaceAcrossProcesses, EntriesOfOwnersThatAreGoneAreSweptAway) {
  moxicam::test::TemporaryRoot root;
  std::vector<long> gone;
  for (int i = 0; i < 3; ++i) {
    auto owner = surfaceOwner({"8", "8", "0"});
    ASSERT_NE(startedSurface(*owner).id, 0u);
    gone.push_back(owner->pid());
    owner->kill();
  }
  const std::string folder = CFPlatform::runtimePath() + "/IOSurface";
  std::ofstream(folder + "/." + std::to_string(gone[0]) + "7." + std::to_string(gone[0])) << "half";
  IOSurfaceRef mine = moxicam::test::createGlobalSurface(8, 8);
  ASSERT_NE(mine, nullptr);
  for (const auto& file : std::filesystem::directory_iterator(folder)) {
    const std::string name = file.path().filename().string();
    for (long pid : gone) {
      EXPECT_EQ(name.find(std::to_string(pid)), std::string::npos) << name;
      if (std::isdigit(static_cast<unsigned char>(name[0]))) {
        long owner = 0;
        std::ifstream(file.path()) >> owner;
        EXPECT_NE(owner, pid) << name;
      }
    }
  }
  // What stands is still found, here and elsewhere.
  auto other = surfaceOwner({"8", "8", "0"});
  startedSurface(*other);
  EXPECT_EQ(other->ask("lookup " + std::to_string(IOSurfaceGetID(mine))).value_or(""), "0");
  CFRelease(mine);
}

}  // namespace
