// The leaf node classes: type and accessor, placement through the wrapped
// primitive, and the leaf reporting protocol of every setter (old and new
// bounds reported once to the parent, nothing when detached or refused).

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "NodeTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/nodes/AllNodes.h"
#include "implicit/sweeps/QuadraticBezierSweep.h"

using namespace vynbt;
using namespace nodetest;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

/// A root with a recording listener; the node under test is attached directly.
struct Harness {
    vynimplicit::MinMaxUnion unionOp;
    RootNode root{&unionOp};
    RecordingListener listener;

    explicit Harness(BlobTreeNode* node)
    {
        root.AddListener(&listener);
        root.AddChild(node);
        listener.reports.clear();
    }
    ~Harness()
    {
        while (root.GetNumChildren() > 0) root.RemoveChild(root.GetChild(0));
        root.RemoveListener(&listener);
    }
};

/// The frame operations every movable leaf shares: SetFrame reaches the
/// primitive (read back through primitiveFrame) and is reported once with the
/// union of the old and new bounds; a detached node reports nothing; an
/// unusable frame changes and reports nothing; Translate and Rotate go
/// through SetFrame.
void CheckMovableLeaf(BlobTreeNode& node, const std::function<Frame()>& primitiveFrame)
{
    SCOPED_TRACE(int(node.GetType()));
    EXPECT_FALSE(node.IsCompositionNode());
    Frame start;
    node.GetFrame(start);
    EXPECT_TRUE(start == primitiveFrame());

    // Detached: the change happens, nobody hears of it (and nothing breaks).
    Frame moved = start;
    moved.Origin() += Vec3(0.25f, 0, 0);
    node.SetFrame(moved);
    EXPECT_TRUE(primitiveFrame() == moved);
    node.SetFrame(start);

    Harness h(&node);
    const Box before = BoundsOf(node);
    const Vec3 probe = start.Origin() + Vec3(0.1f, 0.05f, 0.0f);
    const float valueBefore = node.Value(probe);
    Frame far = start;
    far.Origin() += Vec3(3.0f, -1.0f, 0.5f);
    node.SetFrame(far);
    EXPECT_TRUE(primitiveFrame() == far);
    Frame readBack;
    node.GetFrame(readBack);
    EXPECT_TRUE(readBack == far);
    // The shape moved with the frame.
    EXPECT_NEAR(node.Value(probe + Vec3(3.0f, -1.0f, 0.5f)), valueBefore, 1e-4f);
    const Box after = BoundsOf(node);
    ASSERT_EQ(h.listener.reports.size(), 1u);
    EXPECT_EQ(h.listener.reports[0].node, &node);
    EXPECT_TRUE(SameBox(h.listener.reports[0].region, Union(before, after)));
    EXPECT_FALSE(SameBox(before, after));

    // Refused frames: nothing changes, nothing is reported.
    h.listener.reports.clear();
    Frame bad = far;
    bad.Origin() = Vec3(NaN, 0, 0);
    node.SetFrame(bad);
    Frame flat = far;
    flat.Scale() = Vec3(0, 1, 1);
    node.SetFrame(flat);
    EXPECT_TRUE(primitiveFrame() == far);
    EXPECT_TRUE(h.listener.reports.empty());

    // Transforms go through SetFrame and report like it.
    node.Translate(Vec3(-3.0f, 1.0f, -0.5f), true);
    node.GetFrame(readBack);
    EXPECT_TRUE((readBack.Origin() - start.Origin()).Length() < 1e-5f);
    const Wml::Matrix3<float> turn(Vec3(0, 0, 1), 0.5f);
    node.Rotate(turn, true);
    node.GetFrame(readBack);
    EXPECT_TRUE((readBack.Z() - start.Z()).Length() < 1e-5f);
    EXPECT_GT((readBack.X() - start.X()).Length(), 0.1f);
    EXPECT_EQ(h.listener.reports.size(), 2u);
    node.SetFrame(start);
}

std::vector<Vec3> SpherePoints(unsigned count, float radius, const Vec3& centre, std::vector<Vec3>& normals)
{
    std::vector<Vec3> points;
    const float golden = 2.39996323f;
    for (unsigned i = 0; i < count; ++i) {
        const float z = 1.0f - 2.0f * (float(i) + 0.5f) / float(count);
        const float r = std::sqrt(1.0f - z * z);
        const Vec3 n(r * std::cos(golden * float(i)), r * std::sin(golden * float(i)), z);
        points.push_back(centre + n * radius);
        normals.push_back(n);
    }
    return points;
}

}  // namespace

// ---- frames: every movable leaf --------------------------------------------

