#include <objc/FoundationCategories.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include <CoreFoundation/CFString.h>

namespace {
std::atomic<objc::KeyValueCodingCategory*> installedCoding{nullptr};
std::atomic<objc::KeyValueObservingCategory*> installedObserving{nullptr};
std::atomic<objc::KeyValueBindingCategory*> installedBinding{nullptr};
std::atomic<objc::ExceptionRaiser> installedRaiser{nullptr};
std::atomic<objc::BridgedClassResolver> installedResolver{nullptr};

std::string text(CFStringRef string) {
  if (!string) return {};
  char buffer[1024];
  return CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "";
}
}  // namespace

void objc::installKeyValueCoding(KeyValueCodingCategory* category) { installedCoding = category; }
void objc::installKeyValueObserving(KeyValueObservingCategory* category) { installedObserving = category; }
void objc::installKeyValueBinding(KeyValueBindingCategory* category) { installedBinding = category; }
void objc::installExceptionRaiser(ExceptionRaiser raiser) { installedRaiser = raiser; }
void objc::installBridgedClassResolver(BridgedClassResolver resolver) { installedResolver = resolver; }

objc::KeyValueCodingCategory* objc::keyValueCoding() { return installedCoding.load(); }
objc::KeyValueObservingCategory* objc::keyValueObserving() { return installedObserving.load(); }
objc::KeyValueBindingCategory* objc::keyValueBinding() { return installedBinding.load(); }

void objc::raise(CFStringRef name, CFStringRef reason) {
  if (ExceptionRaiser raiser = installedRaiser.load()) raiser(name, reason);
  throw std::runtime_error(text(name) + ": " + text(reason));
}

Class objc::bridgedClass(unsigned long cfTypeID) {
  BridgedClassResolver resolver = installedResolver.load();
  return resolver ? resolver(cfTypeID) : nullptr;
}
