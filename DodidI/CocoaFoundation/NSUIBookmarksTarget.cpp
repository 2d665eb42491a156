#include "NSUIBookmarksTarget.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSValue.h>

#include "CoreMachDebug.h"
#include "NSUIDesignCodes.h"

int import_NSUIBookmarksTarget() {
  import_NSUIDesignCodes();
  return 1;
}

namespace {

// The protocol of an object that does not take part: every operation answers its default.
class DefaultTarget final : public NSObject_protocol_NSUIBookmarksTarget {};

// The property of an object read by key-value coding when its class has one; null otherwise.
NSObject* readProperty(NSObject* object, const char* key) {
  if (!object || !NSKeyValueFindProperty(object->classObject(), key)) return nullptr;
  try {
    return object->valueForKey(NSString::stringWithUTF8String(key));
  } catch (const NSException::Raised&) {
    return nullptr;
  }
}

}  // namespace

bool NSObject_protocol_NSUIBookmarksTarget::setSettingsDictionary(NSDictionary*) { return false; }

NSDictionary* NSObject_protocol_NSUIBookmarksTarget::currentSettingsDictionary(bool) {
  return emptySettingsDictionary();
}

NSString* NSObject_protocol_NSUIBookmarksTarget::currentSettingsDictionaryName() {
  return NSSTR("NSObject(protocol_NSUIBookmarksTarget)::currentSettingsDictionaryName");
}

NSMutableDictionary* NSObject_protocol_NSUIBookmarksTarget::emptySettingsDictionary() {
  NSMutableDictionary* settings = NSMutableDictionary::dictionaryWithCapacity(128);
  NSNumber* version = NSNumber::numberWithInt(1);
  if (!version) {
    // The check's text is part of the report: it names the call as the platform writes it.
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : [NSNumber numberWithInt:1]");
    return settings;
  }
  settings->setObject_forKey(version, NSSTR("com.quillfen.version"));
  return settings;
}

NSString* NSObject_protocol_NSUIBookmarksTarget::scriptFromDictionary(NSDictionary* dictionary) {
  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeDictionary(dictionary);
  return codes ? codes->codeString() : nullptr;
}

NSString* NSObject_protocol_NSUIBookmarksTarget::currentSettingsDictionaryScript(bool flag) {
  return scriptFromDictionary(currentSettingsDictionary(flag));
}

NSString* NSObject_protocol_NSUIBookmarksTarget::emptySettingsDictionaryScript() {
  return scriptFromDictionary(emptySettingsDictionary());
}

bool NSObject_protocol_NSUIBookmarksTarget::setSettingsDictionaryScript(NSString* script) {
  if (!script) return false;
  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeString(script);
  if (!codes) return false;
  NSDictionary* settings = codes->codeDictionary();
  if (!settings) return false;
  return setSettingsDictionary(settings);
}

bool NSObject_protocol_NSUIBookmarksTarget::takeSettingsDictionaryScriptFrom(NSObject* source) {
  NSObject* object = source;
  if (source && NSKeyValueFindProperty(source->classObject(), "dataSource")) {
    object = readProperty(source, "dataSource");
    if (!object) return false;
  }
  auto* text = NSDynamicCast<NSString>(readProperty(object, "stringValue"));
  if (!text || text->length() == 0) return false;
  return setSettingsDictionaryScript(text);
}

void NSObject_protocol_NSUIBookmarksTarget::pushSettingsDictionaryScriptTo(NSObject* view) {
  NSString* stringSettings = currentSettingsDictionaryScript();
  // The check's text is part of the report: keep it exactly as written.
  if (!VERIFY(stringSettings) || !view) return;
  try {
    view->setValue_forKey(stringSettings, NSSTR("stringValue"));
  } catch (const NSException::Raised&) {
    // A view without a string value shows nothing.
  }
}

NSObject_protocol_NSUIBookmarksTarget* NSUIBookmarksTarget::of(NSObject* object) {
  if (!object) return nullptr;
  if (auto* target = dynamic_cast<NSObject_protocol_NSUIBookmarksTarget*>(object)) return target;
  static DefaultTarget defaults;
  return &defaults;
}
