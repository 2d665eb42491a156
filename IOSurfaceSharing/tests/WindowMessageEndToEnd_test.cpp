// The message window across processes, on a private X server: the sharing server with the
// window output switched on draws each frame's message into its window; a window reader in
// another process finds the window by its title, reads its pixels, checks each message and
// looks the surface up, while a UDP subscriber hears the same frames.
#include <RunningChild.h>
#include <XTestServer.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

using namespace std::chrono_literals;
using moxicam::test::RunningChild;

namespace {

struct Announcement {
  unsigned sequence = 0;
  uint32_t id = 0;
  uint64_t time = 0;
  long frame = -1;
};

bool startsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

// The server's frames: time -> (frame number, surface).
std::map<uint64_t, std::pair<long, uint32_t>> serverFrames(const RunningChild& server) {
  std::map<uint64_t, std::pair<long, uint32_t>> frames;
  for (const std::string& line : server.lines()) {
    long number = 0;
    unsigned surface = 0;
    unsigned long long time = 0;
    int open = 0;
    if (sscanf(line.c_str(), "frame %ld surface %u time %llu open %d", &number, &surface, &time, &open) == 4)
      frames[time] = {number, surface};
  }
  return frames;
}

std::vector<Announcement> windowMessages(const RunningChild& probe) {
  std::vector<Announcement> messages;
  for (const std::string& line : probe.lines()) {
    Announcement message;
    unsigned long long time = 0;
    if (sscanf(line.c_str(), "message %u id %u time %llu frame %ld", &message.sequence, &message.id, &time,
               &message.frame) == 4) {
      message.time = time;
      messages.push_back(message);
    }
  }
  return messages;
}

std::vector<Announcement> udpCasts(const RunningChild& probe) {
  std::vector<Announcement> casts;
  for (const std::string& line : probe.lines()) {
    Announcement cast;
    size_t bytes = 0;
    unsigned type = 0;
    unsigned long long id = 0, time = 0;
    if (sscanf(line.c_str(), "cast %zu %u id %llu time %llu frame %ld", &bytes, &type, &id, &time,
               &cast.frame) == 5) {
      cast.id = uint32_t(id);
      cast.time = time;
      casts.push_back(cast);
    }
  }
  return casts;
}

TEST(WindowMessageEndToEnd, AReaderElsewhereGetsTheSurfacesTheUDPSubscriberGets) {
  moxicam::test::XTestServer display(320, 240);
  if (!display.isRunning()) GTEST_SKIP() << display.problem();
  RunningChild server(SHARING_SERVER, {"--window"});
  uint32_t id0 = 0, id1 = 0;
  if (auto line = server.lineWhere([](const std::string& l) { return startsWith(l, "surfaces "); }))
    sscanf(line->c_str(), "surfaces %u %u", &id0, &id1);
  ASSERT_TRUE(id0 && id1 && id0 != id1);
  auto title = server.lineWhere([](const std::string& l) { return startsWith(l, "window "); });
  ASSERT_TRUE(title);
  EXPECT_EQ(*title, "window com.quillfen.Moxicam.IOSurfaceSharing:30100.NSWindow");

  RunningChild windowProbe(WINDOW_PROBE, {"--messages", "12"});
  RunningChild udpProbe(UDP_PROBE, {"--frames", "12"});
  ASSERT_EQ(windowProbe.wait(60s), 0);
  ASSERT_EQ(udpProbe.wait(60s), 0);
  server.kill();
  server.wait();
  const auto frames = serverFrames(server);

  // Each message is a frame the server sent, with its surface; its sequence number counts the
  // frames sent (the first carries 1), and the surface shows that frame or a later one.
  const std::vector<Announcement> messages = windowMessages(windowProbe);
  ASSERT_GE(messages.size(), 12u);
  std::set<uint32_t> windowIDs;
  unsigned lastSequence = 0;
  for (const Announcement& message : messages) {
    auto frame = frames.find(message.time);
    ASSERT_NE(frame, frames.end()) << "a message with a time the server never stamped";
    EXPECT_EQ(message.id, frame->second.second);
    EXPECT_EQ(long(message.sequence), frame->second.first + 1);
    EXPECT_GT(message.sequence, lastSequence) << "each message once, in order";
    EXPECT_GE(message.frame, frame->second.first);
    lastSequence = message.sequence;
    windowIDs.insert(message.id);
  }

  // The subscriber hears of the same two surfaces, frame for frame.
  std::set<uint32_t> udpIDs;
  for (const Announcement& cast : udpCasts(udpProbe)) {
    auto frame = frames.find(cast.time);
    ASSERT_NE(frame, frames.end());
    EXPECT_EQ(cast.id, frame->second.second);
    udpIDs.insert(cast.id);
  }
  EXPECT_EQ(windowIDs, (std::set<uint32_t>{id0, id1}));
  EXPECT_EQ(udpIDs, windowIDs);
}

}  // namespace
