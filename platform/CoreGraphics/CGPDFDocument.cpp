#include "backend/CGPDFObjects.h"

#include <CoreFoundation/CFURL.h>

#include <algorithm>
#include <climits>
#include <cmath>

CGPDFPage::~CGPDFPage() {
  if (page) g_object_unref(page);
}

CGPDFDocument::~CGPDFDocument() {
  for (auto& page : pages)
    if (page) page->document = nullptr;
  if (document) g_object_unref(document);
}

namespace {

CGPDFDocumentRef documentFromPoppler(PopplerDocument* poppler, GError* error) {
  if (!poppler) {
    if (error) g_error_free(error);
    return nullptr;
  }
  auto* document = new CGPDFDocument();
  document->document = poppler;
  document->pages.resize(size_t(std::max(0, poppler_document_get_n_pages(poppler))));
  return document;
}

}  // namespace

CFTypeID CGPDFDocumentGetTypeID(void) { return CGPDFDocument::typeID(); }
CFTypeID CGPDFPageGetTypeID(void) { return CGPDFPage::typeID(); }

CGPDFDocumentRef CGPDFDocumentCreateWithURL(CFURLRef url) {
  char path[PATH_MAX];
  if (!url || !CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path))
    return nullptr;
  gchar* uri = g_filename_to_uri(path, nullptr, nullptr);
  if (!uri) return nullptr;
  GError* error = nullptr;
  PopplerDocument* poppler = poppler_document_new_from_file(uri, nullptr, &error);
  g_free(uri);
  return documentFromPoppler(poppler, error);
}

CGPDFDocumentRef CGPDFDocumentCreateWithProvider(CGDataProviderRef provider) {
  if (!provider) return nullptr;
  // Poppler reads the bytes for as long as the document lives: it gets a copy of its own.
  GBytes* bytes = g_bytes_new(provider->bytes, provider->size);
  GError* error = nullptr;
  PopplerDocument* poppler = poppler_document_new_from_bytes(bytes, nullptr, &error);
  g_bytes_unref(bytes);
  return documentFromPoppler(poppler, error);
}

CGPDFDocumentRef CGPDFDocumentRetain(CGPDFDocumentRef document) { return cgRetain(document); }
void CGPDFDocumentRelease(CGPDFDocumentRef document) { cgRelease(document); }

size_t CGPDFDocumentGetNumberOfPages(CGPDFDocumentRef document) {
  return document ? document->pages.size() : 0;
}

CGPDFPageRef CGPDFDocumentGetPage(CGPDFDocumentRef document, size_t pageNumber) {
  if (!document || pageNumber < 1 || pageNumber > document->pages.size()) return nullptr;
  RefPtr<CGPDFPage>& slot = document->pages[pageNumber - 1];
  if (!slot) {
    PopplerPage* poppler = poppler_document_get_page(document->document, int(pageNumber - 1));
    if (!poppler) return nullptr;
    auto page = adopt(new CGPDFPage());
    page->document = document;
    page->page = poppler;
    page->number = pageNumber;
    poppler_page_get_size(poppler, &page->size.width, &page->size.height);
    slot = page;
  }
  return slot.get();
}

CGPDFPageRef CGPDFPageRetain(CGPDFPageRef page) { return cgRetain(page); }
void CGPDFPageRelease(CGPDFPageRef page) { cgRelease(page); }
CGPDFDocumentRef CGPDFPageGetDocument(CGPDFPageRef page) { return page ? page->document : nullptr; }
size_t CGPDFPageGetPageNumber(CGPDFPageRef page) { return page ? page->number : 0; }

CGRect CGPDFPageGetBoxRect(CGPDFPageRef page, CGPDFBox) {
  return page ? CGRectMake(0, 0, page->size.width, page->size.height) : CGRectNull;
}

int CGPDFPageGetRotationAngle(CGPDFPageRef page) { return page ? page->rotation : 0; }

CGAffineTransform CGPDFPageGetDrawingTransform(CGPDFPageRef page, CGPDFBox box, CGRect rect, int rotate,
                                               bool preserveAspectRatio) {
  if (!page) return CGAffineTransformIdentity;
  CGRect boxRect = CGPDFPageGetBoxRect(page, box);
  rect = CGRectStandardize(rect);
  int angle = ((page->rotation + rotate) % 360 + 360) % 360 / 90 * 90;
  bool sideways = angle == 90 || angle == 270;
  CGFloat w = sideways ? boxRect.size.height : boxRect.size.width;
  CGFloat h = sideways ? boxRect.size.width : boxRect.size.height;
  CGFloat sx = w > 0 ? std::min(1.0, rect.size.width / w) : 1;
  CGFloat sy = h > 0 ? std::min(1.0, rect.size.height / h) : 1;
  if (preserveAspectRatio) sx = sy = std::min(sx, sy);
  // Box centre → origin, turned clockwise by the angle, scaled, then onto the rect's centre.
  CGAffineTransform t = CGAffineTransformMakeTranslation(-CGRectGetMidX(boxRect), -CGRectGetMidY(boxRect));
  t = CGAffineTransformConcat(t, CGAffineTransformMakeRotation(-angle * M_PI / 180));
  t = CGAffineTransformConcat(t, CGAffineTransformMakeScale(sx, sy));
  return CGAffineTransformConcat(t, CGAffineTransformMakeTranslation(CGRectGetMidX(rect), CGRectGetMidY(rect)));
}
