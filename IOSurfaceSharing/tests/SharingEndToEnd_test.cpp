// The sharing server, a UDP subscriber and the camera plug-in, each in a process of its own (or
// the camera in the test's), on a loopback of their own: what the subscriber gets, when its
// lease lapses, what happens while another process holds the port, and that the camera shows
// the frames of the very surfaces the subscriber was told of.
#include <CameraHost.h>
#include <CameraRoot.h>
#include <CoreVideo/CVPixelBufferIOSurface.h>
#include <FramePattern.h>
#include <PollUntil.h>
#include <RunningChild.h>
#include <StandingServices.h>
#include <StreamCapture.h>
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "CoreMachElapsedTime.h"
#include "UDPNetworkSocket.h"

using namespace std::chrono_literals;
using moxicam::test::RunningChild;

namespace {

constexpr uint32_t kBGRA = 0x42475241;
constexpr uint64_t kLease = 1250000000;  // ns
constexpr uint64_t kMargin = 100000000;  // ns: between a frame's stamp and its lease check

struct ServerFrame {
  long number = 0;
  uint32_t surface = 0;
  uint64_t time = 0;
  bool open = false;
};

struct ProbeLine {
  enum Kind { Ping, Ack, Cast, Stop, Other } kind = Other;
  size_t bytes = 0;
  unsigned type = 0;
  uint32_t id = 0;
  uint64_t time = 0;
  long frame = -1;
  size_t width = 0, height = 0;
  uint32_t format = 0;
};

bool startsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

ProbeLine parseProbeLine(const std::string& line) {
  ProbeLine parsed;
  unsigned long long time = 0, id = 0;
  if (sscanf(line.c_str(), "cast %zu %u id %llu time %llu frame %ld size %zux%zu format %x", &parsed.bytes,
             &parsed.type, &id, &time, &parsed.frame, &parsed.width, &parsed.height, &parsed.format) == 8) {
    parsed.kind = ProbeLine::Cast;
  } else if (sscanf(line.c_str(), "ack %zu %u", &parsed.bytes, &parsed.type) == 2) {
    parsed.kind = ProbeLine::Ack;
  } else if (sscanf(line.c_str(), "ping %llu", &time) == 1) {
    parsed.kind = ProbeLine::Ping;
  } else if (sscanf(line.c_str(), "stop %llu", &time) == 1) {
    parsed.kind = ProbeLine::Stop;
  }
  parsed.id = uint32_t(id);
  parsed.time = time;
  return parsed;
}

std::vector<ProbeLine> probeLines(const RunningChild& probe) {
  std::vector<ProbeLine> lines;
  for (const std::string& line : probe.lines()) lines.push_back(parseProbeLine(line));
  return lines;
}

// The frames the server printed, by their time.
std::map<uint64_t, ServerFrame> serverFrames(const RunningChild& server) {
  std::map<uint64_t, ServerFrame> frames;
  for (const std::string& line : server.lines()) {
    ServerFrame frame;
    unsigned long long time = 0;
    int open = 0;
    if (sscanf(line.c_str(), "frame %ld surface %u time %llu open %d", &frame.number, &frame.surface, &time,
               &open) == 4) {
      frame.time = time;
      frame.open = open != 0;
      frames[frame.time] = frame;
    }
  }
  return frames;
}

// The server's two surface ids.
std::pair<uint32_t, uint32_t> serverSurfaces(RunningChild& server) {
  std::pair<uint32_t, uint32_t> ids{0, 0};
  if (auto line = server.lineWhere([](const std::string& l) { return startsWith(l, "surfaces "); }))
    sscanf(line->c_str(), "surfaces %u %u", &ids.first, &ids.second);
  return ids;
}

std::string serviceName(RunningChild& server) {
  auto line = server.lineWhere([](const std::string& l) { return startsWith(l, "service "); });
  return line ? line->substr(8) : "";
}

std::vector<std::string> announcedServices() { return moxicam::test::standingServices("_qfl_vc_cam._udp."); }

TEST(SharingEndToEnd, SubscriberGetsTheRingsFramesForItsLease) {
  RunningChild server(SHARING_SERVER, {});
  const auto [id0, id1] = serverSurfaces(server);
  ASSERT_TRUE(id0 && id1 && id0 != id1);
  RunningChild probe(UDP_PROBE, {"--frames", "20", "--lapse", "2.5"});
  ASSERT_EQ(probe.wait(60s), 0);
  server.kill();
  server.wait();
  const std::map<uint64_t, ServerFrame> frames = serverFrames(server);
  const std::vector<ProbeLine> lines = probeLines(probe);

  // Every datagram has its size; every cast names a ring surface of the server, at a time the
  // server stamped, and the surface looked up shows that frame (or a later one drawn into it).
  size_t pingsBeforeStop = 0, acks = 0, casts = 0;
  bool stopped = false;
  uint64_t lastTime = 0;
  uint32_t lastID = 0;
  for (const ProbeLine& line : lines) {
    if (line.kind == ProbeLine::Stop) stopped = true;
    if (line.kind == ProbeLine::Ping && !stopped) ++pingsBeforeStop;
    if (line.kind == ProbeLine::Ack) {
      ++acks;
      EXPECT_EQ(line.bytes, 57u);
      EXPECT_EQ(line.type, 2u);
    }
    if (line.kind != ProbeLine::Cast) continue;
    ++casts;
    EXPECT_EQ(line.bytes, 62u);
    EXPECT_EQ(line.type, 3u);
    EXPECT_TRUE(line.id == id0 || line.id == id1) << line.id;
    EXPECT_GT(line.time, lastTime) << "times rise";
    if (!stopped) {
      EXPECT_NE(line.id, lastID) << "ids alternate";
    }
    lastTime = line.time;
    lastID = line.id;
    auto frame = frames.find(line.time);
    ASSERT_NE(frame, frames.end()) << "a cast at a time the server never stamped";
    EXPECT_EQ(frame->second.surface, line.id);
    EXPECT_EQ(line.width, 1280u);
    EXPECT_EQ(line.height, 720u);
    EXPECT_EQ(line.format, kBGRA);
    EXPECT_GE(line.frame, frame->second.number);
    EXPECT_EQ(line.frame % 2, frame->second.number % 2);
  }
  EXPECT_GE(casts, 22u);
  EXPECT_GE(acks, pingsBeforeStop + 1);

  // The lease of the last subscription before the stop starts at the frame cast right after its
  // acknowledgement. Frames well within 1.25 s of it arrive; frames well after it do not, up to
  // the subscription sent after the pause.
  uint64_t leaseStart = 0, resubscribed = 0;
  size_t acksSeen = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == ProbeLine::Ack && ++acksSeen == pingsBeforeStop) {
      for (size_t j = i + 1; j < lines.size() && !leaseStart; ++j)
        if (lines[j].kind == ProbeLine::Cast) leaseStart = lines[j].time;
    }
    if (lines[i].kind == ProbeLine::Ack && acksSeen == pingsBeforeStop + 1 && !resubscribed) {
      for (size_t j = i + 1; j < lines.size() && !resubscribed; ++j)
        if (lines[j].kind == ProbeLine::Cast) resubscribed = lines[j].time;
    }
  }
  ASSERT_TRUE(leaseStart && resubscribed);
  std::set<uint64_t> received;
  for (const ProbeLine& line : lines)
    if (line.kind == ProbeLine::Cast) received.insert(line.time);
  size_t withinLease = 0, afterLease = 0;
  for (const auto& [time, frame] : frames) {
    if (time >= leaseStart && time + kMargin <= leaseStart + kLease) {
      ++withinLease;
      EXPECT_TRUE(received.count(time)) << "frame " << frame.number << " within the lease was not cast";
    }
    if (time >= leaseStart + kLease + kMargin && time < resubscribed) {
      ++afterLease;
      EXPECT_FALSE(received.count(time)) << "frame " << frame.number << " after the lease was cast";
    }
  }
  EXPECT_GT(withinLease, 0u);
  EXPECT_GT(afterLease, 0u);
}

