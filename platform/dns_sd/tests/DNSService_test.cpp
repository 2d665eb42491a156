#include <CoreFoundation/CFPlatformRoot.h>
#include <arpa/inet.h>
#include <dns_sd.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "RunningChild.h"
#include "TemporaryRoot.h"

namespace {

using namespace std::chrono_literals;

struct BrowseEvent {
  bool added;
  std::string name;
  std::string type;
  std::string domain;
};

void browseReply(DNSServiceRef, DNSServiceFlags flags, uint32_t, DNSServiceErrorType error, const char* name,
                 const char* type, const char* domain, void* context) {
  EXPECT_EQ(error, kDNSServiceErr_NoError);
  static_cast<std::vector<BrowseEvent>*>(context)->push_back(
      {(flags & kDNSServiceFlagsAdd) != 0, name, type, domain});
}

struct Resolved {
  int replies = 0;
  uint16_t port = 0;
  std::string txt;
  std::string fullName;
};

void resolveReply(DNSServiceRef, DNSServiceFlags, uint32_t, DNSServiceErrorType error, const char* fullname,
                  const char*, uint16_t port, uint16_t txtLen, const unsigned char* txt, void* context) {
  EXPECT_EQ(error, kDNSServiceErr_NoError);
  auto* resolved = static_cast<Resolved*>(context);
  ++resolved->replies;
  resolved->port = ntohs(port);
  resolved->txt.assign(reinterpret_cast<const char*>(txt), txtLen);
  resolved->fullName = fullname;
}

std::string registeredName;
void registerReply(DNSServiceRef, DNSServiceFlags, DNSServiceErrorType, const char* name, const char*, const char*,
                   void*) {
  registeredName = name;
}

// Processes replies of `service` until `done` holds or the deadline passes.
template <class Predicate>
bool processUntil(DNSServiceRef service, Predicate done, std::chrono::milliseconds deadline = 10s) {
  auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd ready{DNSServiceRefSockFD(service), POLLIN, 0};
    if (poll(&ready, 1, int(left.count())) > 0) DNSServiceProcessResult(service);
  }
  return true;
}

DNSServiceRef registerService(const char* name, uint16_t port, const std::string& txt,
                              DNSServiceFlags flags = 0) {
  DNSServiceRef service = nullptr;
  DNSServiceErrorType error = DNSServiceRegister(&service, flags, 0, name, "_test_cam._udp.", "local.", nullptr,
                                                 htons(port), uint16_t(txt.size()), txt.data(), registerReply, nullptr);
  return error == kDNSServiceErr_NoError ? service : nullptr;
}

class DNSServiceTest : public ::testing::Test {
 protected:
  moxicam::test::TemporaryRoot mRoot;
};

TEST_F(DNSServiceTest, BrowserSeesServicesComeAndGo) {
  DNSServiceRef before = registerService("Studio alice.0", 30100, "\x03" "a=1");
  ASSERT_NE(before, nullptr);
  std::vector<BrowseEvent> events;
  DNSServiceRef browser = nullptr;
  ASSERT_EQ(DNSServiceBrowse(&browser, 0, 0, "_test_cam._udp", nullptr, browseReply, &events), kDNSServiceErr_NoError);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 1; }));
  EXPECT_TRUE(events[0].added);
  EXPECT_EQ(events[0].name, "Studio alice.0");
  EXPECT_EQ(events[0].type, "_test_cam._udp.");
  EXPECT_EQ(events[0].domain, "local.");

  DNSServiceRef after = registerService("Odd/name%", 1, "");
  ASSERT_NE(after, nullptr);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 2; }));
  EXPECT_TRUE(events[1].added);
  EXPECT_EQ(events[1].name, "Odd/name%");

  DNSServiceRefDeallocate(before);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 3; }));
  EXPECT_FALSE(events[2].added);
  EXPECT_EQ(events[2].name, "Studio alice.0");
  DNSServiceRefDeallocate(after);
  DNSServiceRefDeallocate(browser);
}

// A service of another process, registered under `name` while the object lives.
class ServiceOfAnotherProcess {
 public:
  explicit ServiceOfAnotherProcess(const std::string& name, int port = 9)
      : mProcess(DNS_SERVICE_PROBE, {name, std::to_string(port), "_test_cam._udp."}, {},
                 moxicam::test::RunningChild::Input::Open) {
    const std::string said = "registered " + name;
    mRegistered = mProcess.lineWhere([&](const std::string& line) { return line == said; }).has_value();
  }
  bool registered() const { return mRegistered; }
  // Ends the process at once, as a crash would.
  void crash() { mProcess.kill(); }

 private:
  moxicam::test::RunningChild mProcess;
  bool mRegistered = false;
};

