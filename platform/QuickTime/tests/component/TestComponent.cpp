// A component for the Component Manager's tests: its accepting entry opens and closes
// instances and writes each call into the file that TEST_COMPONENT_JOURNAL names; its
// refusing entry answers every call with paramErr.
#include <QuickTime/Components.h>

#include <cstdio>
#include <cstdlib>

namespace {
void note(const char* text, long instance) {
  const char* path = std::getenv("TEST_COMPONENT_JOURNAL");
  if (FILE* file = path ? std::fopen(path, "a") : nullptr) {
    std::fprintf(file, "%s %lx\n", text, instance);
    std::fclose(file);
  }
}
struct Lifetime {
  Lifetime() { note("load", 0); }
  ~Lifetime() { note("unload", 0); }
} sLifetime;
}  // namespace

extern "C" ComponentResult AcceptingDispatch(ComponentParameters* cp, Handle) {
  switch (cp->what) {
    case kComponentOpenSelect:
      note("open", cp->params[0]);
      return noErr;
    case kComponentCloseSelect:
      note("close", cp->params[0]);
      return noErr;
    default:
      return badComponentSelector;
  }
}

extern "C" ComponentResult RefusingDispatch(ComponentParameters* cp, Handle) {
  note("refuse", long(cp->what));
  return -50;
}