TEST(SharingEndToEnd, TakenPortMeansNoCastsAndNoAnnouncementUntilItFrees) {
  UDPNetwork::Socket holder;
  ASSERT_TRUE(holder.Open(30100, true));
  RunningChild server(SHARING_SERVER, {});
  RunningChild probe(UDP_PROBE, {"--frames", "5"});
  // The probe's subscriptions reach the holder...
  char datagram[78];
  UDPNetwork::IPAddress from;
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return holder.Receive(from, datagram, sizeof datagram) > 0; }));
  // ...while the server goes on without its port, and so without announcing its surfaces.
  uint64_t lastClosedFrame = 0;
  for (int seen = 0; seen < 30; ++seen) {
    auto line = server.lineWhere([](const std::string& l) { return startsWith(l, "frame "); });
    ASSERT_TRUE(line);
    ServerFrame frame;
    unsigned long long time = 0;
    int open = 1;
    ASSERT_EQ(sscanf(line->c_str(), "frame %ld surface %u time %llu open %d", &frame.number, &frame.surface,
                     &time, &open),
              4);
    EXPECT_EQ(open, 0) << *line;
    lastClosedFrame = time;
  }
  EXPECT_TRUE(announcedServices().empty());

  holder.Close();
  ASSERT_EQ(probe.wait(60s), 0);
  const std::string name = serviceName(server);
  EXPECT_FALSE(name.empty());
  EXPECT_TRUE(
      moxicam::test::pollUntil([&] { return announcedServices() == std::vector<std::string>{name}; }));
  for (const ProbeLine& line : probeLines(probe)) {
    if (line.kind == ProbeLine::Cast) {
      EXPECT_GT(line.time, lastClosedFrame);
    }
  }
}