TEST_F(DNSServiceTest, ServiceOfADeadProcessIsRemoved) {
  ServiceOfAnotherProcess crashing("Crashing");
  ASSERT_TRUE(crashing.registered());
  std::vector<BrowseEvent> events;
  DNSServiceRef browser = nullptr;
  ASSERT_EQ(DNSServiceBrowse(&browser, 0, 0, "_test_cam._udp.", "local.", browseReply, &events),
            kDNSServiceErr_NoError);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 1; }));
  crashing.crash();
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 2; }));
  EXPECT_FALSE(events[1].added);
  EXPECT_EQ(events[1].name, "Crashing");
  DNSServiceRefDeallocate(browser);

  // Its name is free again, and a new browser does not see the dead one.
  DNSServiceRef again = registerService("Crashing", 9, "", kDNSServiceFlagsNoAutoRename);
  EXPECT_NE(again, nullptr);
  DNSServiceRefDeallocate(again);
}

// A browser that was not looking while a service's owner died and a new owner registered the
// same name (a busy or suspended process) reports what stands now: the old one gone, the new
// one there.
TEST_F(DNSServiceTest, BrowserSettlesOnTheRegistryAfterChangesItDidNotSee) {
  auto first = std::make_unique<ServiceOfAnotherProcess>("Restarting", 1);
  ASSERT_TRUE(first->registered());
  std::vector<BrowseEvent> events;
  DNSServiceRef browser = nullptr;
  ASSERT_EQ(DNSServiceBrowse(&browser, 0, 0, "_test_cam._udp.", "local.", browseReply, &events),
            kDNSServiceErr_NoError);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 1; }));

  first->crash();
  ServiceOfAnotherProcess second("Restarting", 2);
  ASSERT_TRUE(second.registered());
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 3; }));
  EXPECT_FALSE(events[1].added);
  EXPECT_EQ(events[1].name, "Restarting");
  EXPECT_TRUE(events[2].added);
  EXPECT_EQ(events[2].name, "Restarting");
  // Nothing more: the browser knows one service, and the next change it reports is the next one.
  DNSServiceRef other = registerService("Other", 3, "");
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 4; }));
  EXPECT_EQ(events[3].name, "Other");
  DNSServiceRefDeallocate(other);
  DNSServiceRefDeallocate(browser);
}

// Any local process can write the registry folder. Entries that do not read as records are
// passed over, and browsing goes on.
TEST_F(DNSServiceTest, MalformedEntriesArePassedOver) {
  const std::string folder = std::string(_CFPlatformRuntimePath()) + "/dnssd/local./_test_cam._udp.";
  const std::string good = "name 4f6b\ntype _test_cam._udp.\ndomain local.\nport 9\npid 1\ninstance 1\n"
                           "txt 00\nend\n";
  auto replaced = [&](const std::string& field, const std::string& value) {
    std::string text = good;
    const size_t at = text.find(field + " ");
    const size_t end = text.find('\n', at);
    return text.replace(at, end - at, field + " " + value);
  };
  const struct {
    const char* what;
    std::string entry;
    std::string text;
  } cases[] = {
      {"port not a number", "port-word", replaced("port", "nine")},
      {"port past 65535", "port-large", replaced("port", "99999")},
      {"negative port", "port-negative", replaced("port", "-1")},
      {"port with trailing text", "port-trailing", replaced("port", "9x")},
      {"empty port", "port-empty", replaced("port", "")},
      {"pid not a number", "pid-word", replaced("pid", "one")},
      {"pid of zero", "pid-zero", replaced("pid", "0")},
      {"name not hex", "name-word", replaced("name", "zz")},
      {"name of odd length", "name-odd", replaced("name", "4f6")},
      {"txt not hex", "txt-word", replaced("txt", "0g")},
      {"instance not hex", "instance-word", replaced("instance", "xyz")},
      {"a field twice", "twice", "port 9\n" + good},
      {"no end", "no-end", good.substr(0, good.find("end"))},
      {"empty lines", "blank", "\n\n\n"},
  };
  std::vector<int> held;
  for (const auto& c : cases) {
    const std::string path = mRoot.writeFile("entry", c.text);
    ASSERT_TRUE(CFPlatform::makeFolders(folder));
    ASSERT_EQ(rename(path.c_str(), (folder + "/" + c.entry).c_str()), 0) << c.what;
    // Held locked, as a living owner holds its entry.
    int fd = open((folder + "/" + c.entry).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    held.push_back(fd);
  }
  std::vector<BrowseEvent> events;
  DNSServiceRef browser = nullptr;
  ASSERT_EQ(DNSServiceBrowse(&browser, 0, 0, "_test_cam._udp.", "local.", browseReply, &events),
            kDNSServiceErr_NoError);
  DNSServiceRef service = registerService("Well formed", 9, "");
  ASSERT_TRUE(processUntil(browser, [&] { return !events.empty(); }));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].name, "Well formed");
  DNSServiceRefDeallocate(service);
  DNSServiceRefDeallocate(browser);
  for (int fd : held) close(fd);
}

