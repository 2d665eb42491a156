#pragma once
// Gradient views with a fixed pair of greys (starting colour at the bottom).
#include "NSUIGradientView.h"

int import_NSUIGradientLightGrayToDarkGrayView();

#define NSUI_GRADIENT_VIEW(Name)                                \
  class Name : public NSUIGradientView {                        \
    OBJC_CLASS_DECL(Name, NSUIGradientView)                     \
   public:                                                      \
    struct Meta : NSUIGradientView::Meta {                      \
      NSColor* gradientStartingColor(Class cls) const override; \
      NSColor* gradientEndingColor(Class cls) const override;   \
    };                                                          \
  };

NSUI_GRADIENT_VIEW(NSUIGradientLightGrayToDarkGrayView)
NSUI_GRADIENT_VIEW(NSUIGradientDarkGrayToLightGrayView)
NSUI_GRADIENT_VIEW(NSUIGradientGrayToDarkGrayView)
NSUI_GRADIENT_VIEW(NSUIGradientDarkGrayToGrayView)
NSUI_GRADIENT_VIEW(NSUIGradientLightGrayToGrayView)
NSUI_GRADIENT_VIEW(NSUIGradientGrayToLightGrayView)
NSUI_GRADIENT_VIEW(NSUIGradientBlackToDarkGrayView)
NSUI_GRADIENT_VIEW(NSUIGradientDarkGrayToBlackView)
