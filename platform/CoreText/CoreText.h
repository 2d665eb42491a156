#pragma once
// Everything the CoreText framework offers here.
#include <CoreText/CTFont.h>
#include <CoreText/CTLine.h>
#include <CoreText/CTStringAttributes.h>
