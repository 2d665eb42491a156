// Prints what CFBundle says about the program's own bundle, one "key=value" line each, so that
// a test can run it from inside and outside an .app.
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFString.h>

#include <climits>
#include <cstdio>

static void printURL(const char* key, CFURLRef url) {
  char path[PATH_MAX] = "";
  if (url) CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path);
  std::printf("%s=%s\n", key, url ? path : "(null)");
  if (url) CFRelease(url);
}

int main() {
  CFBundleRef bundle = CFBundleGetMainBundle();
  CFStringRef identifier = CFBundleGetIdentifier(bundle);
  char identifierText[256] = "(null)";
  if (identifier) CFStringGetCString(identifier, identifierText, sizeof identifierText, kCFStringEncodingUTF8);
  std::printf("identifier=%s\n", identifierText);
  printURL("bundle", CFBundleCopyBundleURL(bundle));
  printURL("executable", CFBundleCopyExecutableURL(bundle));
  printURL("resources", CFBundleCopyResourcesDirectoryURL(bundle));
  printURL("resource", CFBundleCopyResourceURL(bundle, CFSTR("Greeting"), CFSTR("txt"), nullptr));
  CFBundleRef found = identifier ? CFBundleGetBundleWithIdentifier(identifier) : nullptr;
  std::printf("foundByIdentifier=%s\n", found == bundle ? "yes" : "no");
  return 0;
}
