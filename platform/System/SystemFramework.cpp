// The framework carries no code of its own beyond its name: getcwd, chdir and mprotect are
// found in the C library it depends on.
extern "C" const char* SystemFrameworkName() { return "System"; }
