#include "UILocalizationBookmarksController.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSValueTransformer.h>
#include <objc/MethodTable.h>

#include "NSAttributedString_NSCFString_ValueTransformer.h"
#include "NSUIBookmarksPanel.h"
#include "NSUIDNDArrayController.h"
#include "NSUITextViewTakesStringValue.h"
#include "UBloggerFeedData.h"
#include "UILocalLanguageStringID.h"

namespace {

// Nib bindings of the editor's text view find the transformer by this name.
bool registerTransformer() {
  RefPtr<NSValueTransformer> transformer = adopt(
      static_cast<NSValueTransformer*>(NSAttributedString_NSCFString_ValueTransformer::alloc()->init()));
  NSValueTransformer::setValueTransformer_forName(transformer.get(),
                                                  NSSTR("attributedStringFromCoreFoundationString"));
  return true;
}

const UILocalLanguageStringID sUSEnglishName("app.string.localization.usenglish", "English (US)");

}  // namespace

int import_UILocalizationBookmarksController() {
  import_UILocalizationDesignFeedMenu();
  import_NSUIBookmarksPanel();
  import_NSUIDNDArrayController();
  import_NSAttributedString_NSCFString_ValueTransformer();
  import_NSUITextViewTakesStringValue();
  [[maybe_unused]] static const bool registered = registerTransformer();
  return 1;
}

OBJC_CLASS_DEFINE(UILocalizationBookmarksController)
OBJC_METHODS(
    UILocalizationBookmarksController,
    OBJC_METHOD("applicationDidFinishLaunching:",
                &UILocalizationBookmarksController::applicationDidFinishLaunching),
    OBJC_METHOD("applicationWillTerminate:", &UILocalizationBookmarksController::applicationWillTerminate),
    OBJC_METHOD("actionSelectRemotePresetFromDynamicMenu:",
                &UILocalizationBookmarksController::actionSelectRemotePresetFromDynamicMenu),
    OBJC_METHOD("actionRefreshDynamicMenuWithRemotePresets:",
                &UILocalizationBookmarksController::actionRefreshDynamicMenuWithRemotePresets),
    OBJC_METHOD("actionCreatePresetUsingUSEnglishDefaultsAsTemplate:",
                &UILocalizationBookmarksController::actionCreatePresetUsingUSEnglishDefaultsAsTemplate),
    OBJC_METHOD("actionAddMissingUIElementsToCustomLanguage:",
                &UILocalizationBookmarksController::actionAddMissingUIElementsToCustomLanguage))
NS_PROPERTIES(UILocalizationBookmarksController,
              NS_PROPERTY("outletLocalizationMenu",
                          &UILocalizationBookmarksController::outletLocalizationMenu,
                          &UILocalizationBookmarksController::setOutletLocalizationMenu),
              NS_PROPERTY("outletRemoteLanguagesMenuSeparator",
                          &UILocalizationBookmarksController::outletRemoteLanguagesMenuSeparator,
                          &UILocalizationBookmarksController::setOutletRemoteLanguagesMenuSeparator),
              NS_PROPERTY("outletRemoteLanguagesLastSeparator",
                          &UILocalizationBookmarksController::outletRemoteLanguagesLastSeparator,
                          &UILocalizationBookmarksController::setOutletRemoteLanguagesLastSeparator),
              NS_PROPERTY("outletLocalLanguageController",
                          &UILocalizationBookmarksController::outletLocalLanguageController,
                          &UILocalizationBookmarksController::setOutletLocalLanguageController),
              NS_READONLY_PROPERTY("designsURL", &UILocalizationBookmarksController::designsURL),
              NS_READONLY_PROPERTY("moreDesignsURL", &UILocalizationBookmarksController::moreDesignsURL),
              NS_READONLY_PROPERTY("designNames", &UILocalizationBookmarksController::designNames))

[[maybe_unused]] static const int sImported = import_UILocalizationBookmarksController();

NSString* UILocalizationBookmarksController::feedURLWithLabel(NSString* label) const {
  UBloggerFeedData* blog = UBloggerFeedData::bloggerFeedDataWithBlogspotSubDomain_feedburnerWithSameLabel(
      blogspotDomain(), feedburnerSameLabel());
  return blog ? blog->atomFeedURLWithOneLabel(label) : nullptr;
}

