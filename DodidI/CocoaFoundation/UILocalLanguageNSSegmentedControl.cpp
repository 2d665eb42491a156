#include "UILocalLanguageNSSegmentedControl.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSString+Values.h>
#include <objc/MethodTable.h>

#include "UILocalLanguageController.h"

int import_UILocalLanguageNSSegmentedControl() { return 1; }

OBJC_CLASS_DEFINE(UILocalLanguageNSSegmentedControl)
OBJC_METHODS(UILocalLanguageNSSegmentedControl,
             OBJC_METHOD("languageSettingsChangedRefreshSegmentLabels:",
                         &UILocalLanguageNSSegmentedControl::languageSettingsChangedRefreshSegmentLabels))

UILocalLanguageNSSegmentedControl::~UILocalLanguageNSSegmentedControl() {
  NSNotificationCenter::defaultCenter()->removeObserver(this);
}

NSObject* UILocalLanguageNSSegmentedControl::initWithCoder(NSCoder* coder) {
  NSObject* decoded = NSSegmentedControl::initWithCoder(coder);
  if (decoded == this) mDefaultLanguage = RefPtr<NSMutableDictionary>(NSMutableDictionary::dictionary());
  return decoded;
}

void UILocalLanguageNSSegmentedControl::awakeFromNib() {
  NSSegmentedControl::awakeFromNib();
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      this, SELECTOR("languageSettingsChangedRefreshSegmentLabels:"),
      UILocalLanguageControllerDidChangeLanguage, nullptr);
}

NSInteger UILocalLanguageNSSegmentedControl::isLocalizedSegmentLabelWithKeyPath(NSString* keyPath) const {
  if (!keyPath) return -1;
  for (NSInteger segment = 0; segment < segmentCount(); ++segment) {
    NSString* ending = NSString::stringWithFormat(NSSTR("segment.%d.label"), int(segment));
    if (NSStringValues::hasSuffix(keyPath, ending)) return segment;
  }
  return -1;
}

void UILocalLanguageNSSegmentedControl::setValue_forKeyPath(NSObject* value, NSString* keyPath) {
  NSInteger segment = isLocalizedSegmentLabelWithKeyPath(keyPath);
  if (!isSegment(segment)) {
    NSSegmentedControl::setValue_forKeyPath(value, keyPath);
    return;
  }
  auto* label = NSDynamicCast<NSString>(value);
  if (!label) return;
  setSegmentNumber_defaultLabel_localizedDefaultLabel_forKeyPath(segment, labelForSegment(segment), label,
                                                                 keyPath);
  setSegmentNumber_localizedLabel_forKeyPath(segment, label, keyPath);
}

NSObject* UILocalLanguageNSSegmentedControl::valueForKeyPath(NSString* keyPath) {
  NSInteger segment = isLocalizedSegmentLabelWithKeyPath(keyPath);
  if (!isSegment(segment)) return NSSegmentedControl::valueForKeyPath(keyPath);
  if (NSString* text = UILocalLanguageController::stringWithID(keyPath)) return text;
  return labelForSegment(segment);
}

void UILocalLanguageNSSegmentedControl::setSegmentNumber_localizedLabel_forKeyPath(NSInteger segment,
                                                                                   NSString* label,
                                                                                   NSString* keyPath) {
  if (!isSegment(segment)) return;
  NSString* text = UILocalLanguageController::stringWithID(keyPath);
  setLabel_forSegment(text ? text : label, segment);
}

void UILocalLanguageNSSegmentedControl::setSegmentNumber_defaultLabel_localizedDefaultLabel_forKeyPath(
    NSInteger, NSString* defaultLabel, NSString* localizedDefaultLabel, NSString* keyPath) {
  if (!keyPath || mDefaultLanguage->objectForKey(keyPath)) return;
  mDefaultLanguage->setObject_forKey(localizedDefaultLabel, keyPath);
  UILocalLanguageController::registerDefaultValue_forStringWithID(defaultLabel, keyPath);
}

void UILocalLanguageNSSegmentedControl::languageSettingsChangedRefreshSegmentLabels(NSNotification*) {
  for (NSObject* key : *mDefaultLanguage->allKeys()) {
    auto* keyPath = static_cast<NSString*>(key);
    NSInteger segment = isLocalizedSegmentLabelWithKeyPath(keyPath);
    if (segment < 0) continue;
    if (NSString* text = UILocalLanguageController::stringWithID(keyPath)) {
      setSegmentNumber_localizedLabel_forKeyPath(segment, text, keyPath);
    }
  }
}
