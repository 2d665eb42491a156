// A framework for the bundle tests: one function and one data symbol to look up by name.
extern "C" __attribute__((visibility("default"))) int TestKitAnswer() { return 42; }
extern "C" __attribute__((visibility("default"))) const char TestKitName[] = "TestKit";
