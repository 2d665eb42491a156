#include "NSOGLDisplayLinkMasterOrSlaveView.h"

OBJC_CLASS_DEFINE(NSOGLDisplayLinkMasterOrSlaveView)

NSUIDisplayLinkViewControllerProtocol* NSOGLDisplayLinkMasterOrSlaveView::controller(
    RefPtr<NSObject>& holder) {
  holder = outletDisplayLink.get();
  return dynamic_cast<NSUIDisplayLinkViewControllerProtocol*>(holder.get());
}

NSObject* NSOGLDisplayLinkMasterOrSlaveView::displayLink() {
  RefPtr<NSObject> holder;
  NSUIDisplayLinkViewControllerProtocol* link = controller(holder);
  return link ? link->displayLinkObject() : nullptr;
}

bool NSOGLDisplayLinkMasterOrSlaveView::isMasterDisplayLinkViewDelegate() {
  RefPtr<NSObject> holder;
  NSUIDisplayLinkViewControllerProtocol* link = controller(holder);
  return link && link->isMasterDisplayLinkViewDelegate(this);
}

void NSOGLDisplayLinkMasterOrSlaveView::displayLinkViewDidFinishStartup(NSObject* sender) {
  NSOGLDisplayLinkViewBase::displayLinkViewDidFinishStartup(sender);
  RefPtr<NSObject> holder;
  NSUIDisplayLinkViewControllerProtocol* link = controller(holder);
  if (!link || !openGLContext()) return;
  if (link->isMasterDisplayLinkViewDelegate(this))
    link->startDisplayLinkDelegate(this);
  else
    link->addSlaveDisplayLinkViewDelegate(this);
}

void NSOGLDisplayLinkMasterOrSlaveView::dealloc() {
  RefPtr<NSObject> holder;
  if (NSUIDisplayLinkViewControllerProtocol* link = controller(holder)) link->stopDisplayLinkDelegate(this);
  NSOGLDisplayLinkViewBase::dealloc();
}
