#pragma once
// The three parts of multi-view switching: the views shown (clients), the controller that
// keeps them by title (host), and the control that switches between them.
class NSImage;
class NSObject;
class NSString;
class NSView;
class NSArray;

class protocol_MultiViewClient {
 public:
  virtual NSString* multiViewTitle() const = 0;
  virtual NSImage* multiViewIconImage() = 0;

 protected:
  ~protocol_MultiViewClient() = default;
};

class protocol_MultiViewHost {
 public:
  virtual NSArray* switchingMultiViewList() = 0;
  virtual NSArray* switchingMultiViewTitleList() = 0;
  virtual NSView* selectedMultiView() const = 0;
  virtual bool setSelectedMultiViewTitle(NSString* title) = 0;
  virtual NSString* selectedMultiViewTitle() const = 0;
  virtual void multiViewSwitchingControlSelectionChanged(NSObject* sender) = 0;
  virtual void addSenderToMultiViewList(NSObject* sender) = 0;
  virtual bool addMultiView_selectView(NSView* view, bool select) = 0;
  virtual bool selectViewWithMultiViewTitle(NSString* title) = 0;
  virtual NSView* multiViewWithTitle(NSString* title) = 0;

 protected:
  ~protocol_MultiViewHost() = default;
};

class protocol_MultiViewSwitchingControl {
 public:
  virtual void refreshMultiViewTitlesWithSelection(NSString* title) = 0;
  virtual bool setSelectedMultiViewTitle(NSString* title) = 0;
  virtual NSString* selectedMultiViewTitle() const = 0;

 protected:
  ~protocol_MultiViewSwitchingControl() = default;
};

// The title a view is listed under: a client's, a nibbler's class name; null for others.
NSString* NSUIMultiViewTitleOf(NSView* view);
