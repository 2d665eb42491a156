#include "ScreenSpace.h"

#include "XConnection.h"

namespace AppKitBackend {

std::vector<CGRect> screensInServerSpace() {
  if (auto connection = XConnection::current(); connection && !connection->monitors().empty()) {
    return connection->monitors();
  }
  return {CGRectMake(0, 0, kHeadlessScreenSize.width, kHeadlessScreenSize.height)};
}

namespace {

CGRect primary() { return screensInServerSpace().front(); }

}  // namespace

CGPoint cocoaPointFromServer(CGFloat x, CGFloat y) {
  CGRect p = primary();
  return CGPointMake(x - p.origin.x, p.origin.y + p.size.height - y);
}

CGRect cocoaRectFromServer(CGRect rect) {
  CGRect p = primary();
  return CGRectMake(rect.origin.x - p.origin.x, p.origin.y + p.size.height - (rect.origin.y + rect.size.height),
                    rect.size.width, rect.size.height);
}

CGRect serverRectFromCocoa(CGRect rect) {
  CGRect p = primary();
  return CGRectMake(rect.origin.x + p.origin.x, p.origin.y + p.size.height - (rect.origin.y + rect.size.height),
                    rect.size.width, rect.size.height);
}

}  // namespace AppKitBackend
