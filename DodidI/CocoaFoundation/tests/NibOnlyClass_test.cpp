// Classes that only nibs name: this program refers to none of the library's code, yet a nib
// naming the persistent-objects controller makes it, because the library is linked whole.
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <string>

const char* g_CoreMachDebug_LogPrefix = "NibOnlyClassTest";
const char* g_CoreMachDebug_LogFileName = "NibOnlyClassTest.log";

namespace {

TEST(NibOnlyClass, ANibMakesAClassThatNoCodeNames) {
  ASSERT_NE(objc_getClass("UPersistentObjectsController"), nullptr);

  NibBuilder builder;
  builder.object("UPersistentObjectsController", "settings");
  std::string xml = builder.xml();
  RefPtr<NSNib> nib = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  ASSERT_TRUE(nib);
  NSArray* topLevel = nullptr;
  ASSERT_TRUE(nib->instantiateWithOwner_topLevelObjects(nullptr, &topLevel));
  ASSERT_NE(topLevel, nullptr);
  ASSERT_EQ(topLevel->count(), 1u);
  NSObject* made = topLevel->objectAtIndex(0);
  EXPECT_STREQ(made->className(), "UPersistentObjectsController");
  // A second nib naming it gets the same, shared object.
  NSArray* again = nullptr;
  ASSERT_TRUE(nib->instantiateWithOwner_topLevelObjects(nullptr, &again));
  EXPECT_EQ(again->objectAtIndex(0), made);
}

}  // namespace
