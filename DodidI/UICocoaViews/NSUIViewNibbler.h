#pragma once
// A view that stands in a window's nib for a view of another nib: at the first awakeFromNib
// (the window's nib waking it) it loads the nib named after its class with itself as owner
// and installs the nib's top view (outlet nibblerSubView) as its only subview, sized by the
// subview's autoresizing mask. Every later awakeFromNib, beginning with the one its own nib
// load sends, goes to awakeFromNibbler, the subclasses' hook. A nibbler made in code loads
// nothing by itself.
#include <atomic>
#include <cstdint>

#include <AppKit/NSView.h>
#include <objc/WeakPtr.h>

class NSArray;
class NSWindow;

int import_NSUIViewNibbler();

class NSUIViewNibbler : public NSView {
  OBJC_CLASS_DECL(NSUIViewNibbler, NSView)

 public:
  struct Meta : NSView::Meta {
    // +classNibName: the class's own name; subclasses may name another nib.
    virtual NSString* classNibName(Class cls) const;
    // A class that answers NO never loads its nib.
    virtual bool shouldInstantiateOnThisVersionOfOSX(Class cls) const { return true; }
  };

  // The window's top-left corner at the view's bottom-left corner on screen.
  static void alignWindowTopLeft_directlyBelowView(NSWindow* window, NSView* view);
  // The window centred horizontally on the view, its vertical place kept.
  static void centerWindow_horizontallyPositionedAboveView(NSWindow* window, NSView* view);

  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  NSString* classDefaultNibName() const;
  virtual void deferConstructionUntilXcodePropertiesSet() {}
  void awakeFromNib() override;
  virtual void awakeFromNibbler() {}
  void constructWithDefaultNibName();
  // Loads the nib with self as owner; YES when it loaded and nibblerSubView is set.
  bool instantiateObjectGraphWithNibName(NSString* name);
  bool installNibblerSubView();
  virtual void logView_withName(NSView* view, NSString* name) {}
  void setFrameSize(NSSize size) override;
  void centerWindowAboveNibblerSubView(NSWindow* window);
  virtual NSString* multiViewTitle() const;
  bool acceptsFirstMouse(NSEvent*) override { return true; }

  NSView* nibblerSubView() const { return mNibblerSubView.get().get(); }
  void setNibblerSubView(NSView* view) { mNibblerSubView = view; }
  NSObject* nibblerController() const { return mNibblerController.get().get(); }
  void setNibblerController(NSObject* controller) { mNibblerController = controller; }
  NSArray* topLevelObjects() const { return mTopLevelObjects.get(); }
  void setTopLevelObjects(NSArray* objects);
  NSString* defaultNibName() const { return mDefaultNibName.get(); }
  void setDefaultNibName(NSString* name);
  uint64_t constructed() const { return mConstructed; }

 protected:
  ~NSUIViewNibbler() override;

 private:
  WeakPtr<NSView> mNibblerSubView;
  WeakPtr<NSObject> mNibblerController;
  RefPtr<NSArray> mTopLevelObjects;
  RefPtr<NSString> mDefaultNibName;
  std::atomic<uint64_t> mConstructed{0};
};