TEST(LeafNodes, TypeAccessorAndFrameOfEveryMovableLeaf)
{
    vynimplicit::Point point(Vec3(0.5f, 0, 0), 2.0f);
    PointNode pointNode(&point);
    EXPECT_EQ(pointNode.GetType(), BlobTreeNode::NodeType::Point);
    EXPECT_EQ(pointNode.GetPoint(), &point);
    CheckMovableLeaf(pointNode, [&] { return point.GetFrame(); });

    vynimplicit::PolyLinePrimitive line;
    line.AppendVertex(Vec3(0, 0, 0));
    line.AppendVertex(Vec3(1, 0.5f, 0));
    line.SetRadius(0.2f);
    PolyLineNode lineNode(&line);
    EXPECT_EQ(lineNode.GetType(), BlobTreeNode::NodeType::PolyLine);
    EXPECT_EQ(lineNode.GetPolyLine(), &line);
    CheckMovableLeaf(lineNode, [&] { return line.GetFrame(); });

    FormulaDisc disc(0.5f);
    vynimplicit::DiscreteLinearSweep sweep(&disc, Frame(Vec3(0, 0, 1)), 0.4f);
    CappedLinearSweepNode sweepNode(&sweep);
    EXPECT_EQ(sweepNode.GetType(), BlobTreeNode::NodeType::CappedLinearSweep);
    EXPECT_EQ(sweepNode.GetSweep(), &sweep);
    CheckMovableLeaf(sweepNode, [&] { return sweep.GetFrame(); });

    FormulaDisc small(0.3f);
    vynimplicit::InterpolatingLinearSweep slices;
    slices.AddSlice(&disc, -0.5f);
    slices.AddSlice(&small, 0.5f, 0.1f, 0.0f);
    InterpolatingLinearSweepNode slicesNode(&slices);
    EXPECT_EQ(slicesNode.GetType(), BlobTreeNode::NodeType::InterpolatingLinearSweep);
    EXPECT_EQ(slicesNode.GetSweep(), &slices);
    CheckMovableLeaf(slicesNode, [&] { return slices.GetFrame(); });

    FormulaDisc ring(0.2f, 0.6f, 0.0f);
    vynimplicit::DiscreteRevolution revolution(&ring, Frame(Vec3(0, 1, 0)));
    RevolutionNode revolutionNode(&revolution);
    EXPECT_EQ(revolutionNode.GetType(), BlobTreeNode::NodeType::Revolution);
    EXPECT_EQ(revolutionNode.GetRevolution(), &revolution);
    CheckMovableLeaf(revolutionNode, [&] { return revolution.GetFrame(); });

    vynimplicit::Cylinder cylinder(0.2f, 1.0f, Frame(Vec3(0, 0, -0.5f)));
    CylinderNode cylinderNode(&cylinder);
    EXPECT_EQ(cylinderNode.GetType(), BlobTreeNode::NodeType::Cylinder);
    EXPECT_EQ(cylinderNode.GetCylinder(), &cylinder);
    CheckMovableLeaf(cylinderNode, [&] { return cylinder.GetFrame(); });

    FormulaDisc profile(0.15f);
    const Vec3 control[3] = {Vec3(0, 0, 0), Vec3(0.5f, 0.5f, 0.5f), Vec3(1, 0, 1)};
    vynimplicit::QuadraticBezierSweep curveSweep(control);
    curveSweep.SetSweepTemplate(&profile);
    CurveSweepNode curveSweepNode(&curveSweep);
    EXPECT_EQ(curveSweepNode.GetType(), BlobTreeNode::NodeType::CurveSweep);
    EXPECT_EQ(curveSweepNode.GetSweep(), &curveSweep);
    CheckMovableLeaf(curveSweepNode, [&] { return curveSweep.GetFrame(); });

    vynimplicit::BezierCurve curve;
    BezierCurveNode curveNode(&curve);
    EXPECT_EQ(curveNode.GetType(), BlobTreeNode::NodeType::BezierCurve);
    EXPECT_EQ(curveNode.GetCurve(), &curve);
    CheckMovableLeaf(curveNode, [&] { return curve.GetFrame(); });
}

// ---- own operations ---------------------------------------------------------

