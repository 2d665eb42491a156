// A class that no code of the test program names: only a nib does.
#include <Foundation/NSObject.h>

class NibOnlyWidget : public NSObject {
  OBJC_CLASS_DECL(NibOnlyWidget, NSObject)
};
OBJC_CLASS_DEFINE(NibOnlyWidget)
