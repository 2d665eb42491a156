#pragma once
// A client process of the audio server for tests that need several: the AudioProbe program
// (plain, or as one of the two applications whose bundle identifiers are known), driven line
// by line. Every wait has a deadline.
#include <CoreAudio/AudioHardware.h>
#include <PollUntil.h>
#include <RunningChild.h>
#include <TemporaryRoot.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace AudioServerTest {

// Clearly heard, clearly not heard: a probe's tone plays at 0.25.
constexpr double kHeard = 0.1;
constexpr double kNotHeard = 0.02;

// Puts a built driver bundle into a plug-in folder.
inline void LinkBundle(const std::string& folder, const std::string& bundle) {
  namespace fs = std::filesystem;
  fs::create_directories(folder);
  std::error_code exists;
  fs::create_directory_symlink(moxicam::test::productsPath() + "/" + bundle + ".driver",
                               folder + "/" + bundle + ".driver", exists);
}

class AudioProbeClient {
 public:
  explicit AudioProbeClient(const std::string& program)
      : mChild(program, {}, {}, moxicam::test::RunningChild::Input::Open) {}

  std::string ask(const std::string& command) { return mChild.ask(command).value_or(""); }
  // The device lines of "list".
  std::string list() {
    std::string lines;
    for (std::string line = ask("list"); !line.empty() && line != "end";
         line = mChild.nextLine().value_or(""))
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
    moxicam::test::pollUntil(
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
  moxicam::test::RunningChild mChild;
};

}  // namespace AudioServerTest
