#pragma once
// The feed URLs of a hosted blog, where each label of the blog is one Atom feed:
//   blog form      http://<sub-domain>.<blog host>/feeds/posts/default/-/<label>?max-results=1000
//   redirect form  http://<feed-redirect host>/<label>
// The two hosts are values of the deployment (setDeploymentHosts).
#include <Foundation/NSArray.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <atomic>

#include "UAtomicProperty.h"

int import_UBloggerFeedData();

class UBloggerFeedData : public NSObject {
  OBJC_CLASS_DECL(UBloggerFeedData, NSObject)

 public:
  // Autoreleased.
  static UBloggerFeedData* bloggerFeedDataWithBlogspotSubDomain_feedburnerWithSameLabel(NSString* subDomain,
                                                                                        bool sameLabel);
  static UBloggerFeedData* bloggerFeedDataWithBlogspotSubDomain(NSString* subDomain);
  UBloggerFeedData* initWithBlogspotSubDomain_feedburnerWithSameLabel(NSString* subDomain, bool sameLabel);

  // The hosts every feed URL is made with, from now on.
  static void setDeploymentHosts(NSString* blogHost, NSString* feedRedirectHost);
  static NSString* blogHost();
  static NSString* feedRedirectHost();

  NSString* blogspotURL() const;
  NSString* blogspotAtomFeedURLWithOneLabel(NSString* label) const;
  // The labels joined with "/" (empty for none).
  static NSString* blogspotQueryStringForLabels(NSArray* labels);
  NSString* blogspotAtomFeedURLWithLabels(NSArray* labels) const;
  NSString* feedburnerAtomFeedURLWithOneLabel(NSString* label) const;
  // The redirect form when feedburnerWithSameLabel, else the blog form.
  NSString* atomFeedURLWithOneLabel(NSString* label) const;

  NSString* blogspotSubDomain() const { return mSubDomain.get(); }
  void setBlogspotSubDomain(NSString* subDomain) { mSubDomain.set(subDomain); }
  bool feedburnerWithSameLabel() const { return mSameLabel; }
  void setFeedburnerWithSameLabel(bool sameLabel) { mSameLabel = sameLabel; }

 protected:
  UBloggerFeedData() = default;

 private:
  UAtomicProperty<NSString> mSubDomain;
  std::atomic<bool> mSameLabel{false};
};
