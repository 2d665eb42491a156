#include <CoreFoundation/CFString.h>
#include <IOKit/IOKitLib.h>
#include <gtest/gtest.h>
#include <sys/sysctl.h>

#include <cerrno>
#include <cctype>
#include <fstream>
#include <string>

namespace {

std::string text(CFStringRef string) {
  char buffer[256] = {};
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

TEST(PlatformExpert, UUIDIsTheMachineIdInUUIDForm) {
  io_registry_entry_t root = IORegistryEntryFromPath(kIOMainPortDefault, "IOService:/");
  ASSERT_NE(root, 0u);
  EXPECT_EQ(IORegistryEntryFromPath(kIOMainPortDefault, "IODeviceTree:/"), 0u);
  auto uuid = static_cast<CFStringRef>(IORegistryEntryCreateCFProperty(root, CFSTR(kIOPlatformUUIDKey), nullptr, 0));
  ASSERT_NE(uuid, nullptr);
  std::string written = text(uuid);
  ASSERT_EQ(written.size(), 36u);
  std::ifstream machineID("/etc/machine-id");
  std::string id;
  if (machineID >> id && id.size() == 32) {
    std::string digits;
    for (char c : written)
      if (c != '-') digits += char(tolower(c));
    EXPECT_EQ(digits, id);
  }
  EXPECT_EQ(IORegistryEntryCreateCFProperty(root, CFSTR("no such key"), nullptr, 0), nullptr);
  CFRelease(uuid);
  EXPECT_EQ(IOObjectRelease(root), KERN_SUCCESS);

  io_service_t expert = IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching(kIOPlatformExpertDeviceClass));
  EXPECT_EQ(expert, root);
  EXPECT_EQ(IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("IOUSBDevice")), 0u);
}

TEST(Sysctl, ModelBySizeThenValue) {
  const int mib[2] = {CTL_HW, HW_MODEL};
  size_t size = 0;
  ASSERT_EQ(sysctl(mib, 2, nullptr, &size, nullptr, 0), 0);
  ASSERT_GT(size, 1u);
  std::string model(size, '\0');
  ASSERT_EQ(sysctl(mib, 2, model.data(), &size, nullptr, 0), 0);
  EXPECT_EQ(model.back(), '\0');
  char small[1];
  size_t smallSize = sizeof small;
  EXPECT_EQ(sysctlbyname("hw.model", small, &smallSize, nullptr, 0), -1);
  EXPECT_EQ(errno, ENOMEM);
  EXPECT_EQ(sysctlbyname("kern.ostype", nullptr, &size, nullptr, 0), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
