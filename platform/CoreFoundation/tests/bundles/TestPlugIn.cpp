// A plug-in for the CFPlugIn tests: its factory makes a COM object that answers IUnknown and
// one interface of its own, and counts itself in and out of its factory.
#include <CoreFoundation/CFPlugInCOM.h>

#include <atomic>
#include <cstring>

namespace {

// A7C61D34-2F1B-4E55-8B0A-9D3E6C2B1F00: the test interface.
CFUUIDRef testInterfaceID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0xA7, 0xC6, 0x1D, 0x34, 0x2F, 0x1B, 0x4E, 0x55, 0x8B, 0x0A,
                                        0x9D, 0x3E, 0x6C, 0x2B, 0x1F, 0x00);
}

// 6F3A1C52-0B7E-4D4A-9C1E-2B8D5E7F0A11: the factory, as the Info.plist names it.
CFUUIDRef factoryID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0x6F, 0x3A, 0x1C, 0x52, 0x0B, 0x7E, 0x4D, 0x4A, 0x9C, 0x1E,
                                        0x2B, 0x8D, 0x5E, 0x7F, 0x0A, 0x11);
}

struct TestInterface {
  IUNKNOWN_C_GUTS;
  int (*Answer)(void* thisPointer);
};

struct TestObject {
  const TestInterface* table;
  std::atomic<ULONG> count;
};

bool sameUUID(REFIID iid, CFUUIDRef uuid) {
  CFUUIDBytes bytes = CFUUIDGetUUIDBytes(uuid);
  return std::memcmp(&iid, &bytes, sizeof bytes) == 0;
}

ULONG addRef(void* thisPointer) { return ++static_cast<TestObject*>(thisPointer)->count; }

ULONG release(void* thisPointer) {
  auto* object = static_cast<TestObject*>(thisPointer);
  ULONG count = --object->count;
  if (count == 0) {
    CFPlugInRemoveInstanceForFactory(factoryID());
    delete object;
  }
  return count;
}

HRESULT queryInterface(void* thisPointer, REFIID iid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  if (sameUUID(iid, IUnknownUUID) || sameUUID(iid, testInterfaceID())) {
    addRef(thisPointer);
    *ppv = thisPointer;
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

int answer(void*) { return 42; }

const TestInterface sTable = {nullptr, queryInterface, addRef, release, answer};

// A1B2C3D4-E5F6-4711-8899-AABBCCDDEEFF: the only type the factory makes.
CFUUIDRef testTypeID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x47, 0x11, 0x88, 0x99,
                                        0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF);
}

}  // namespace

// Bundles build with hidden visibility; what the bundle offers by name is marked.
#define TEST_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

TEST_PLUGIN_EXPORT const int TestPlugInVersion = 3;

TEST_PLUGIN_EXPORT void* TestPlugInFactory(CFAllocatorRef, CFUUIDRef typeUUID) {
  if (!typeUUID || !CFEqual(typeUUID, testTypeID())) return nullptr;
  CFPlugInAddInstanceForFactory(factoryID());
  return new TestObject{&sTable, 1};
}
