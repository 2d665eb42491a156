#pragma once
// An image well whose value is a reference to a picture rather than the picture: a resource
// name, a file path or a URL, with its kind. It shows the picture the reference names, offers
// built-in pictures in a presets pop-up whose checked item follows the reference, and takes
// files and URLs dropped on it; every change made through the drop parameters sends the
// well's action.
//
// A URL that names no file is not fetched here (that would stop the main thread on the
// network): its picture comes through the URL delegate, which turns it into a cached file.
#include <AppKit/NSDragging.h>
#include <AppKit/NSImageView.h>
#include <AppKit/NSPopUpButton.h>

#include "NSControl_category_NSUIDropViewParam.h"
#include "UAtomicProperty.h"

int import_NSUIImageViewParam();

class NSUIImageViewParam : public NSImageView, public category_NSUIDropViewParam {
  OBJC_CLASS_DECL(NSUIImageViewParam, NSImageView)

 public:
  // Takes URLs dropped on it (files come as file URLs).
  void awakeFromNib() override;
  // A URL dragged from elsewhere becomes the reference: a file URL as its path, any other as
  // its text (or the URL delegate's cached file); other drags are the image view's.
  NSDragOperation draggingEntered(NSDraggingInfo* drag) override;
  bool performDragOperation(NSDraggingInfo* drag) override;

  // The drop parameter's storage: the reference (a string) and its kind.
  NSObject* contents() override { return mContents.get(); }
  NSUIDropViewParamContentsType contentsType() override { return mContentsType; }
  // Keeps the reference, shows its picture and checks the preset of a resource name (no
  // preset for a path or URL).
  void setContents_type(NSObject* contents, NSUIDropViewParamContentsType type) override;
  void clearContents() override;
  NSObject* contentsURLDelegate() override { return mContentsURLDelegate.get().get(); }

  // An image set directly has no reference.
  void setImage(NSImage* image) override;
  // The resource picture of the sender's title (a presets menu item).
  void setImageNamedBySenderTitle(NSObject* sender);

  // The presets menu with every item but its title item removed; null without a presets
  // pop-up or menu.
  NSMenu* removeAllCurrentPresetMenuItems();
  // The presets: one item per name, in order, that picks the resource of its title.
  void setPresetsMenuResourceFileNames(NSArray* names);

  NSPopUpButton* outletPresets() const { return mOutletPresets.get().get(); }
  void setOutletPresets(NSPopUpButton* presets) { mOutletPresets = presets; }
  void setContentsURLDelegate(NSObject* delegate) { mContentsURLDelegate = delegate; }

 protected:
  ~NSUIImageViewParam() override;

 private:
  // The picture of the reference: a resource, a file, a file URL; an empty image for none.
  static RefPtr<NSImage> imageForContents(NSString* contents, NSUIDropViewParamContentsType type);
  void updatePresetsSelection();
  // The URL of a drag from elsewhere; null for none.
  NSURL* droppedURL(NSDraggingInfo* drag);

  UAtomicProperty<NSString> mContents;
  NSUIDropViewParamContentsType mContentsType = kNSUIDropViewParamNone;
  WeakPtr<NSPopUpButton> mOutletPresets;
  WeakPtr<NSObject> mContentsURLDelegate;
};