NSString* UILocalizationBookmarksController::designsURL() const {
  return feedURLWithLabel(blogspotLabelPrimary());
}

NSString* UILocalizationBookmarksController::moreDesignsURL() const {
  return feedURLWithLabel(blogspotLabelSecondary());
}

NSString* UILocalizationBookmarksController::designFeedCategory() const {
  return NSString::stringWithUTF8String(className());
}

NSString* UILocalizationBookmarksController::designFeedUserSerializationKey() const {
  return NSString::stringWithFormat(NSSTR("%@designFeedUserKey"), designFeedCategory());
}

NSArray* UILocalizationBookmarksController::designNames() const {
  UILocalizationDesignFeedMenu* feed = localizationsAtomFeed();
  return feed ? feed->filteredDesignNames() : NSArray::array();
}

void UILocalizationBookmarksController::applicationDidFinishLaunching(NSNotification*) {
  UILocalizationDesignFeedMenu* feed =
      UILocalizationDesignFeedMenu::designFeedMenuWithCategory_feedURL_prefsKey_updateURL(
          designFeedCategory(), designsURL(), designFeedUserSerializationKey(), nullptr);
  setLocalizationsAtomFeed(feed);
  if (!feed) return;
  bool hasDesigns = feed->designNames()->count() > 0;
  feed->setDesignMenuFromSeparator_toSeparator_withTarget_withAction(
      outletRemoteLanguagesMenuSeparator(), outletRemoteLanguagesLastSeparator(), this,
      SELECTOR("actionSelectRemotePresetFromDynamicMenu:"));
  feed->setDelegate(this);
  if (hasDesigns) actionRefreshDynamicMenuWithRemotePresets(this);
}

void UILocalizationBookmarksController::applicationWillTerminate(NSNotification*) {
  savePresetsToUserDefaults();
  if (UILocalizationDesignFeedMenu* feed = localizationsAtomFeed()) feed->saveToUserDefaults();
}

void UILocalizationBookmarksController::selectRemotePresetDesignWithName(NSString* name) {
  UILocalizationDesignFeedMenu* feed = localizationsAtomFeed();
  if (!feed || !name) return;
  // A menu item left from an older list names nothing now: applying the empty design would
  // wipe the user's localization.
  if (!feed->designDictionary()->objectForKey(name)) return;
  if (NSString* script = feed->designCodeStringForDesignNamed(name)) applyLanguageToControllerTarget(script);
}

void UILocalizationBookmarksController::actionSelectRemotePresetFromDynamicMenu(NSObject* menuItem) {
  if (auto* item = NSDynamicCast<NSMenuItem>(menuItem)) selectRemotePresetDesignWithName(item->title());
}

void UILocalizationBookmarksController::actionRefreshDynamicMenuWithRemotePresets(NSObject*) {
  if (UILocalizationDesignFeedMenu* feed = localizationsAtomFeed())
    feed->refreshFeedDictionaryFromWebWithHTTP();
}

void UILocalizationBookmarksController::actionCreatePresetUsingUSEnglishDefaultsAsTemplate(NSObject*) {
  RefPtr<UILocalLanguageController> table = mLanguage.get();
  NSString* script = table ? table->defaultsForUSEnglishLocalization() : NSString::string();
  addNewPresetForScript_scriptName(script, UILocalLanguageStringWithID(sUSEnglishName));
}

void UILocalizationBookmarksController::actionAddMissingUIElementsToCustomLanguage(NSObject*) {
  RefPtr<UILocalLanguageController> table = mLanguage.get();
  if (!table) return;
  NSDictionary* defaults = table->defaultsDictionaryForUSEnglishLocalization();
  NSMutableDictionary* record = newPresetWithCurrentPreset();
  for (NSObject* key : *defaults) {
    if (!record->objectForKey(key)) record->setObject_forKey(defaults->objectForKey(key), key);
  }
  addNewPresetForScriptDictionary(record);
}