TEST(LeafNodes, PointSizeIsTheReciprocalOfThePointsSizeAndRefusesNonsense)
{
    vynimplicit::Point point(Vec3(0, 0, 0), 1.0f);
    PointNode node(&point);
    EXPECT_TRUE(node.SetSize(2.0f));  // detached: changes, reports nowhere
    EXPECT_FLOAT_EQ(point.GetSize(), 0.5f);
    EXPECT_FLOAT_EQ(node.GetSize(), 2.0f);

    Harness h(&node);
    const Box before = BoundsOf(node);
    EXPECT_TRUE(node.SetSize(0.5f));
    EXPECT_FLOAT_EQ(point.GetSize(), 2.0f);
    EXPECT_FLOAT_EQ(node.GetSize(), 0.5f);
    // The ball shrank: the region is the old, larger box.
    ASSERT_EQ(h.listener.reports.size(), 1u);
    EXPECT_EQ(h.listener.reports[0].node, &node);
    EXPECT_TRUE(SameBox(h.listener.reports[0].region, before));
    EXPECT_TRUE(ContainsBox(before, BoundsOf(node)));

    // Zero, negative, NaN and infinite sizes are no radius at all.
    h.listener.reports.clear();
    for (float bad : {0.0f, -1.0f, NaN, Inf, -Inf}) EXPECT_FALSE(node.SetSize(bad));
    EXPECT_FLOAT_EQ(node.GetSize(), 0.5f);
    EXPECT_TRUE(h.listener.reports.empty());
    // Huge and tiny sizes end clamped by the point, still finite.
    EXPECT_TRUE(node.SetSize(1e30f));
    EXPECT_TRUE(std::isfinite(node.GetSize()));
    EXPECT_TRUE(node.SetSize(1e-30f));
    EXPECT_GT(node.GetSize(), 0.0f);
}

TEST(LeafNodes, PolyLineRadiusAndTaperReportTheUnionOfOldAndNewBounds)
{
    vynimplicit::PolyLinePrimitive line;
    line.AppendVertex(Vec3(0, 0, 0));
    line.AppendVertex(Vec3(2, 0, 0));
    line.SetRadius(0.3f);
    PolyLineNode node(&line);
    Harness h(&node);

    const Box big = BoundsOf(node);
    EXPECT_TRUE(node.SetRadius(0.1f));
    EXPECT_FLOAT_EQ(line.GetRadius(), 0.1f);
    EXPECT_FLOAT_EQ(node.GetRadius(), 0.1f);
    ASSERT_EQ(h.listener.reports.size(), 1u);
    EXPECT_TRUE(SameBox(h.listener.reports[0].region, big));  // shrinking reports the old box

    const Box small = BoundsOf(node);
    EXPECT_TRUE(node.SetTaper(3.0f));
    EXPECT_FLOAT_EQ(line.GetTaper(), 3.0f);
    EXPECT_FLOAT_EQ(node.GetTaper(), 3.0f);
    ASSERT_EQ(h.listener.reports.size(), 2u);
    EXPECT_TRUE(SameBox(h.listener.reports[1].region, Union(small, BoundsOf(node))));
    EXPECT_FALSE(SameBox(small, BoundsOf(node)));

    EXPECT_FALSE(node.SetRadius(NaN));
    EXPECT_FALSE(node.SetTaper(NaN));
    EXPECT_EQ(h.listener.reports.size(), 2u);
    EXPECT_FLOAT_EQ(node.GetRadius(), 0.1f);
}

