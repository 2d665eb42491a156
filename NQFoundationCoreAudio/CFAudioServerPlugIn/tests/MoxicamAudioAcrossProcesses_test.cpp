// The three devices in the audio server program, used by client processes: what another
// process sees of them, who hears whom in real time (tones, with wide margins), a rate change
// that clients are told of, a client that is killed, requests that do not parse, and a new
// scan of the plug-in folder.
#include <RunningChild.h>
#include <PollUntil.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "Server.h"
#include "backend/PacketSocket.h"

using moxicam::test::RunningChild;
using moxicam::test::pollUntil;
namespace fs = std::filesystem;

namespace {

const char* const kBundles[] = {"MoxicamAudioIO", "MoxicamAudioIN", "MoxicamAudioOUT"};

// Clearly heard, clearly not heard: a tone plays at 0.25.
constexpr double kHeard = 0.1;
constexpr double kNotHeard = 0.02;

void LinkBundle(const std::string& folder, const std::string& bundle) {
  fs::create_directories(folder);
  std::error_code exists;
  fs::create_directory_symlink(moxicam::test::productsPath() + "/" + bundle + ".driver",
                               folder + "/" + bundle + ".driver", exists);
}

// A client process: the plain probe, or one of the two whose bundle identifiers are known.
class Probe {
 public:
  explicit Probe(const std::string& program) : mChild(program, {}, {}, RunningChild::Input::Open) {}

  std::string ask(const std::string& command) { return mChild.ask(command).value_or(""); }
  // The device lines of "list".
  std::string list() {
    std::string lines;
    for (std::string line = ask("list"); !line.empty() && line != "end"; line = mChild.nextLine().value_or(""))
      lines += line + "\n";
    return lines;
  }
  AudioObjectID find(const std::string& name) {
    const std::string answer = ask("find " + name);
    return answer.rfind("found ", 0) == 0 ? AudioObjectID(std::stoul(answer.substr(6))) : 0;
  }
  // The amplitude of each tone in what the probe recorded once it has `frames` frames.
  std::map<double, double> tones(std::initializer_list<double> list, size_t frames = 44100) {
    std::string request = "tones ";
    for (double tone : list) request += std::to_string(int(tone)) + ",";
    request.pop_back();
    std::map<double, double> levels;
    pollUntil(
        [&] {
          std::istringstream answer(ask(request));
          std::string word;
          size_t recorded = 0;
          answer >> word >> recorded;
          if (recorded < frames) return false;
          std::string entry;
          while (answer >> entry) {
            const size_t equals = entry.find('=');
            levels[std::stod(entry.substr(0, equals))] = std::stod(entry.substr(equals + 1));
          }
          return true;
        },
        std::chrono::seconds(20), std::chrono::milliseconds(50));
    return levels;
  }
  pid_t pid() const { return mChild.pid(); }
  void kill() { mChild.kill(); }

 private:
  RunningChild mChild;
};

class MoxicamAudioAcrossProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* bundle : kBundles) LinkBundle(AudioServer::Server::defaultPlugInFolder(), bundle);
    StartServer({});
  }
  void TearDown() override { StopServer(); }

  void StartServer(const std::vector<std::string>& arguments) {
    fs::remove(AudioServerProtocol::pidFilePath());
    mServer = std::make_unique<RunningChild>(moxicam::test::productsPath() + "/usr/bin/moxicam-audiod", arguments,
                                             std::map<std::string, std::string>{}, RunningChild::Input::Open);
    ASSERT_TRUE(
        pollUntil([] { return !moxicam::test::readFile(AudioServerProtocol::pidFilePath()).empty(); }));
  }
  void StopServer() {
    if (!mServer) return;
    mServer->signal(SIGTERM);
    EXPECT_TRUE(mServer->finish()) << "the server stops cleanly";
    mServer.reset();
  }
  bool ServerAlive() { return mServer && ::kill(mServer->pid(), 0) == 0; }

  std::string plain = std::string(AUDIO_PROBES) + "/AudioProbe";
  std::string application = std::string(AUDIO_PROBES) + "/MoxicamProbe.app/Contents/MacOS/MoxicamProbe";
  std::string other = std::string(AUDIO_PROBES) + "/OtherProbe.app/Contents/MacOS/OtherProbe";
  std::unique_ptr<RunningChild> mServer;
};

