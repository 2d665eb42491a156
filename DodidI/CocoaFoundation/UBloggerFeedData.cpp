#include "UBloggerFeedData.h"

#include <mutex>

int import_UBloggerFeedData() { return 1; }

OBJC_CLASS_DEFINE(UBloggerFeedData)

namespace {

struct Hosts {
  std::mutex lock;
  RefPtr<NSString> blog{NSSTR("blogspot.com")};
  RefPtr<NSString> redirect{NSSTR("feeds.feedburner.com")};
};

Hosts& hosts() {
  static Hosts* const shared = new Hosts;
  return *shared;
}

}  // namespace

UBloggerFeedData* UBloggerFeedData::bloggerFeedDataWithBlogspotSubDomain_feedburnerWithSameLabel(
    NSString* subDomain, bool sameLabel) {
  auto* made = static_cast<UBloggerFeedData*>(alloc())->initWithBlogspotSubDomain_feedburnerWithSameLabel(
      subDomain, sameLabel);
  return made ? static_cast<UBloggerFeedData*>(made->autorelease()) : nullptr;
}

UBloggerFeedData* UBloggerFeedData::bloggerFeedDataWithBlogspotSubDomain(NSString* subDomain) {
  return bloggerFeedDataWithBlogspotSubDomain_feedburnerWithSameLabel(subDomain, false);
}

UBloggerFeedData* UBloggerFeedData::initWithBlogspotSubDomain_feedburnerWithSameLabel(NSString* subDomain,
                                                                                      bool sameLabel) {
  setBlogspotSubDomain(subDomain);
  setFeedburnerWithSameLabel(sameLabel);
  return this;
}

void UBloggerFeedData::setDeploymentHosts(NSString* blogHost, NSString* feedRedirectHost) {
  std::lock_guard<std::mutex> lock(hosts().lock);
  if (blogHost) hosts().blog = RefPtr<NSString>(NSString::stringWithString(blogHost));
  if (feedRedirectHost) hosts().redirect = RefPtr<NSString>(NSString::stringWithString(feedRedirectHost));
}

NSString* UBloggerFeedData::blogHost() {
  std::lock_guard<std::mutex> lock(hosts().lock);
  return static_cast<NSString*>(hosts().blog->retain()->autorelease());
}

NSString* UBloggerFeedData::feedRedirectHost() {
  std::lock_guard<std::mutex> lock(hosts().lock);
  return static_cast<NSString*>(hosts().redirect->retain()->autorelease());
}

NSString* UBloggerFeedData::blogspotURL() const {
  return NSString::stringWithFormat(NSSTR("http://%@.%@/"), blogspotSubDomain(), blogHost());
}

NSString* UBloggerFeedData::blogspotAtomFeedURLWithOneLabel(NSString* label) const {
  return NSString::stringWithFormat(NSSTR("%@feeds/posts/default/-/%@?max-results=1000"), blogspotURL(),
                                    label);
}

NSString* UBloggerFeedData::blogspotQueryStringForLabels(NSArray* labels) {
  return labels ? labels->componentsJoinedByString(NSSTR("/")) : NSString::string();
}

NSString* UBloggerFeedData::blogspotAtomFeedURLWithLabels(NSArray* labels) const {
  return blogspotAtomFeedURLWithOneLabel(blogspotQueryStringForLabels(labels));
}

NSString* UBloggerFeedData::feedburnerAtomFeedURLWithOneLabel(NSString* label) const {
  return NSString::stringWithFormat(NSSTR("http://%@/%@"), feedRedirectHost(), label);
}

NSString* UBloggerFeedData::atomFeedURLWithOneLabel(NSString* label) const {
  return feedburnerWithSameLabel() ? feedburnerAtomFeedURLWithOneLabel(label)
                                   : blogspotAtomFeedURLWithOneLabel(label);
}