TEST(LeafNodes, SweepTemplateAndSlicesAreReported)
{
    FormulaDisc disc(0.5f), wide(0.9f);
    vynimplicit::DiscreteLinearSweep sweep(&disc, Frame(), 0.5f);
    CappedLinearSweepNode sweepNode(&sweep);
    vynimplicit::InterpolatingLinearSweep slices;
    slices.AddSlice(&disc, -0.5f);
    slices.AddSlice(&disc, 0.5f);
    InterpolatingLinearSweepNode slicesNode(&slices);

    {
        Harness h(&sweepNode);
        const Box before = BoundsOf(sweepNode);
        sweepNode.SetSweepTemplate(&wide);
        EXPECT_EQ(sweep.GetSweepTemplate(), &wide);
        EXPECT_EQ(sweepNode.GetSweepTemplate(), &wide);
        ASSERT_EQ(h.listener.reports.size(), 1u);
        EXPECT_TRUE(SameBox(h.listener.reports[0].region, Union(before, BoundsOf(sweepNode))));
        // No template: the field is gone and the whole old box is redone.
        const Box wideBounds = BoundsOf(sweepNode);
        sweepNode.SetSweepTemplate(nullptr);
        EXPECT_TRUE(BoundsOf(sweepNode).IsEmpty());
        ASSERT_EQ(h.listener.reports.size(), 2u);
        EXPECT_TRUE(SameBox(h.listener.reports[1].region, wideBounds));
    }
    {
        Harness h(&slicesNode);
        const Box before = BoundsOf(slicesNode);
        EXPECT_TRUE(slicesNode.SetSlicePosition(1, 1.5f, 0.25f, -0.5f));
        EXPECT_FLOAT_EQ(slices.GetSlicePosition(1), 1.5f);
        EXPECT_FLOAT_EQ(slicesNode.GetSlicePosition(1), 1.5f);
        float x = 0, y = 0;
        EXPECT_TRUE(slicesNode.GetSliceOffset(1, x, y));
        EXPECT_FLOAT_EQ(x, 0.25f);
        EXPECT_FLOAT_EQ(y, -0.5f);
        ASSERT_EQ(h.listener.reports.size(), 1u);
        EXPECT_EQ(h.listener.reports[0].node, &slicesNode);
        EXPECT_TRUE(SameBox(h.listener.reports[0].region, Union(before, BoundsOf(slicesNode))));

        EXPECT_TRUE(slicesNode.SetBlendMode(vynimplicit::InterpolatingLinearSweep::Cubic));
        EXPECT_EQ(slices.GetBlendMode(), vynimplicit::InterpolatingLinearSweep::Cubic);
        EXPECT_EQ(slicesNode.GetBlendMode(), vynimplicit::InterpolatingLinearSweep::Cubic);
        EXPECT_EQ(h.listener.reports.size(), 2u);

        // Out of range and hostile input: refused, unreported.
        EXPECT_FALSE(slicesNode.SetSlicePosition(7, 0.0f, 0.0f, 0.0f));
        EXPECT_FALSE(slicesNode.SetSlicePosition(0, NaN, 0.0f, 0.0f));
        EXPECT_FALSE(
            slicesNode.SetBlendMode(static_cast<vynimplicit::InterpolatingLinearSweep::BlendMode>(9)));
        EXPECT_FALSE(slicesNode.GetSliceOffset(7, x, y));
        EXPECT_EQ(slicesNode.GetSlicePosition(7), 0.0f);
        EXPECT_EQ(h.listener.reports.size(), 2u);
    }
}

TEST(LeafNodes, BezierRadiusIsUnreportedUntilTheCallerBracketsIt)
{
    vynimplicit::BezierCurve curve;
    curve.SetStatus(true);
    BezierCurveNode node(&curve);
    Harness h(&node);

    const Box before = BoundsOf(node);
    EXPECT_TRUE(node.SetRadius(0.3f));
    EXPECT_FLOAT_EQ(curve.GetRadius(), 0.3f);
    EXPECT_FLOAT_EQ(node.GetRadius(), 0.3f);
    EXPECT_FALSE(curve.GetStatus());
    EXPECT_TRUE(h.listener.reports.empty());

    // The bracket a scene object puts around it reports old and new bounds.
    Box bracket;
    node.ChildModifiedHack_BeforeChange(bracket);
    node.SetRadius(0.05f);
    node.ChildModifiedHack_AfterChange(bracket);
    ASSERT_EQ(h.listener.reports.size(), 1u);
    EXPECT_EQ(h.listener.reports[0].node, &node);
    EXPECT_TRUE(ContainsBox(h.listener.reports[0].region, before));
    EXPECT_TRUE(SameBox(h.listener.reports[0].region, Union(bracket, BoundsOf(node))));

    curve.SetStatus(true);
    EXPECT_FALSE(node.SetRadius(NaN));
    EXPECT_TRUE(curve.GetStatus());
    EXPECT_FLOAT_EQ(node.GetRadius(), 0.05f);
}

// ---- placement kept by the node ----------------------------------------------

