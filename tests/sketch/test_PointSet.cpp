// Value point sets: order, duplicate positions, hostile points.

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "sketch/PointSet.h"

using vynsketch::PointSet;
using V2 = Wml::Vector2<float>;

TEST(PointSet, KeepsLevelsAndOrdersByXThenY)
{
    PointSet set(0.5f, 1.0f, -1.0f, 10.0f);

    set.AddPoint(PointSet::Point(V2(2, 1), 1, 0.1f));
    set.AddPoint(PointSet::Point(V2(1, 5), 2, 0.1f));
    set.AddPoint(PointSet::Point(V2(1, -3), 3, 0.1f));
    set.AddPoint(PointSet::Point(V2(-4, 9), 4, 0.1f));
    std::vector<float> order;
    for (const PointSet::Point& p : set.GetPoints()) order.push_back(p.value);
    EXPECT_EQ(order, (std::vector<float>{4, 3, 2, 1}));

    set.Clear();
    EXPECT_EQ(set.GetNumPoints(), 0u);
    EXPECT_EQ(set.GetSurfaceValue(), 0.5f);
}

TEST(PointSet, SamePositionKeepsTheFirstPoint)
{
    PointSet set(0, 1, -1, 1);
    EXPECT_TRUE(set.AddPoint(PointSet::Point(V2(3, 4), 7, 0.5f)));
    EXPECT_FALSE(set.AddPoint(PointSet::Point(V2(3, 4), 9, 0.01f)));
    ASSERT_EQ(set.GetNumPoints(), 1u);
    EXPECT_EQ(set.GetPoints().begin()->value, 7.0f);
    EXPECT_EQ(set.GetPoints().begin()->smoothing, 0.5f);
    // Same x, other y is another point.
    EXPECT_TRUE(set.AddPoint(PointSet::Point(V2(3, 4.0001f), 9, 0.01f)));
    EXPECT_EQ(set.GetNumPoints(), 2u);
}

TEST(PointSet, RefusesNonFinitePositions)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    PointSet set(0, 1, -1, 1);
    EXPECT_FALSE(set.AddPoint(PointSet::Point(V2(nan, 0), 1, 0)));
    EXPECT_FALSE(set.AddPoint(PointSet::Point(V2(0, nan), 1, 0)));
    EXPECT_FALSE(set.AddPoint(PointSet::Point(V2(inf, 0), 1, 0)));
    EXPECT_TRUE(set.AddPoint(PointSet::Point(V2(0, 0), 1, 0)));
    EXPECT_TRUE(set.AddPoint(PointSet::Point(V2(1, 0), 1, 0)));
    EXPECT_EQ(set.GetNumPoints(), 2u);
}
