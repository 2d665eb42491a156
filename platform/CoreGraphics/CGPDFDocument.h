#pragma once
// PDF documents, read through Poppler.
#include <CoreGraphics/CGBase.h>
#include <CoreGraphics/CGDataProvider.h>

typedef const struct __CFURL* CFURLRef;

typedef struct CGPDFDocument* CGPDFDocumentRef;
typedef struct CGPDFPage* CGPDFPageRef;

CG_EXTERN CFTypeID CGPDFDocumentGetTypeID(void);
// Null when the URL names no readable PDF file.
CG_EXTERN CGPDFDocumentRef CGPDFDocumentCreateWithURL(CFURLRef url);
// Null when the provider's bytes are no readable PDF document.
CG_EXTERN CGPDFDocumentRef CGPDFDocumentCreateWithProvider(CGDataProviderRef provider);
CG_EXTERN CGPDFDocumentRef CGPDFDocumentRetain(CGPDFDocumentRef document);
CG_EXTERN void CGPDFDocumentRelease(CGPDFDocumentRef document);
CG_EXTERN size_t CGPDFDocumentGetNumberOfPages(CGPDFDocumentRef document);
// Pages are numbered from 1; the page belongs to the document. Null outside the document.
CG_EXTERN CGPDFPageRef CGPDFDocumentGetPage(CGPDFDocumentRef document, size_t pageNumber);
