#include <arpa/inet.h>
#include <dns_sd.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

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

TEST_F(DNSServiceTest, ServiceOfADeadProcessIsRemoved) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    DNSServiceRef service = registerService("Crashing", 9, "");
    char byte = service ? 1 : 0;
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 1);
  std::vector<BrowseEvent> events;
  DNSServiceRef browser = nullptr;
  ASSERT_EQ(DNSServiceBrowse(&browser, 0, 0, "_test_cam._udp.", "local.", browseReply, &events),
            kDNSServiceErr_NoError);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 1; }));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_TRUE(processUntil(browser, [&] { return events.size() == 2; }));
  EXPECT_FALSE(events[1].added);
  EXPECT_EQ(events[1].name, "Crashing");
  DNSServiceRefDeallocate(browser);

  // Its name is free again, and a new browser does not see the dead one.
  DNSServiceRef again = registerService("Crashing", 9, "", kDNSServiceFlagsNoAutoRename);
  EXPECT_NE(again, nullptr);
  DNSServiceRefDeallocate(again);
  close(ready[0]);
  close(ready[1]);
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
