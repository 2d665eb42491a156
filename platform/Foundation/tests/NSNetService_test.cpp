// Publishing a network service: what a resolver finds, and what the delegate hears.
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNetService.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <StandingServices.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Listener : public NSObject, public NSNetServiceDelegate {
  OBJC_CLASS_DECL(Listener, NSObject)

 public:
  void netServiceWillPublish(NSNetService*) override { heard.push_back("will"); }
  void netServiceDidPublish(NSNetService*) override { heard.push_back("did"); }
  void netService_didNotPublish(NSNetService*, NSDictionary* errorDict) override {
    auto* code = static_cast<NSNumber*>(errorDict->objectForKey(NSNetServicesErrorCode));
    heard.push_back("not " + std::to_string(code ? code->intValue() : 0));
  }
  void netServiceDidStop(NSNetService*) override { heard.push_back("stop"); }
  std::vector<std::string> heard;
};
OBJC_CLASS_DEFINE(Listener)

RefPtr<NSNetService> newService(const char* name, int port) {
  return adopt(NSNetService::alloc()->initWithDomain_type_name_port(
      NSSTR("local."), NSSTR("_nstest._udp."), NSString::stringWithUTF8String(name), port));
}

// What a resolver finds under the name: the port, and the TXT data (empty when none stands).
bool resolve(NSString* name, SInt32& port, std::string& txt) {
  RefPtr<__CFNetService> service =
      adopt(CFNetServiceCreate(nullptr, CFSTR("local."), CFSTR("_nstest._udp."), name->cfString(), 0));
  CFStreamError error{};
  if (!CFNetServiceResolveWithTimeout(service.get(), 10, &error)) return false;
  port = CFNetServiceGetPortNumber(service.get());
  CFDataRef data = CFNetServiceGetTXTData(service.get());
  txt = data ? std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), CFDataGetLength(data)) : "";
  return true;
}

TEST(NSNetService, PublishedServiceStandsWithItsRecordUntilStopped) {
  objc::AutoreleasePool pool;
  RefPtr<Listener> listener = adopt(static_cast<Listener*>(Listener::alloc()->init()));
  RefPtr<NSNetService> service = newService("Studio", 30100);
  ASSERT_TRUE(service);
  service->setDelegate(listener.get());
  EXPECT_EQ(service->delegate(), listener.get());
  service->publish();
  EXPECT_EQ(listener->heard, (std::vector<std::string>{"will", "did"}));

  // The record can follow the publication.
  NSData* record = NSNetService::dataFromTXTRecordDictionary(
      NSDictionary::dictionaryWithObjects_forKeys({NSSTR("one")}, {NSSTR("key")}));
  ASSERT_TRUE(record);
  EXPECT_TRUE(service->setTXTRecordData(record));
  SInt32 port = 0;
  std::string txt;
  ASSERT_TRUE(resolve(service->name(), port, txt));
  EXPECT_EQ(port, 30100);
  EXPECT_EQ(txt, std::string("\x07key=one"));
  auto* decoded = NSNetService::dictionaryFromTXTRecordData(service->TXTRecordData());
  ASSERT_TRUE(decoded);
  auto* value = static_cast<NSData*>(decoded->objectForKey(NSSTR("key")));
  ASSERT_TRUE(value);
  EXPECT_EQ(std::string(static_cast<const char*>(value->bytes()), value->length()), "one");

  // Publishing again while it stands is refused.
  service->publish();
  EXPECT_EQ(listener->heard.back(), "not " + std::to_string(kCFNetServicesErrorInProgress));

  service->stop();
  EXPECT_EQ(listener->heard.back(), "stop");
  EXPECT_TRUE(moxicam::test::standingServices("_nstest._udp.").empty());
}

TEST(NSNetService, ServiceThatGoesAwayStopsStanding) {
  {
    RefPtr<NSNetService> service = newService("Gone", 9);
    service->publish();
    EXPECT_EQ(moxicam::test::standingServices("_nstest._udp."), std::vector<std::string>{"Gone"});
  }
  EXPECT_TRUE(moxicam::test::standingServices("_nstest._udp.").empty());
}

TEST(NSNetService, BadArgumentsMakeNoService) {
  EXPECT_FALSE(newService("Port", -1));
  EXPECT_FALSE(newService("Port", 65536));
  EXPECT_FALSE(RefPtr<NSNetService>(adopt(
      NSNetService::alloc()->initWithDomain_type_name_port(nullptr, NSSTR("_nstest._udp."), NSSTR("x"), 1))));
  EXPECT_FALSE(NSNetService::dataFromTXTRecordDictionary(nullptr));
  EXPECT_FALSE(NSNetService::dictionaryFromTXTRecordData(nullptr));
}

}  // namespace