TEST(LeafNodes, PointSetIsMovedInPlaceThroughTheNodesOwnFrame)
{
    std::vector<Vec3> normals;
    const Vec3 centre(1.0f, 2.0f, -1.0f);
    const std::vector<Vec3> points = SpherePoints(120, 0.5f, centre, normals);
    vynimplicit::FastQuadricPointSet set;
    for (size_t i = 0; i < points.size(); ++i) set.AddPoint(points[i], normals[i]);
    set.SetRadius(0.3f);
    FastQuadricPointSetNode node(&set);
    EXPECT_EQ(node.GetType(), BlobTreeNode::NodeType::FastQuadricPointSet);
    EXPECT_EQ(node.GetPointSet(), &set);

    // Built at the centre of the bounds with the world axes.
    Frame frame;
    node.GetFrame(frame);
    EXPECT_TRUE((frame.Origin() - BoundsOf(set).Center()).Length() < 1e-5f);
    EXPECT_TRUE(frame.GetRotation() == Wml::Matrix3<float>::IDENTITY);

    Harness h(&node);
    const Box before = BoundsOf(node);
    const float inside = node.Value(centre);
    Frame moved = frame;
    moved.Origin() += Vec3(2.0f, 0.0f, 0.0f);
    node.SetFrame(moved);
    node.SetFrame(moved);  // the same frame again: the points stay where one move put them
    for (unsigned i = 0; i < set.GetNumPoints(); i += 17)
        EXPECT_TRUE((set.GetPoint(i) - (points[i] + Vec3(2, 0, 0))).Length() < 1e-4f) << i;
    EXPECT_NEAR(node.Value(centre + Vec3(2, 0, 0)), inside, 1e-3f);
    Frame readBack;
    node.GetFrame(readBack);
    EXPECT_TRUE(readBack == moved);
    ASSERT_EQ(h.listener.reports.size(), 2u);
    EXPECT_TRUE(SameBox(h.listener.reports[0].region, Union(before, BoundsOf(node)), 1e-4f));

    // A turn about the frame's origin turns the points about the set's centre.
    node.Rotate(Wml::Matrix3<float>(Vec3(0, 0, 1), 1.5707964f), true);
    const Vec3 turnedCentre = moved.Origin();
    for (unsigned i = 0; i < set.GetNumPoints(); i += 17) {
        const Vec3 d = points[i] - frame.Origin();
        EXPECT_TRUE((set.GetPoint(i) - (turnedCentre + Vec3(-d.Y(), d.X(), d.Z()))).Length() < 1e-4f) << i;
    }

    // An unusable frame leaves points and placement alone.
    h.listener.reports.clear();
    const Vec3 first = set.GetPoint(0);
    Frame bad = moved;
    bad.Scale() = Vec3(0, 0, 0);
    node.SetFrame(bad);
    EXPECT_TRUE((set.GetPoint(0) - first).Length() < 1e-6f);
    EXPECT_TRUE(h.listener.reports.empty());

    // Back to the start frame: the points return to where they were made.
    node.SetFrame(frame);
    for (unsigned i = 0; i < set.GetNumPoints(); i += 17)
        EXPECT_TRUE((set.GetPoint(i) - points[i]).Length() < 1e-4f) << i;
}

TEST(LeafNodes, CurveSetCannotBeMovedThroughItsNode)
{
    vynimplicit::CurveSet curves;
    curves.AddCurve({Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(1, 1, 0)}, 0.1f);
    CurveSetNode node(&curves);
    EXPECT_EQ(node.GetType(), BlobTreeNode::NodeType::CurveSet);
    EXPECT_EQ(node.GetCurveSet(), &curves);

    Harness h(&node);
    const Box before = BoundsOf(node);
    const float value = node.Value(0.5f, 0.0f, 0.0f);
    Frame away(Vec3(5, 5, 5));
    node.SetFrame(away);
    node.Translate(Vec3(1, 2, 3), true);
    node.Translate(Vec3(1, 2, 3), false);
    node.Rotate(Wml::Matrix3<float>(Vec3(0, 0, 1), 1.0f), true);
    node.Scale(2, 2, 2, true, true);
    Frame frame;
    node.GetFrame(frame);
    EXPECT_TRUE(frame.Origin() == Vec3::ZERO);
    EXPECT_TRUE(frame.GetRotation() == Wml::Matrix3<float>::IDENTITY);
    EXPECT_TRUE(SameBox(BoundsOf(node), before));
    EXPECT_FLOAT_EQ(node.Value(0.5f, 0.0f, 0.0f), value);
    EXPECT_TRUE(h.listener.reports.empty());
}

TEST(LeafNodes, CopiesShareThePrimitiveAndTheParent)
{
    vynimplicit::Point point(Vec3(0, 0, 0), 1.0f);
    PointNode node(&point);
    Harness h(&node);
    PointNode copy(node);
    EXPECT_EQ(copy.GetPoint(), &point);
    EXPECT_EQ(copy.GetParent(), node.GetParent());
    EXPECT_EQ(copy.GetType(), BlobTreeNode::NodeType::Point);
    // A change through the copy is reported through the shared parent, as the copy.
    copy.SetSize(0.7f);
    EXPECT_FLOAT_EQ(node.GetSize(), 0.7f);
    ASSERT_EQ(h.listener.reports.size(), 1u);
    EXPECT_EQ(h.listener.reports[0].node, &copy);

    vynimplicit::Point other(Vec3(1, 0, 0), 1.0f);
    PointNode assigned(&other);
    assigned = node;
    EXPECT_EQ(assigned.GetPoint(), &point);
    EXPECT_EQ(assigned.GetParent(), node.GetParent());
}
