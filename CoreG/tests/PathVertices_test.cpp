// Vertex lists of outline shapes and the paths made from them.
#include <gtest/gtest.h>

#include <cmath>

#include "namespace_CoreGeometry_BezierVertices.h"
#include "namespace_CoreGeometry_PathVertices.h"

const char* g_CoreMachDebug_LogPrefix = "CoreGPathVerticesTest";
const char* g_CoreMachDebug_LogFileName = "CoreGPathVerticesTest.log";

namespace {
using CoreGeometry::PathVertices;

int Angle(const CoreGeometry::Point32& p) {
  double degrees = std::atan2(double(p.y), double(p.x)) * 180 / M_PI;
  return int(std::lround(degrees < 0 ? degrees + 360 : degrees));
}

TEST(PathVertices, PolygonCounts) {
  struct Case {
    int count, mode;
    size_t points;
  } cases[] = {{2, 0, 3}, {40, 0, 25}, {5, 0, 5}, {5, 1, 5}, {2, 1, 3}};
  for (const Case& c : cases) {
    PathVertices polygon(CGSizeMake(10, 10), c.count, c.mode, 0, 360);
    EXPECT_EQ(polygon.GetPoints().size(), c.points) << c.count << " mode " << c.mode;
  }
}

TEST(PathVertices, StarVisitsVerticesInPentagramOrder) {
  PathVertices star(CGSizeMake(20, 20), 5, 1, 0, 360);
  const auto& p = star.GetPoints();
  ASSERT_EQ(p.size(), 5u);
  const int expected[] = {0, 144, 288, 72, 216};
  for (size_t k = 0; k < 5; ++k) EXPECT_EQ(Angle(p[k]), expected[k]) << k;
}

TEST(PathVertices, RaysStartAndEndAtTheCentre) {
  PathVertices rays(CGSizeMake(20, 20), 7, 2, 0, 360);
  EXPECT_EQ(rays.GetCount(), 6);
  const auto& p = rays.GetPoints();
  ASSERT_GE(p.size(), 3u);
  EXPECT_EQ(p.front().x, 0);
  EXPECT_EQ(p.front().y, 0);
  EXPECT_EQ(p.back().x, 0);
  EXPECT_EQ(p.back().y, 0);
  // Limited to 0..90 degrees only rays in that quarter are kept.
  PathVertices quarter(CGSizeMake(20, 20), 8, 2, 0, 90);
  for (const auto& point : quarter.GetPoints()) {
    EXPECT_GE(point.x, -1e-4f);
    EXPECT_GE(point.y, -1e-4f);
  }
}

TEST(PathVertices, RoseHasOnePointPerStep) {
  PathVertices coarse(CGSizeMake(10, 10), 1u, 5, 0.5f);
  EXPECT_EQ(coarse.GetPoints().size(), 182u);
  PathVertices fine(CGSizeMake(10, 10), 0u, 5, 0.5f);
  EXPECT_GT(fine.GetPoints().size(), 3500u);
}

TEST(PathVertices, PathsNeedTwoPointsAndSitAtTheOffset) {
  PathVertices triangle(CGSizeMake(10, 10), 3, 0, 0, 360);
  CGPathRef path = triangle.AsCGPathRef(CGPointMake(100, 200), true);
  ASSERT_NE(path, nullptr);
  CGRect box = CGPathGetBoundingBox(path);
  EXPECT_NEAR(CGRectGetMaxX(box), 105, 1e-4);
  EXPECT_NEAR(CGRectGetMidY(box), 200, 1e-4);
  CGPathRelease(path);
  CGPathRef smooth = triangle.AsSmoothCGPathRef(CGPointZero, true);
  EXPECT_NE(smooth, nullptr);
  CGPathRelease(smooth);
}

TEST(BezierVertices, HeartIsTwoJoinedCurves) {
  CoreGeometry::BezierVertices heart(CGSizeMake(100, 100));
  ASSERT_EQ(heart.GetSegments().size(), 2u);
  EXPECT_FLOAT_EQ(heart.GetSegments()[0].start[1], 0.175f * 150);
  CGPathRef path = heart.AsCGPathRef(CGPointZero);
  ASSERT_NE(path, nullptr);
  int moves = 0, curves = 0;
  std::pair<int*, int*> counts{&moves, &curves};
  CGPathApply(path, &counts, [](void* info, const CGPathElement* e) {
    auto* c = static_cast<std::pair<int*, int*>*>(info);
    if (e->type == kCGPathElementMoveToPoint) ++*c->first;
    if (e->type == kCGPathElementAddCurveToPoint) ++*c->second;
  });
  EXPECT_EQ(moves, 1) << "the second curve starts where the first ends";
  EXPECT_EQ(curves, 2);
  CGPathRelease(path);
}

}  // namespace