TEST_F(MoxicamAudioAcrossProcesses, AnotherProcessSeesTheThreeDevices) {
  Probe probe(plain);
  const std::string all = probe.list();
  for (const char* expected :
       {"\tMoxicam:I/O:2\tDEV_Moxicam:I/O_AE7592B7-12F0-4793-B5EB-A8218FD395C2_2x2_UUID\t44100\t2\t2",
        "\tMoxicam:IN:2\tDEV_Moxicam:IN_E0E76AAA-28E6-42CC-95EB-E32C0C9FE5D8_2x2_UUID\t44100\t2\t2",
        "\tMoxicam:OUT:2\tDEV_Moxicam:OUT_A88C0BD3-5B67-49E6-A75E-EEDB795BE6EB_2x2_UUID\t44100\t2\t2"}) {
    EXPECT_NE(all.find(expected), std::string::npos) << expected << " in\n" << all;
  }
}

TEST_F(MoxicamAudioAcrossProcesses, ThePlayerAndTheRecorderHearEachOtherUntilTheApplicationJoins) {
  Probe player(other), recorder(plain);
  const AudioObjectID device = player.find("Moxicam:I/O:2");
  ASSERT_NE(device, 0u);
  ASSERT_EQ(player.ask("play " + std::to_string(device) + " 440"), "playing");
  ASSERT_EQ(recorder.ask("record " + std::to_string(device)), "recording");
  auto heard = recorder.tones({440, 1000});
  EXPECT_GT(heard[440], kHeard);
  EXPECT_LT(heard[1000], kNotHeard);

  Probe app(application);
  ASSERT_EQ(app.ask("play " + std::to_string(device) + " 1000"), "playing");
  ASSERT_EQ(app.ask("record " + std::to_string(device)), "recording");
  ASSERT_EQ(recorder.ask("clear"), "cleared");
  heard = recorder.tones({440, 1000});
  EXPECT_GT(heard[1000], kHeard) << "the others hear the application";
  EXPECT_LT(heard[440], kNotHeard) << "and no longer the player";
  auto appHeard = app.tones({440, 1000});
  EXPECT_GT(appHeard[440], kHeard) << "the application hears the player";
  EXPECT_LT(appHeard[1000], kNotHeard) << "but not itself";
}

TEST_F(MoxicamAudioAcrossProcesses, TheApplicationOnlyRecordsFromINAndOnlyPlaysToOUT) {
  Probe player(other), recorder(plain), app(application);
  const AudioObjectID in = player.find("Moxicam:IN:2");
  const AudioObjectID out = player.find("Moxicam:OUT:2");
  ASSERT_NE(in, 0u);
  ASSERT_NE(out, 0u);
  for (const std::string& command :
       {"play " + std::to_string(in) + " 440", "play " + std::to_string(out) + " 440"}) {
    ASSERT_EQ(player.ask(command), "playing");
  }
  for (const std::string& command :
       {"play " + std::to_string(in) + " 1000", "play " + std::to_string(out) + " 1000"}) {
    ASSERT_EQ(app.ask(command), "playing");
  }

  // On IN the application's playback reaches nobody; it records the player.
  ASSERT_EQ(recorder.ask("record " + std::to_string(in)), "recording");
  ASSERT_EQ(app.ask("record " + std::to_string(in)), "recording");
  auto heard = recorder.tones({440, 1000});
  EXPECT_GT(heard[440], kHeard);
  EXPECT_LT(heard[1000], kNotHeard);
  heard = app.tones({440, 1000});
  EXPECT_GT(heard[440], kHeard);
  EXPECT_LT(heard[1000], kNotHeard);

  // On OUT the others hear the application and the player; the application records silence.
  ASSERT_EQ(recorder.ask("stop " + std::to_string(in)), "stopped");
  ASSERT_EQ(app.ask("stop " + std::to_string(in)), "stopped");
  ASSERT_EQ(app.ask("play " + std::to_string(out) + " 1000"), "playing");
  ASSERT_EQ(recorder.ask("clear"), "cleared");
  ASSERT_EQ(app.ask("clear"), "cleared");
  ASSERT_EQ(recorder.ask("record " + std::to_string(out)), "recording");
  ASSERT_EQ(app.ask("record " + std::to_string(out)), "recording");
  heard = recorder.tones({440, 1000});
  EXPECT_GT(heard[440], kHeard);
  EXPECT_GT(heard[1000], kHeard);
  heard = app.tones({440, 1000});
  EXPECT_LT(heard[440], kNotHeard);
  EXPECT_LT(heard[1000], kNotHeard);
}

