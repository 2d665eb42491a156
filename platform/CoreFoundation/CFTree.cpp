#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFTree.h>
#include <objc/NSObject.h>
#include <objc/runtime.h>

#include <vector>

struct __CFTree : NSObject {
  CFTreeContext mContext{};
  __CFTree* mParent = nullptr;
  // Position among the parent's children; children are only ever appended, so it stays true.
  CFIndex mIndexInParent = 0;
  std::vector<__CFTree*> mChildren;

  unsigned long cfTypeID() const override { return CFTreeGetTypeID(); }

  const __CFString* copyDescription() const override {
    if (mContext.copyDescription) {
      if (CFStringRef text = mContext.copyDescription(mContext.info)) return text;
    }
    return NSObject::copyDescription();
  }

 protected:
  ~__CFTree() override {
    for (__CFTree* child : mChildren) {
      child->mParent = nullptr;
      child->release();
    }
    if (mContext.release) mContext.release(mContext.info);
  }
};

CFTypeID CFTreeGetTypeID(void) {
  static const CFTypeID typeID = _CFRuntimeRegisterClass("CFTree");
  return typeID;
}

CFTreeRef CFTreeCreate(CFAllocatorRef, const CFTreeContext* context) {
  auto* tree = new __CFTree();
  if (context) {
    tree->mContext = *context;
    if (context->retain) tree->mContext.info = const_cast<void*>(context->retain(context->info));
  }
  return tree;
}

void CFTreeGetContext(CFTreeRef tree, CFTreeContext* context) {
  if (!context) return;
  *context = tree ? tree->mContext : CFTreeContext{};
}

CFTreeRef CFTreeGetParent(CFTreeRef tree) { return tree ? tree->mParent : nullptr; }

CFTreeRef CFTreeGetNextSibling(CFTreeRef tree) {
  if (!tree || !tree->mParent) return nullptr;
  return CFTreeGetChildAtIndex(tree->mParent, tree->mIndexInParent + 1);
}

CFTreeRef CFTreeGetFirstChild(CFTreeRef tree) { return CFTreeGetChildAtIndex(tree, 0); }

CFIndex CFTreeGetChildCount(CFTreeRef tree) { return tree ? CFIndex(tree->mChildren.size()) : 0; }

CFTreeRef CFTreeGetChildAtIndex(CFTreeRef tree, CFIndex idx) {
  if (!tree || idx < 0 || idx >= CFIndex(tree->mChildren.size())) return nullptr;
  return tree->mChildren[size_t(idx)];
}

void CFTreeAppendChild(CFTreeRef tree, CFTreeRef newChild) {
  // A child already in a tree would end up with two owners and a wrong parent link; an
  // ancestor appended below itself would make a cycle that is never freed.
  if (!tree || !newChild || newChild->mParent) return;
  for (CFTreeRef ancestor = tree; ancestor; ancestor = ancestor->mParent) {
    if (ancestor == newChild) return;
  }
  newChild->retain();
  newChild->mParent = tree;
  newChild->mIndexInParent = CFIndex(tree->mChildren.size());
  tree->mChildren.push_back(newChild);
}
