// Surfaces shared with another process: the surface owner program of this folder runs as a
// child, driven line by line through its standard input and output.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPlatformRoot.h>
#include <IOSurface/IOSurface.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

class SurfaceOwner {
 public:
  explicit SurfaceOwner(std::vector<std::string> arguments) {
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    arguments.insert(arguments.begin(), SURFACE_OWNER_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&mPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) mPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    mInput = toChild[1];
    mOutput = fromChild[0];
  }

  ~SurfaceOwner() {
    if (mInput >= 0) close(mInput);
    if (mOutput >= 0) close(mOutput);
    waitForExit();
  }

  // One answer line, or "" when none came before the deadline.
  std::string ask(const std::string& command) {
    const std::string line = command + "\n";
    if (write(mInput, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return "";
    return readLine();
  }

  std::string readLine() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (true) {
      const size_t end = mBuffered.find('\n');
      if (end != std::string::npos) {
        std::string line = mBuffered.substr(0, end);
        mBuffered.erase(0, end + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd ready{mOutput, POLLIN, 0};
      if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return "";
      char chunk[256];
      const ssize_t got = read(mOutput, chunk, sizeof chunk);
      if (got <= 0) return "";
      mBuffered.append(chunk, static_cast<size_t>(got));
    }
  }

  // Ends the child: asks it to exit, kills it at a deadline. Answers whether it exited cleanly.
  bool waitForExit() {
    if (mPid <= 0) return false;
    if (mInput >= 0) {
      close(mInput);
      mInput = -1;
    }
    int status = 0;
    for (int tries = 0; tries < 2000; ++tries) {
      if (waitpid(mPid, &status, WNOHANG) == mPid) {
        mPid = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
      }
      usleep(10000);
    }
    kill();
    return false;
  }

  void kill() {
    if (mPid <= 0) return;
    ::kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
    mPid = -1;
  }

  bool started() const { return mPid > 0; }

 private:
  pid_t mPid = -1;
  int mInput = -1;
  int mOutput = -1;
  std::string mBuffered;
};

struct Started {
  IOSurfaceID id = 0;
  uint32_t seed = 0;
};

Started startedSurface(SurfaceOwner& owner) {
  Started started;
  const std::string line = owner.readLine();
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
  SurfaceOwner owner({"64", "32", "90"});
  ASSERT_TRUE(owner.started());
  const Started started = startedSurface(owner);
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
  const uint32_t seedAfterWrite = std::stoul(owner.ask("fill 17"));
  EXPECT_NE(seedAfterWrite, started.seed);
  EXPECT_EQ(IOSurfaceGetSeed(surface), seedAfterWrite);
  EXPECT_TRUE(allBytesAre(surface, 17));

  // A write here shows there; a read-only lock changes no seed.
  uint32_t seed = 0;
  ASSERT_EQ(IOSurfaceLock(surface, 0, nullptr), kIOReturnSuccess);
  std::memset(IOSurfaceGetBaseAddress(surface), 200, IOSurfaceGetAllocSize(surface));
  ASSERT_EQ(IOSurfaceUnlock(surface, 0, &seed), kIOReturnSuccess);
  EXPECT_NE(seed, seedAfterWrite);
  EXPECT_EQ(owner.ask("lookup " + std::to_string(started.id)), "200");
  ASSERT_EQ(IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr), kIOReturnSuccess);
  ASSERT_EQ(IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr), kIOReturnSuccess);
  EXPECT_EQ(IOSurfaceGetSeed(surface), seed);

  CFRelease(surface);
}

TEST(IOSurfaceAcrossProcesses, UseCountIsOneCountForAllProcesses) {
  SurfaceOwner owner({"8", "8", "0"});
  const Started started = startedSurface(owner);
  IOSurfaceRef surface = IOSurfaceLookup(started.id);
  ASSERT_NE(surface, nullptr);
  EXPECT_FALSE(IOSurfaceIsInUse(surface));

  IOSurfaceIncrementUseCount(surface);
  EXPECT_EQ(owner.ask("use"), "2");
  EXPECT_EQ(IOSurfaceGetUseCount(surface), 2);
  EXPECT_EQ(owner.ask("unuse"), "1");
  EXPECT_TRUE(IOSurfaceIsInUse(surface));
  IOSurfaceDecrementUseCount(surface);
  EXPECT_FALSE(IOSurfaceIsInUse(surface));
  // One decrement too many is refused: the count stays 0 for everyone.
  IOSurfaceDecrementUseCount(surface);
  EXPECT_EQ(owner.ask("use"), "1");
  CFRelease(surface);
}

TEST(IOSurfaceAcrossProcesses, IdNoLongerResolvesOnceTheOwnerIsGone) {
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "owner killed" : "owner exited");
    SurfaceOwner owner({"16", "16", "1"});
    const Started started = startedSurface(owner);
    IOSurfaceRef surface = IOSurfaceLookup(started.id);
    ASSERT_NE(surface, nullptr);
    if (killed) {
      owner.kill();
    } else {
      ASSERT_TRUE(owner.waitForExit());
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
  SurfaceOwner owner({"16", "16", "1", "local"});
  const Started started = startedSurface(owner);
  ASSERT_NE(started.id, 0u);
  EXPECT_EQ(IOSurfaceLookup(started.id), nullptr);
  EXPECT_EQ(owner.ask("lookup " + std::to_string(started.id)), "1");
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
  SurfaceOwner owner({"4", "4", "0"});
  close(fd);
  startedSurface(owner);

  EXPECT_EQ(owner.ask("adopt " + std::to_string(fd) + " 66"), std::to_string(IOSurfaceGetID(surface)));
  EXPECT_TRUE(allBytesAre(surface, 66));
  EXPECT_NE(IOSurfaceGetSeed(surface), seedBefore);
  CFRelease(surface);
}

}  // namespace
