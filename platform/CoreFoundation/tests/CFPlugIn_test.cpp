#include <CoreFoundation/CFPlugInCOM.h>

#include <gtest/gtest.h>

#include "BundleTestSupport.h"

using namespace bundletest;

namespace {

const std::string kPlugIn = testBundlesPath() + "/TestPlugIn.plugin";

// The identifiers that the test plug-in's Info.plist and code use.
CFUUIDRef factoryID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0x6F, 0x3A, 0x1C, 0x52, 0x0B, 0x7E, 0x4D, 0x4A, 0x9C, 0x1E, 0x2B,
                                        0x8D, 0x5E, 0x7F, 0x0A, 0x11);
}
CFUUIDRef typeID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x47, 0x11, 0x88, 0x99, 0xAA,
                                        0xBB, 0xCC, 0xDD, 0xEE, 0xFF);
}
CFUUIDRef missingFunctionFactoryID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0x00, 0x00, 0x00, 0x00, 0x11, 0x11, 0x22, 0x22, 0x33, 0x33, 0x44,
                                        0x44, 0x44, 0x44, 0x44, 0x44);
}
CFUUIDRef missingFunctionTypeID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B,
                                        0x0B, 0x0B, 0x0B, 0x0B, 0x0B);
}
CFUUIDRef interfaceID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0xA7, 0xC6, 0x1D, 0x34, 0x2F, 0x1B, 0x4E, 0x55, 0x8B, 0x0A, 0x9D,
                                        0x3E, 0x6C, 0x2B, 0x1F, 0x00);
}
CFUUIDRef unrelatedID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0x12, 0x34, 0x56, 0x78, 0x12, 0x34, 0x56, 0x78, 0x12, 0x34, 0x56,
                                        0x78, 0x12, 0x34, 0x56, 0x78);
}

struct TestInterface {
  IUNKNOWN_C_GUTS;
  int (*Answer)(void* thisPointer);
};
typedef TestInterface** TestInterfaceRef;

class CFPlugInTest : public testing::Test {
 protected:
  void SetUp() override {
    plugIn = adopt(CFPlugInCreate(nullptr, urlFor(kPlugIn).get()));
    ASSERT_TRUE(plugIn);
  }
  RefPtr<__CFBundle> plugIn;
};

std::vector<CFUUIDRef> factoriesFor(CFUUIDRef type, RefPtr<const __CFArray>& keep) {
  keep = adopt(CFPlugInFindFactoriesForPlugInType(type));
  std::vector<CFUUIDRef> found;
  for (CFIndex i = 0; keep && i < CFArrayGetCount(keep.get()); ++i) {
    found.push_back(static_cast<CFUUIDRef>(CFArrayGetValueAtIndex(keep.get(), i)));
  }
  return found;
}

TEST_F(CFPlugInTest, IsTheBundleAndFindsItsFactoryByType) {
  EXPECT_EQ(CFPlugInGetBundle(plugIn.get()), plugIn.get());
  EXPECT_EQ(CFPlugInGetTypeID(), CFBundleGetTypeID());
  RefPtr<const __CFArray> keep;
  std::vector<CFUUIDRef> factories = factoriesFor(typeID(), keep);
  ASSERT_EQ(factories.size(), 1u);
  EXPECT_TRUE(CFEqual(factories[0], factoryID()));
  EXPECT_TRUE(factoriesFor(unrelatedID(), keep).empty());
  ASSERT_TRUE(keep);  // an empty array, not null
  EXPECT_TRUE(factoriesFor(nullptr, keep).empty());
}

