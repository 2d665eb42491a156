#pragma once
// Selectors: interned method names ("installSender:"), so that two selectors of one name are
// one pointer and compare with ==.

#pragma GCC visibility push(default)

typedef const struct objc_selector* SEL;

// The selector of a name; the same pointer for the same name, for the life of the process.
SEL sel_registerName(const char* name);
const char* sel_getName(SEL selector);

// @selector(name): SELECTOR("installSender:").
#define SELECTOR(name)                                   \
  ([]() -> SEL {                                         \
    static const SEL selector = sel_registerName(name);  \
    return selector;                                     \
  }())

#pragma GCC visibility pop
