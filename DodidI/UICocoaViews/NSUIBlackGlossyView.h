#pragma once
// Glossy views of a fixed default colour.
#include "NSUISheenmarkGlossyView.h"

int import_NSUIBlackGlossyView();

#define NSUI_GLOSSY_VIEW(Name)                               \
  class Name : public NSUISheenmarkGlossyView {              \
    OBJC_CLASS_DECL(Name, NSUISheenmarkGlossyView)           \
   public:                                                   \
    struct Meta : NSUISheenmarkGlossyView::Meta {            \
      NSColor* defaultGlossyColor(Class cls) const override; \
    };                                                       \
  };

NSUI_GLOSSY_VIEW(NSUIBlackGlossyView)
NSUI_GLOSSY_VIEW(NSUIDarkGrayGlossyView)
NSUI_GLOSSY_VIEW(NSUIGrayGlossyView)
NSUI_GLOSSY_VIEW(NSUIBlueGlossyView)
