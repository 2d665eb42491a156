#include <CoreFoundation/CFXMLNode.h>
#include <objc/NSObject.h>
#include <objc/runtime.h>

struct __CFXMLNode : NSObject {
  CFXMLNodeTypeCode mTypeCode = 0;
  CFStringRef mString = nullptr;
  CFIndex mVersion = kCFXMLNodeCurrentVersion;
  bool mHasInfo = false;
  union {
    CFXMLElementInfo element;
    CFXMLProcessingInstructionInfo instruction;
    CFXMLDocumentInfo document;
    CFXMLDocumentTypeInfo documentType;
  } mInfo{};

  unsigned long cfTypeID() const override { return CFXMLNodeGetTypeID(); }

 protected:
  ~__CFXMLNode() override {
    if (mString) CFRelease(mString);
    if (!mHasInfo) return;
    switch (mTypeCode) {
      case kCFXMLNodeTypeElement:
        releaseIfSet(mInfo.element.attributes);
        releaseIfSet(mInfo.element.attributeOrder);
        break;
      case kCFXMLNodeTypeProcessingInstruction:
        releaseIfSet(mInfo.instruction.dataString);
        break;
      case kCFXMLNodeTypeDocument:
        releaseIfSet(mInfo.document.sourceURL);
        break;
      case kCFXMLNodeTypeDocumentType:
        releaseIfSet(mInfo.documentType.externalID.systemID);
        releaseIfSet(mInfo.documentType.externalID.publicID);
        break;
      default:
        break;
    }
  }

 private:
  static void releaseIfSet(CFTypeRef object) {
    if (object) CFRelease(object);
  }
};

static CFTypeRef retainIfSet(CFTypeRef object) { return object ? CFRetain(object) : nullptr; }

CFTypeID CFXMLNodeGetTypeID(void) {
  static const CFTypeID typeID = _CFRuntimeRegisterClass("CFXMLNode");
  return typeID;
}

CFXMLNodeRef CFXMLNodeCreate(CFAllocatorRef, CFXMLNodeTypeCode xmlType, CFStringRef dataString,
                             const void* additionalInfoPtr, CFIndex version) {
  if (xmlType < kCFXMLNodeTypeDocument || xmlType > kCFXMLNodeTypeAttributeListDeclaration) return nullptr;
  auto* node = new __CFXMLNode();
  node->mTypeCode = xmlType;
  node->mVersion = version;
  if (dataString) node->mString = CFStringCreateCopy(nullptr, dataString);
  if (!additionalInfoPtr) return node;
  switch (xmlType) {
    case kCFXMLNodeTypeElement: {
      const auto* info = static_cast<const CFXMLElementInfo*>(additionalInfoPtr);
      node->mInfo.element.attributes = CFDictionaryRef(retainIfSet(info->attributes));
      node->mInfo.element.attributeOrder = CFArrayRef(retainIfSet(info->attributeOrder));
      node->mInfo.element.isEmpty = info->isEmpty;
      node->mHasInfo = true;
      break;
    }
    case kCFXMLNodeTypeProcessingInstruction: {
      const auto* info = static_cast<const CFXMLProcessingInstructionInfo*>(additionalInfoPtr);
      node->mInfo.instruction.dataString = CFStringRef(retainIfSet(info->dataString));
      node->mHasInfo = true;
      break;
    }
    case kCFXMLNodeTypeDocument: {
      const auto* info = static_cast<const CFXMLDocumentInfo*>(additionalInfoPtr);
      node->mInfo.document.sourceURL = CFURLRef(retainIfSet(info->sourceURL));
      node->mInfo.document.encoding = info->encoding;
      node->mHasInfo = true;
      break;
    }
    case kCFXMLNodeTypeDocumentType: {
      const auto* info = static_cast<const CFXMLDocumentTypeInfo*>(additionalInfoPtr);
      node->mInfo.documentType.externalID.systemID = CFURLRef(retainIfSet(info->externalID.systemID));
      node->mInfo.documentType.externalID.publicID = CFStringRef(retainIfSet(info->externalID.publicID));
      node->mHasInfo = true;
      break;
    }
    default:
      break;
  }
  return node;
}

CFXMLNodeTypeCode CFXMLNodeGetTypeCode(CFXMLNodeRef node) { return node ? node->mTypeCode : 0; }

CFStringRef CFXMLNodeGetString(CFXMLNodeRef node) { return node ? node->mString : nullptr; }

const void* CFXMLNodeGetInfoPtr(CFXMLNodeRef node) {
  return node && node->mHasInfo ? static_cast<const void*>(&node->mInfo) : nullptr;
}

CFIndex CFXMLNodeGetVersion(CFXMLNodeRef node) { return node ? node->mVersion : 0; }

static const void* retainNode(const void* info) { return CFRetain(info); }
static void releaseNode(const void* info) { CFRelease(info); }
static CFStringRef describeNode(const void* info) { return CFCopyDescription(info); }

CFXMLTreeRef CFXMLTreeCreateWithNode(CFAllocatorRef allocator, CFXMLNodeRef node) {
  if (!node) return nullptr;
  CFTreeContext context{0, const_cast<__CFXMLNode*>(node), retainNode, releaseNode, describeNode};
  return CFTreeCreate(allocator, &context);
}

CFXMLNodeRef CFXMLTreeGetNode(CFXMLTreeRef xmlTree) {
  if (!xmlTree) return nullptr;
  CFTreeContext context;
  CFTreeGetContext(xmlTree, &context);
  // Only trees made here carry nodes; any other tree's info is not ours to interpret.
  if (context.retain != retainNode) return nullptr;
  return static_cast<CFXMLNodeRef>(context.info);
}