TEST_F(MoxicamAudioAcrossProcesses, ARateChangeIsToldToEveryClient) {
  Probe watcher(plain), changer(other);
  const AudioObjectID device = watcher.find("Moxicam:I/O:2");
  ASSERT_EQ(watcher.ask("watch " + std::to_string(device) + " nsrt"), "watching");
  ASSERT_EQ(watcher.ask("play " + std::to_string(device) + " 440"), "playing");
  ASSERT_EQ(changer.ask("set-rate " + std::to_string(device) + " 48000"), "status 0");
  EXPECT_TRUE(pollUntil([&] { return watcher.ask("events") != "events 0"; }));
  EXPECT_EQ(watcher.ask("rate " + std::to_string(device)), "rate 48000");
  EXPECT_EQ(changer.ask("set-rate " + std::to_string(device) + " 50000"),
            "status " + std::to_string(kAudioHardwareIllegalOperationError));
  // The device plays on at its new rate.
  ASSERT_EQ(watcher.ask("record " + std::to_string(device)), "recording");
  EXPECT_GT(watcher.tones({440}, 48000)[440], kHeard);
}

TEST_F(MoxicamAudioAcrossProcesses, AKilledClientIsDroppedAndTheOthersPlayOn) {
  Probe player(other), recorder(plain);
  const AudioObjectID device = player.find("Moxicam:I/O:2");
  ASSERT_EQ(player.ask("play " + std::to_string(device) + " 440"), "playing");
  ASSERT_EQ(recorder.ask("record " + std::to_string(device)), "recording");
  {
    Probe app(application);
    ASSERT_EQ(app.ask("play " + std::to_string(device) + " 1000"), "playing");
    EXPECT_GT(recorder.tones({1000})[1000], kHeard);
    app.kill();
  }
  // The server drops the application's client: a loopback of the others again.
  ASSERT_EQ(recorder.ask("clear"), "cleared");
  auto heard = recorder.tones({440, 1000});
  EXPECT_GT(heard[440], kHeard);
  EXPECT_LT(heard[1000], kNotHeard);
  EXPECT_TRUE(ServerAlive());
}