TEST_F(CFPlugInTest, MakesAnInstanceThatAnswersThroughQueryInterface) {
  auto* unknown = static_cast<IUnknownVTbl**>(CFPlugInInstanceCreate(nullptr, factoryID(), typeID()));
  ASSERT_NE(unknown, nullptr);
  EXPECT_TRUE(CFBundleIsExecutableLoaded(plugIn.get()));

  TestInterfaceRef test = nullptr;
  HRESULT result = (*unknown)->QueryInterface(unknown, CFUUIDGetUUIDBytes(interfaceID()), reinterpret_cast<LPVOID*>(&test));
  EXPECT_EQ(result, S_OK);
  ASSERT_NE(test, nullptr);
  EXPECT_EQ((*test)->Answer(test), 42);

  void* none = unknown;
  EXPECT_EQ((*unknown)->QueryInterface(unknown, CFUUIDGetUUIDBytes(unrelatedID()), &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_TRUE(FAILED(E_NOINTERFACE));
  EXPECT_EQ((*unknown)->QueryInterface(unknown, CFUUIDGetUUIDBytes(IUnknownUUID), nullptr), E_POINTER);

  // A live instance keeps the plug-in's code loaded; the last release lets it go.
  EXPECT_EQ((*test)->Release(test), 1u);
  CFBundleUnloadExecutable(plugIn.get());
  EXPECT_TRUE(CFBundleIsExecutableLoaded(plugIn.get()));
  EXPECT_EQ((*unknown)->Release(unknown), 0u);
  CFBundleUnloadExecutable(plugIn.get());
  EXPECT_FALSE(CFBundleIsExecutableLoaded(plugIn.get()));
}

TEST_F(CFPlugInTest, MakesNothingForAWrongTypeOrAnUnusableFactory) {
  EXPECT_EQ(CFPlugInInstanceCreate(nullptr, factoryID(), unrelatedID()), nullptr);
  EXPECT_EQ(CFPlugInInstanceCreate(nullptr, unrelatedID(), typeID()), nullptr);
  EXPECT_EQ(CFPlugInInstanceCreate(nullptr, nullptr, typeID()), nullptr);
  RefPtr<const __CFArray> keep;
  std::vector<CFUUIDRef> factories = factoriesFor(missingFunctionTypeID(), keep);
  ASSERT_EQ(factories.size(), 1u);
  EXPECT_EQ(CFPlugInInstanceCreate(nullptr, missingFunctionFactoryID(), missingFunctionTypeID()), nullptr);
  // Counting an instance of a factory nobody registered, or removing one too many, changes nothing.
  CFPlugInAddInstanceForFactory(unrelatedID());
  CFPlugInRemoveInstanceForFactory(factoryID());
  CFBundleLoadExecutable(plugIn.get());
  CFBundleUnloadExecutable(plugIn.get());
  EXPECT_FALSE(CFBundleIsExecutableLoaded(plugIn.get()));
}

// Registrations last as long as the process: each run of the test registers names of its own.
CFUUIDRef sInProcessType = nullptr;
int sMadeInProcess = 0;
void* makeInProcess(CFAllocatorRef, CFUUIDRef type) {
  ++sMadeInProcess;
  return CFEqual(type, sInProcessType) ? &sMadeInProcess : nullptr;
}

TEST(CFPlugIn, OffersFactoriesRegisteredByTheProcess) {
  RefPtr<const __CFUUID> factory = adopt(CFUUIDCreate(nullptr));
  RefPtr<const __CFUUID> type = adopt(CFUUIDCreate(nullptr));
  sInProcessType = type.get();
  sMadeInProcess = 0;
  EXPECT_FALSE(CFPlugInRegisterPlugInType(factory.get(), type.get()));
  EXPECT_TRUE(CFPlugInRegisterFactoryFunction(factory.get(), makeInProcess));
  EXPECT_FALSE(CFPlugInRegisterFactoryFunction(factory.get(), makeInProcess));
  EXPECT_TRUE(CFPlugInRegisterPlugInType(factory.get(), type.get()));
  RefPtr<const __CFArray> keep;
  std::vector<CFUUIDRef> factories = factoriesFor(type.get(), keep);
  ASSERT_EQ(factories.size(), 1u);
  EXPECT_TRUE(CFEqual(factories[0], factory.get()));
  EXPECT_EQ(CFPlugInInstanceCreate(nullptr, factory.get(), type.get()), &sMadeInProcess);
  EXPECT_EQ(sMadeInProcess, 1);
}

}  // namespace