TEST(SharingEndToEnd, CameraShowsTheFramesOfTheSurfacesTheSubscriberWasToldOf) {
  moxicam::test::CameraRoot root(MOXICAM_CMIO_BUNDLE);
  RunningChild server(SHARING_SERVER, {});
  const auto [id0, id1] = serverSurfaces(server);
  ASSERT_TRUE(id0 && id1);
  const std::string name = serviceName(server);
  ASSERT_FALSE(name.empty());

  RunningChild probe(UDP_PROBE, {"--frames", "10"});
  ASSERT_EQ(probe.wait(60s), 0);
  std::set<uint32_t> toldOf;
  for (const ProbeLine& line : probeLines(probe))
    if (line.kind == ProbeLine::Cast) toldOf.insert(line.id);
  EXPECT_EQ(toldOf, (std::set<uint32_t>{id0, id1}));

  CameraHost::Host host;
  host.loadPlugIns();
  ASSERT_EQ(host.plugIns().size(), 1u) << (host.problems().empty() ? "" : host.problems()[0]);
  CameraHost::Device camera;
  ASSERT_TRUE(moxicam::test::pollUntil(
      [&] {
        for (const CameraHost::Device& device : host.devices())
          if (device.name == "Webcam " + name && !device.streams.empty()) camera = device;
        return camera.plugIn != nullptr;
      },
      20s, 5ms));
  ASSERT_EQ(camera.streams.size(), 1u);
  CameraHost::StreamCapture capture(*camera.plugIn, camera.deviceID, camera.streams[0]);
  ASSERT_EQ(capture.start(), 0);
  std::set<uint32_t> shown;
  std::set<long> numbers;
  for (int i = 0; i < 12; ++i) {
    CMSampleBufferRef buffer = capture.next(10s);
    ASSERT_TRUE(buffer) << "frame " << i;
    IOSurfaceRef surface = CVPixelBufferGetIOSurface(CMSampleBufferGetImageBuffer(buffer));
    ASSERT_TRUE(surface);
    const uint32_t id = IOSurfaceGetID(surface);
    shown.insert(id);
    IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
    const long number =
        moxicam::test::frameOfPixel(static_cast<const unsigned char*>(IOSurfaceGetBaseAddress(surface)));
    IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
    // Surface 0 holds the even frames, surface 1 the odd ones.
    EXPECT_GE(number, 0);
    EXPECT_EQ(number % 2, id == id0 ? 0 : 1) << "frame " << number << " in surface " << id;
    numbers.insert(number);
    CFRelease(buffer);
  }
  capture.stop();
  EXPECT_EQ(shown, toldOf);
  EXPECT_GT(numbers.size(), 1u) << "the camera shows new frames, not one picture";
}

}  // namespace