// A removal reports the name the service was added with, whatever its entry is called: a
// file name that no registration would make must not upset the browser.
TEST_F(DNSServiceTest, RemovalReportsTheNameTheServiceWasAddedWith) {
  const std::string folder = std::string(_CFPlatformRuntimePath()) + "/dnssd/local./_test_cam._udp.";
  ASSERT_TRUE(CFPlatform::makeFolders(folder));
  const std::string path = mRoot.writeFile("entry", "name 4f6b\ntype _test_cam._udp.\ndomain local.\nport 9\n"
                                                    "pid 1\ninstance 1\ntxt 00\nend\n");
  const std::string entry = folder + "/bad%zzescape%";
  ASSERT_EQ(rename(path.c_str(), entry.c_str()), 0);
  int fd = open(entry.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  std::vector<BrowseEvent> events;
  DNSServiceRef browser = nullptr;
  ASSERT_EQ(DNSServiceBrowse(&browser, 0, 0, "_test_cam._udp.", "local.", browseReply, &events),
            kDNSServiceErr_NoError);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 1; }));
  EXPECT_EQ(events[0].name, "Ok");
  unlink(entry.c_str());
  close(fd);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 2; }));
  EXPECT_FALSE(events[1].added);
  EXPECT_EQ(events[1].name, "Ok");
  DNSServiceRefDeallocate(browser);
}

TEST_F(DNSServiceTest, ResolveGivesPortAndRecordAndFollowsUpdates) {
  const std::string txt("\x03" "a=1", 4);
  DNSServiceRef service = registerService("Cam.1", 30100, txt);
  ASSERT_NE(service, nullptr);
  Resolved resolved;
  DNSServiceRef resolver = nullptr;
  ASSERT_EQ(DNSServiceResolve(&resolver, 0, 0, "Cam.1", "_test_cam._udp.", "local.", resolveReply, &resolved),
            kDNSServiceErr_NoError);
  ASSERT_TRUE(processUntil(resolver, [&] { return resolved.replies == 1; }));
  EXPECT_EQ(resolved.port, 30100);
  EXPECT_EQ(resolved.txt, txt);
  EXPECT_EQ(resolved.fullName, "Cam\\.1._test_cam._udp.local.");

  const std::string updated("\x03" "a=2", 4);
  ASSERT_EQ(DNSServiceUpdateRecord(service, nullptr, 0, uint16_t(updated.size()), updated.data(), 0),
            kDNSServiceErr_NoError);
  ASSERT_TRUE(processUntil(resolver, [&] { return resolved.replies == 2; }));
  EXPECT_EQ(resolved.txt, updated);
  DNSServiceRefDeallocate(resolver);
  DNSServiceRefDeallocate(service);
}

TEST_F(DNSServiceTest, ResolveWaitsForAServiceThatIsNotThereYet) {
  Resolved resolved;
  DNSServiceRef resolver = nullptr;
  ASSERT_EQ(DNSServiceResolve(&resolver, 0, 0, "Later", "_test_cam._udp.", "local.", resolveReply, &resolved),
            kDNSServiceErr_NoError);
  pollfd ready{DNSServiceRefSockFD(resolver), POLLIN, 0};
  EXPECT_EQ(poll(&ready, 1, 50), 0);
  DNSServiceRef service = registerService("Later", 5, "");
  ASSERT_TRUE(processUntil(resolver, [&] { return resolved.replies == 1; }));
  // An empty record stands as one empty string.
  EXPECT_EQ(resolved.txt, std::string(1, '\0'));
  DNSServiceRefDeallocate(resolver);
  DNSServiceRefDeallocate(service);
}

TEST_F(DNSServiceTest, NameInUseIsRenamedOrRefused) {
  DNSServiceRef first = registerService("Same", 1, "");
  ASSERT_NE(first, nullptr);
  DNSServiceRef refused = nullptr;
  EXPECT_EQ(DNSServiceRegister(&refused, kDNSServiceFlagsNoAutoRename, 0, "Same", "_test_cam._udp.", nullptr,
                               nullptr, htons(2), 0, nullptr, nullptr, nullptr),
            kDNSServiceErr_NameConflict);
  DNSServiceRef second = registerService("Same", 2, "");
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(processUntil(second, [&] { return registeredName == "Same (2)"; }));
  DNSServiceRefDeallocate(second);
  DNSServiceRefDeallocate(first);
}

}  // namespace
