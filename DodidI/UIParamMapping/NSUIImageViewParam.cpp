#include "NSUIImageViewParam.h"

#include <AppKit/NSButton.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSMenuItem.h>
#include <AppKit/NSPasteboard.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSURL.h>
#include <objc/MethodTable.h>

#include "CoreMachDebug.h"
#include "NSMenuItem_mutex_NSMenu.h"

int import_NSUIImageViewParam() {
  import_NSMenuItem_mutex_NSMenu();
  return import_category_NSUIDropViewParam();
}

OBJC_CLASS_DEFINE(NSUIImageViewParam)
OBJC_METHODS(NSUIImageViewParam,
             OBJC_METHOD("setImageNamedBySenderTitle:", &NSUIImageViewParam::setImageNamedBySenderTitle))
NS_PROPERTIES(NSUIImageViewParam,
              NS_PROPERTY("outletPresets", &NSUIImageViewParam::outletPresets,
                          &NSUIImageViewParam::setOutletPresets),
              NS_PROPERTY("contentsURLDelegate", &NSUIImageViewParam::contentsURLDelegate,
                          &NSUIImageViewParam::setContentsURLDelegate))

NSUIImageViewParam::~NSUIImageViewParam() = default;

void NSUIImageViewParam::awakeFromNib() {
  NSImageView::awakeFromNib();
  registerForDraggedTypes(NSArray::arrayWithObject(NSURLPboardType));
}

NSURL* NSUIImageViewParam::droppedURL(NSDraggingInfo* drag) {
  if (!drag || drag->draggingSource() == this) return nullptr;
  return NSPasteboardSupport::URLFromPasteboard(drag->draggingPasteboard());
}

NSDragOperation NSUIImageViewParam::draggingEntered(NSDraggingInfo* drag) {
  if (droppedURL(drag)) return NSDragOperationCopy;
  return NSImageView::draggingEntered(drag);
}

bool NSUIImageViewParam::performDragOperation(NSDraggingInfo* drag) {
  NSURL* url = droppedURL(drag);
  if (!url) return NSImageView::performDragOperation(drag);
  RefPtr<NSUIImageViewParam> keep(this);
  if (url->isFileURL()) {
    setPathParamValue(this, url->path());
  } else {
    setURLParamValue(this, url->absoluteString());
  }
  return true;
}

RefPtr<NSImage> NSUIImageViewParam::imageForContents(NSString* contents, NSUIDropViewParamContentsType type) {
  switch (type) {
    case kNSUIDropViewParamURL: {
      NSURL* url = contents ? NSURL::URLWithString(contents) : nullptr;
      if (!url || !url->isFileURL()) return nullptr;
      return adopt(NSImage::alloc()->initWithContentsOfURL(url));
    }
    case kNSUIDropViewParamPath:
      return contents ? adopt(NSImage::alloc()->initWithContentsOfFile(contents)) : nullptr;
    case kNSUIDropViewParamName:
      return RefPtr<NSImage>(contents ? NSImage::imageNamed(contents) : nullptr);
    default:
      return adopt(static_cast<NSImage*>(NSImage::alloc()->init()));
  }
}

void NSUIImageViewParam::setContents_type(NSObject* contents, NSUIDropViewParamContentsType type) {
  NSString* reference = NSDynamicCast<NSString>(contents);
  mContents.set(reference ? NSString::stringWithString(reference) : nullptr);
  mContentsType = type;
  RefPtr<NSImage> image = imageForContents(reference, type);
  updatePresetsSelection();
  NSImageView::setImage(image.get());
}

void NSUIImageViewParam::updatePresetsSelection() {
  NSPopUpButton* presets = outletPresets();
  NSMenu* menu = presets ? presets->menu() : nullptr;
  if (!menu) return;
  if (mContentsType == kNSUIDropViewParamName) {
    mutex_NSMenu::selectExclusiveTitle_performAction(menu, mContents.get(), false);
  } else {
    mutex_NSMenu::setNoneSelected(menu);
  }
}

void NSUIImageViewParam::clearContents() {
  mContents.set(nullptr);
  mContentsType = kNSUIDropViewParamNone;
  NSImageView::setImage(nullptr);
}

void NSUIImageViewParam::setImage(NSImage* image) {
  clearContents();
  if (image) NSImageView::setImage(image);
}

void NSUIImageViewParam::setImageNamedBySenderTitle(NSObject* sender) {
  NSString* title = nullptr;
  if (auto* item = NSDynamicCast<NSMenuItem>(sender)) {
    title = item->title();
  } else if (auto* button = NSDynamicCast<NSButton>(sender)) {
    title = button->title();
  }
  setNameParamValue(this, title);
}

NSMenu* NSUIImageViewParam::removeAllCurrentPresetMenuItems() {
  NSPopUpButton* presets = outletPresets();
  NSMenu* menu = presets ? presets->menu() : nullptr;
  if (!menu) return nullptr;
  while (menu->numberOfItems() > 1) menu->removeItemAtIndex(menu->numberOfItems() - 1);
  return menu;
}

void NSUIImageViewParam::setPresetsMenuResourceFileNames(NSArray* names) {
  try {
    NSMenu* menu = removeAllCurrentPresetMenuItems();
    if (!menu || !names) return;
    for (NSUInteger i = 0; i < names->count(); ++i) {
      // A name that is no string ends the list, as the platform's refusal of it would.
      NSString* name = NSDynamicCast<NSString>(names->objectAtIndex(i));
      if (!VERIFY(name)) return;
      NSMenuItem* item = menu->addItemWithTitle_action_keyEquivalent(
          name, sel_registerName("setImageNamedBySenderTitle:"), NSString::string());
      item->setTarget(this);
    }
  } catch (const NSException::Raised&) {
    // The items added so far stay; the rest of the list is given up.
  }
}
