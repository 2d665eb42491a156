#pragma once
// A segmented control whose segment labels are texts of the language table. A binding whose
// name ends in "segment.<i>.label" sets segment i: the label the nib gave it is registered as
// the US-English default of the bound id, and the label shows the table's text. Labels follow
// every language change.
#include <AppKit/NSSegmentedControl.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNotification.h>

int import_UILocalLanguageNSSegmentedControl();

class UILocalLanguageNSSegmentedControl : public NSSegmentedControl {
  OBJC_CLASS_DECL(UILocalLanguageNSSegmentedControl, NSSegmentedControl)

 public:
  NSObject* initWithCoder(NSCoder* coder) override;
  void awakeFromNib() override;

  // The index of the first segment whose "segment.<i>.label" ends the key path; -1 for none.
  NSInteger isLocalizedSegmentLabelWithKeyPath(NSString* keyPath) const;

  void setValue_forKeyPath(NSObject* value, NSString* keyPath) override;
  NSObject* valueForKeyPath(NSString* keyPath) override;
  // Undefined keys are ignored.
  void setValue_forUndefinedKey(NSObject*, NSString*) override {}

  void setSegmentNumber_localizedLabel_forKeyPath(NSInteger segment, NSString* label, NSString* keyPath);
  void setSegmentNumber_defaultLabel_localizedDefaultLabel_forKeyPath(NSInteger segment,
                                                                      NSString* defaultLabel,
                                                                      NSString* localizedDefaultLabel,
                                                                      NSString* keyPath);
  void languageSettingsChangedRefreshSegmentLabels(NSNotification* notification);

  // Segment-label key path to the text first bound to it.
  NSMutableDictionary* defaultLanguage() const { return mDefaultLanguage.get(); }

 protected:
  UILocalLanguageNSSegmentedControl() = default;
  ~UILocalLanguageNSSegmentedControl() override;

 private:
  bool isSegment(NSInteger segment) const { return segment >= 0 && segment < segmentCount(); }

  RefPtr<NSMutableDictionary> mDefaultLanguage{NSMutableDictionary::dictionary()};
};