TEST_F(MoxicamAudioAcrossProcesses, RequestsThatDoNotParseGetAStatusAndTheServerGoesOn) {
  using namespace AudioServerProtocol;
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  const SocketAddress address(socketPath());
  ASSERT_EQ(connect(fd, address.get(), address.size()), 0);
  uint32_t serial = 0;
  auto ask = [&](Message message, const Writer& payload) -> int32_t {
    ++serial;
    if (!sendPacket(fd, Header{uint32_t(message), serial, 0, 0}, payload.bytes())) return -1;
    Packet reply;
    if (receivePacket(fd, reply) != 1 || reply.header.serial != serial) return -2;
    return reply.header.status;
  };
  auto propertyRequest = [](AudioObjectID object, const char(&selector)[5], UInt32 size) {
    Writer writer;
    writer.put(object);
    writer.put(AudioObjectPropertyAddress{FOUR_CHAR_CODE(selector), kAudioObjectPropertyScopeGlobal, 0});
    writer.put(size);
    writer.put(uint8_t(0));
    writer.putBytes(nullptr, 0);
    return writer;
  };
  EXPECT_EQ(ask(Message::HasProperty, Writer()), kAudioHardwareIllegalOperationError)
      << "before introducing itself";
  Writer hello;
  hello.put(int32_t(getpid()));
  hello.putObject(nullptr);
  ASSERT_EQ(ask(Message::Hello, hello), 0);

  // The I/O device answers the property sizes of its rules.
  Writer devices = propertyRequest(kAudioObjectSystemObject, "dev#", 64);
  ++serial;
  ASSERT_TRUE(sendPacket(fd, Header{uint32_t(Message::GetPropertyData), serial, 0, 0}, devices.bytes()));
  Packet list;
  ASSERT_EQ(receivePacket(fd, list), 1);
  Reader reader(list.payload.data(), list.payload.size());
  uint8_t isObject = 1;
  std::vector<uint8_t> ids;
  ASSERT_TRUE(reader.get(isObject) && reader.getBytes(ids, 64));
  ASSERT_GE(ids.size(), 4u);
  AudioObjectID device = 0;
  std::memcpy(&device, ids.data(), sizeof device);

  struct Case {
    const char* what;
    Message message;
    Writer payload;
    int32_t status;
  };
  Writer truncated = propertyRequest(device, "nsrt", 8);
  std::vector<uint8_t> cut(truncated.bytes().begin(), truncated.bytes().end() - 3);
  Writer shortened;
  for (uint8_t byte : cut) shortened.put(byte);
  const Case cases[] = {
      {"a rate asked into 4 bytes", Message::GetPropertyData, propertyRequest(device, "nsrt", 4),
       kAudioHardwareBadPropertySizeError},
      {"more data than a request may carry", Message::GetPropertyData,
       propertyRequest(device, "nsrt", 1 << 20), kAudioHardwareBadPropertySizeError},
      {"a payload cut short", Message::GetPropertyData, shortened, kAudioHardwareBadPropertySizeError},
      {"an object of nobody", Message::GetPropertyData, propertyRequest(999999, "nsrt", 8),
       kAudioHardwareBadObjectError},
      {"a message nobody knows", Message(77), Writer(), kAudioHardwareUnsupportedOperationError},
      {"a second introduction", Message::Hello, hello, kAudioHardwareIllegalOperationError},
      {"a rate asked into 8 bytes", Message::GetPropertyData, propertyRequest(device, "nsrt", 8), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ask(c.message, c.payload), c.status) << c.what;

  // A packet whose header tells another size than it has is answered as a wrong size; one
  // shorter than a header is not answered at all; either way the connection goes on.
  const Header lying{uint32_t(Message::GetPropertyData), ++serial, 0, 100};
  ASSERT_EQ(send(fd, &lying, sizeof lying, 0), ssize_t(sizeof lying));
  Packet answer;
  ASSERT_EQ(receivePacket(fd, answer), 1);
  EXPECT_EQ(answer.header.serial, serial);
  EXPECT_EQ(answer.header.status, kAudioHardwareBadPropertySizeError);
  const uint8_t scrap[3] = {1, 2, 3};
  ASSERT_EQ(send(fd, scrap, sizeof scrap, 0), 3);
  EXPECT_EQ(ask(Message::GetPropertyData, propertyRequest(device, "nsrt", 8)), 0);
  close(fd);

  Probe probe(plain);
  EXPECT_NE(probe.find("Moxicam:I/O:2"), 0u) << "the server serves on";
  EXPECT_TRUE(ServerAlive());
}

TEST_F(MoxicamAudioAcrossProcesses, ASimulatedDeviceStandsBesideTheVirtualOnes) {
  StopServer();
  StartServer(
      {"--simulated-device", "name=Simulated Mic,uid=sim-mic,in=2,out=0,rate=48000,tone=997,amplitude=0.5"});
  Probe probe(plain);
  EXPECT_NE(probe.find("Moxicam:I/O:2"), 0u);
  const AudioObjectID mic = probe.find("Simulated Mic");
  ASSERT_NE(mic, 0u);
  ASSERT_EQ(probe.ask("record " + std::to_string(mic)), "recording");
  const auto heard = probe.tones({997, 440}, 48000);
  EXPECT_GT(heard.at(997), 3 * kHeard) << "a tone of amplitude 0.5";
  EXPECT_LT(heard.at(440), kNotHeard);
}

#if MOXICAM_AUDIO_ALSA
TEST_F(MoxicamAudioAcrossProcesses, AnALSAPCMIsADeviceThatRunsAtItsRate) {
  StopServer();
  StartServer({"--alsa-device", "null"});
  Probe probe(plain);
  const AudioObjectID pcm = probe.find("ALSA null");
  ASSERT_NE(pcm, 0u);
  ASSERT_EQ(probe.ask("play " + std::to_string(pcm) + " 440"), "playing");
  ASSERT_EQ(probe.ask("record " + std::to_string(pcm)), "recording");
  // The "null" PCM takes what is played and gives silence back, a second of it per second.
  EXPECT_LT(probe.tones({440}, 48000)[440], kNotHeard);
  EXPECT_TRUE(ServerAlive());
}
#endif

TEST_F(MoxicamAudioAcrossProcesses, ClientsFindARestartedServerAgain) {
  Probe probe(plain);
  const AudioObjectID device = probe.find("Moxicam:I/O:2");
  ASSERT_NE(device, 0u);
  ASSERT_EQ(probe.ask("watch 1 dev#"), "watching");
  StopServer();
  // The devices are gone with the server, and the process is told.
  EXPECT_TRUE(pollUntil([&] { return probe.ask("events") != "events 0"; }));
  EXPECT_EQ(probe.find("Moxicam:I/O:2"), 0u);
  StartServer({});
  EXPECT_TRUE(pollUntil([&] { return probe.find("Moxicam:I/O:2") != 0; }));
  ASSERT_EQ(probe.ask("play " + std::to_string(probe.find("Moxicam:I/O:2")) + " 440"), "playing");
  ASSERT_EQ(probe.ask("record " + std::to_string(probe.find("Moxicam:I/O:2"))), "recording");
  EXPECT_GT(probe.tones({440})[440], kHeard);
}

TEST_F(MoxicamAudioAcrossProcesses, ASignalMakesTheServerScanItsFolderAgain) {
  StopServer();
  const std::string folder = AudioServerProtocol::serverFolder() + "/scanned";
  fs::remove_all(folder);
  LinkBundle(folder, "MoxicamAudioIO");
  StartServer({"--plugins", folder});
  Probe probe(plain);
  ASSERT_NE(probe.find("Moxicam:I/O:2"), 0u);
  EXPECT_EQ(probe.find("Moxicam:IN:2"), 0u);
  ASSERT_EQ(probe.ask("watch 1 dev#"), "watching");

  LinkBundle(folder, "MoxicamAudioIN");
  ::kill(mServer->pid(), SIGHUP);
  EXPECT_TRUE(pollUntil([&] { return probe.find("Moxicam:IN:2") != 0; }));
  EXPECT_TRUE(pollUntil([&] { return probe.ask("events") != "events 0"; }));

  fs::remove(folder + "/MoxicamAudioIO.driver");
  ::kill(mServer->pid(), SIGHUP);
  EXPECT_TRUE(pollUntil([&] { return probe.find("Moxicam:I/O:2") == 0; }));
  EXPECT_NE(probe.find("Moxicam:IN:2"), 0u);
}

}  // namespace
