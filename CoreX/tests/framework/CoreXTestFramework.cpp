// A framework that only the system-framework queries of the tests load.
extern "C" __attribute__((visibility("default"))) int CoreXTestFrameworkFunction() { return 1; }
