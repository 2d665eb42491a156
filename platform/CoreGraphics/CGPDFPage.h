#pragma once
// Pages of a PDF document.
#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGPDFDocument.h>

typedef int32_t CGPDFBox;
enum : int32_t { kCGPDFMediaBox = 0, kCGPDFCropBox, kCGPDFBleedBox, kCGPDFTrimBox, kCGPDFArtBox };

CG_EXTERN CFTypeID CGPDFPageGetTypeID(void);
CG_EXTERN CGPDFPageRef CGPDFPageRetain(CGPDFPageRef page);
CG_EXTERN void CGPDFPageRelease(CGPDFPageRef page);
CG_EXTERN CGPDFDocumentRef CGPDFPageGetDocument(CGPDFPageRef page);
CG_EXTERN size_t CGPDFPageGetPageNumber(CGPDFPageRef page);
// Every box is the page's own rectangle, at the origin.
CG_EXTERN CGRect CGPDFPageGetBoxRect(CGPDFPageRef page, CGPDFBox box);
CG_EXTERN int CGPDFPageGetRotationAngle(CGPDFPageRef page);
// Maps the box onto `rect`, centred, rotated by `rotate` (a multiple of 90 degrees) on top
// of the page's own rotation; the box is scaled down to fit, never up.
CG_EXTERN CGAffineTransform CGPDFPageGetDrawingTransform(CGPDFPageRef page, CGPDFBox box, CGRect rect,
                                                         int rotate, bool preserveAspectRatio);
