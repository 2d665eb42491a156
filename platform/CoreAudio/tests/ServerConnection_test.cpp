// The client library against a server that hangs up before it answers the introduction: the
// process is told that no server runs, and the call comes back.
#include <CoreAudio/AudioHardware.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "../backend/AudioServerProtocol.h"
#include "../backend/PacketSocket.h"

namespace {

TEST(ServerConnection, AServerThatHangsUpBeforeAnsweringIsNotRunning) {
  std::filesystem::create_directories(AudioServerProtocol::serverFolder());
  std::filesystem::remove(AudioServerProtocol::socketPath());
  const int listening = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  const AudioServerProtocol::SocketAddress address(AudioServerProtocol::socketPath());
  ASSERT_TRUE(address.valid());
  ASSERT_EQ(bind(listening, address.get(), address.size()), 0);
  ASSERT_EQ(listen(listening, 4), 0);
  std::atomic<bool> stop{false};
  std::thread hangingUp([&] {
    while (!stop) {
      const int client = accept(listening, nullptr, nullptr);
      if (client >= 0) close(client);
    }
  });

  auto asked = std::async(std::launch::async, [] {
    const AudioObjectPropertyAddress devices{kAudioHardwarePropertyDevices, kAudioObjectPropertyScopeGlobal,
                                             kAudioObjectPropertyElementMain};
    UInt32 size = 0;
    return AudioObjectGetPropertyDataSize(kAudioObjectSystemObject, &devices, 0, nullptr, &size);
  });
  if (asked.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "the call never came back";
    std::_Exit(1);
  }
  EXPECT_EQ(asked.get(), OSStatus(kAudioHardwareNotRunningError));

  stop = true;
  shutdown(listening, SHUT_RDWR);
  close(listening);
  hangingUp.join();
  AudioHardwareUnload();
}

}  // namespace
