// Leaf scene objects: parameter lists and ranges, and how each write reaches
// the node and who is told (root listeners through the node, the object's
// own listeners through Notify).

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <thread>

#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree/nodes/CylinderNode.h"
#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree/nodes/PointNode.h"
#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree/nodes/RevolutionNode.h"
#include "blobtree_ui/leaves/BezierCurveSceneObject.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/CurveSetSceneObject.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/PointSceneObject.h"
#include "blobtree_ui/leaves/PolyLineSceneObject.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "scene/GenericNamedIntParameter.h"
#include "test_LeafSupport.h"

using namespace vynui_bt;
using namespace leaftest;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

vynui::GenericFloatParameter* FloatParam(vynui::SceneObject* object, const std::string& name)
{
    auto* p = dynamic_cast<vynui::GenericFloatParameter*>(object->GetParameterList()->Find(name));
    EXPECT_NE(p, nullptr) << name;
    return p;
}

vynui::GenericIntegerParameter* IntParam(vynui::SceneObject* object, const std::string& name)
{
    auto* p = dynamic_cast<vynui::GenericIntegerParameter*>(object->GetParameterList()->Find(name));
    EXPECT_NE(p, nullptr) << name;
    return p;
}

// The range test at and just beyond both ends.
void ExpectFloatRange(vynui::GenericFloatParameter* p, float min, float max)
{
    ASSERT_NE(p, nullptr);
    float lo = 0, hi = 0;
    p->GetRange(lo, hi);
    EXPECT_FLOAT_EQ(lo, min) << p->GetName();
    EXPECT_FLOAT_EQ(hi, max) << p->GetName();
    EXPECT_TRUE(p->IsValid(min));
    EXPECT_TRUE(p->IsValid(max));
    EXPECT_FALSE(p->IsValid(min - std::fabs(min) * 0.01f - 1e-6f)) << p->GetName();
    EXPECT_FALSE(p->IsValid(max * 1.01f)) << p->GetName();
    EXPECT_FALSE(p->IsValid(NaN));
}

void ExpectIntRange(vynui::GenericIntegerParameter* p, int min, int max)
{
    ASSERT_NE(p, nullptr);
    int lo = 0, hi = 0;
    p->GetRange(lo, hi);
    EXPECT_EQ(lo, min);
    EXPECT_EQ(hi, max);
    EXPECT_TRUE(p->IsValid(min));
    EXPECT_TRUE(p->IsValid(max));
    EXPECT_FALSE(p->IsValid(min - 1));
    EXPECT_FALSE(p->IsValid(max + 1));
}

// Writes value through the typed setter; the node must then hold it and the
// listeners must have been told as the writing kind says.
void ExpectFloatWrite(LeafModel& m, vynui::GenericFloatParameter* p, float value,
                      const std::function<float()>& nodeValue, size_t rootCalls, int objectCalls)
{
    ASSERT_NE(p, nullptr);
    m.ResetCounts();
    p->SetFloatValue(value);
    EXPECT_NEAR(nodeValue(), value, 1e-4f * std::max(1.0f, std::fabs(value))) << p->GetName();
    EXPECT_NEAR(p->GetFloatValue(), value, 1e-4f * std::max(1.0f, std::fabs(value))) << p->GetName();
    EXPECT_EQ(m.rootCalls.calls.size(), rootCalls) << p->GetName();
    EXPECT_EQ(m.objectCalls.nullEvents, objectCalls) << p->GetName();

    // Out of range and NaN: nothing changes, nobody is told.
    m.ResetCounts();
    float lo = 0, hi = 0;
    p->GetRange(lo, hi);
    p->SetFloatValue(hi * 2.0f + 1.0f);
    p->SetFloatValue(NaN);
    p->ApplyValue(NaN);
    EXPECT_NEAR(nodeValue(), value, 1e-4f * std::max(1.0f, std::fabs(value))) << p->GetName();
    EXPECT_TRUE(m.rootCalls.calls.empty()) << p->GetName();
    EXPECT_EQ(m.objectCalls.nullEvents, 0) << p->GetName();
}

void ExpectIntWrite(LeafModel& m, vynui::GenericIntegerParameter* p, int value,
                    const std::function<int()>& nodeValue, size_t rootCalls, int objectCalls)
{
    ASSERT_NE(p, nullptr);
    m.ResetCounts();
    p->SetIntValue(value);
    EXPECT_EQ(nodeValue(), value) << p->GetName();
    EXPECT_EQ(p->GetIntValue(), value) << p->GetName();
    EXPECT_EQ(m.rootCalls.calls.size(), rootCalls) << p->GetName();
    EXPECT_EQ(m.objectCalls.nullEvents, objectCalls) << p->GetName();
    m.ResetCounts();
    int lo = 0, hi = 0;
    p->GetRange(lo, hi);
    p->SetIntValue(hi + 1);
    EXPECT_EQ(nodeValue(), value);
    EXPECT_TRUE(m.rootCalls.calls.empty());
}

bool Inside(const Box& outer, const Box& inner)
{
    for (int a = 0; a < 3; ++a)
        if (inner.Min(a) < outer.Min(a) - 1e-5f || inner.Max(a) > outer.Max(a) + 1e-5f) return false;
    return true;
}

}  // namespace

TEST(LeafParameters, PointRadiusGoesThroughTheNode)
{
    LeafModel m;
    auto* point = m.Make<PointSceneObject>(1);
    ASSERT_NE(point, nullptr);
    EXPECT_STREQ(point->GetTypeName(), "Point");
    EXPECT_EQ(point->GetTypeCode(), 1);
    EXPECT_EQ(point->GetName().rfind("Point", 0), 0u);
    EXPECT_EQ(ParameterNames(point), WithBase({"Radius"}));
    ExpectFloatRange(FloatParam(point, "Radius"), 0.001f, 10000.0f);
    ExpectFloatWrite(
        m, FloatParam(point, "Radius"), 2.5f, [&] { return point->GetPointNode()->GetSize(); }, 1, 1);
}

TEST(LeafParameters, PolyLineRadiusAndTaper)
{
    LeafModel m;
    auto* line = m.Make<PolyLineSceneObject>(8);
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line->GetTypeName(), "PolyLine");
    EXPECT_EQ(line->GetTypeCode(), 8);
    EXPECT_EQ(ParameterNames(line), WithBase({"X", "Y", "Z", "Radius", "Taper"}));
    line->GetPolyLineNode()->GetPolyLine()->AppendVertex(V3(0, 0, 0));
    line->GetPolyLineNode()->GetPolyLine()->AppendVertex(V3(1, 0, 0));

    ExpectFloatRange(FloatParam(line, "Radius"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(line, "Taper"), 0.001f, 100.0f);
    vynbt::PolyLineNode* node = line->GetPolyLineNode();
    ExpectFloatWrite(
        m, FloatParam(line, "Radius"), 0.4f, [&] { return node->GetRadius(); }, 1, 1);
    // The taper reaches the tree through the node but not the object's listeners.
    ExpectFloatWrite(
        m, FloatParam(line, "Taper"), 0.5f, [&] { return node->GetTaper(); }, 1, 0);
    ASSERT_EQ(m.rootCalls.calls.size(), 0u);
    m.ResetCounts();
    FloatParam(line, "Taper")->SetFloatValue(2.0f);
    ASSERT_EQ(m.rootCalls.calls.size(), 1u);
    EXPECT_EQ(m.rootCalls.calls[0].node, node);
}

TEST(LeafParameters, CappedLinearSweepBracketedWrites)
{
    LeafModel m;
    auto* sweep = m.Make<CappedLinearSweepSceneObject>(2);
    ASSERT_NE(sweep, nullptr);
    EXPECT_STREQ(sweep->GetTypeName(), "CappedLinearSweep");
    EXPECT_EQ(ParameterNames(sweep), WithBase({"X", "Y", "Z", "Falloff Length", "Length", "Radius",
                                               "Cap Style", "Endcap Smoothness"}));
    sweep->SetProfile(MakeDisc(), true);
    vynimplicit::DiscreteLinearSweep* s = sweep->GetSweepNode()->GetSweep();

    ExpectFloatRange(FloatParam(sweep, "Falloff Length"), 0.01f, 10.0f);
    ExpectFloatRange(FloatParam(sweep, "Length"), 0.001f, 100.0f);
    ExpectFloatRange(FloatParam(sweep, "Radius"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(sweep, "Endcap Smoothness"), 0.001f, 44.9f);

    // A growing radius reports a region holding the old and the new bounds.
    Box before;
    s->FieldBounds(before);
    ExpectFloatWrite(
        m, FloatParam(sweep, "Radius"), 2.0f, [&] { return s->GetRadius(); }, 1, 1);
    m.ResetCounts();
    FloatParam(sweep, "Radius")->SetFloatValue(3.0f);
    Box after;
    s->FieldBounds(after);
    ASSERT_EQ(m.rootCalls.calls.size(), 1u);
    EXPECT_EQ(m.rootCalls.calls[0].node, sweep->GetNode());
    EXPECT_TRUE(Inside(m.rootCalls.calls[0].region, after));
    m.ResetCounts();
    FloatParam(sweep, "Radius")->SetFloatValue(1.0f);
    ASSERT_EQ(m.rootCalls.calls.size(), 1u);
    EXPECT_TRUE(Inside(m.rootCalls.calls[0].region, after)) << "shrinking reports the old, larger box";

    ExpectFloatWrite(
        m, FloatParam(sweep, "Falloff Length"), 0.5f, [&] { return s->GetFalloffLength(); }, 1, 1);
    ExpectFloatWrite(
        m, FloatParam(sweep, "Length"), 3.0f, [&] { return 2.0f * s->GetHalfLength(); }, 1, 1);
    EXPECT_FLOAT_EQ(s->GetHalfLength(), 1.5f);
    ExpectFloatWrite(
        m, FloatParam(sweep, "Endcap Smoothness"), 20.0f, [&] { return s->GetEndcapBlendAngle(); }, 1, 1);
}

TEST(LeafParameters, CappedLinearSweepLengthOfZeroOrLessStoresTenthHalfLength)
{
    LeafModel m;
    auto* sweep = m.Make<CappedLinearSweepSceneObject>(2);
    ASSERT_NE(sweep, nullptr);
    vynui::GenericFloatParameter* length = FloatParam(sweep, "Length");
    vynimplicit::DiscreteLinearSweep* s = sweep->GetSweepNode()->GetSweep();
    // The typed setter refuses 0 (outside the range) ...
    length->SetFloatValue(0.0f);
    EXPECT_FLOAT_EQ(s->GetHalfLength(), 0.5f);
    // ... but a direct write of 0 or less stores a half-length of 0.1.
    length->ApplyValue(0.0f);
    EXPECT_FLOAT_EQ(s->GetHalfLength(), 0.1f);
    EXPECT_FLOAT_EQ(length->GetFloatValue(), 0.2f);
    length->ApplyValue(5.0f);
    length->ApplyValue(-7.0f);
    EXPECT_FLOAT_EQ(s->GetHalfLength(), 0.1f);
    length->ApplyValue(-std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(s->GetHalfLength(), 0.1f);
}

TEST(LeafParameters, CappedLinearSweepCapStyleIsNamed)
{
    LeafModel m;
    auto* sweep = m.Make<CappedLinearSweepSceneObject>(2);
    ASSERT_NE(sweep, nullptr);
    auto* cap = dynamic_cast<vynui::GenericNamedIntParameter*>(sweep->GetParameterList()->Find("Cap Style"));
    ASSERT_NE(cap, nullptr);
    EXPECT_EQ(cap->GetValueNames().size(), 3u);
    EXPECT_EQ(cap->GetValueNames().at(0), "FlatRound");
    EXPECT_EQ(cap->GetValueNames().at(1), "Blobby");
    EXPECT_EQ(cap->GetValueNames().at(2), "FlatSharp");
    m.ResetCounts();
    cap->SetIntValue(1);
    EXPECT_EQ(sweep->GetSweepNode()->GetSweep()->GetCapStyle(), 1);
    std::string text;
    cap->GetValueAsText(text);
    EXPECT_EQ(text, "Blobby");
    EXPECT_EQ(m.objectCalls.nullEvents, 1);
    EXPECT_EQ(m.rootCalls.calls.size(), 1u);
    cap->SetValueFromText("FlatSharp");
    EXPECT_EQ(sweep->GetSweepNode()->GetSweep()->GetCapStyle(), 2);
    cap->SetIntValue(3);
    cap->SetIntValue(-1);
    EXPECT_EQ(sweep->GetSweepNode()->GetSweep()->GetCapStyle(), 2);
}

TEST(LeafParameters, InterpolatingLinearSweepWrites)
{
    LeafModel m;
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_NE(sweep, nullptr);
    EXPECT_STREQ(sweep->GetTypeName(), "InterpolatingLinearSweep");
    EXPECT_EQ(ParameterNames(sweep), WithBase({"X", "Y", "Z", "Length", "Radius", "Falloff Length",
                                               "Cap Style", "Endcap Smoothness", "Blend Mode"}));
    ASSERT_TRUE(sweep->AddSlice(MakeDisc(), 0.0f, 0.0f, 0.0f, true));
    ASSERT_TRUE(sweep->AddSlice(MakeDisc(0.5f), 1.0f, 0.0f, 0.0f, true));
    vynimplicit::InterpolatingLinearSweep* s = sweep->GetSweepNode()->GetSweep();

    ExpectFloatRange(FloatParam(sweep, "Length"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(sweep, "Radius"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(sweep, "Falloff Length"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(sweep, "Endcap Smoothness"), 0.001f, 44.9f);
    ExpectIntRange(IntParam(sweep, "Cap Style"), 0, 2);
    ExpectIntRange(IntParam(sweep, "Blend Mode"), 0, 2);

    ExpectFloatWrite(
        m, FloatParam(sweep, "Length"), 4.0f, [&] { return s->GetLength(); }, 1, 1);
    EXPECT_NEAR(s->GetSlicePosition(1) - s->GetSlicePosition(0), 4.0f, 1e-4f)
        << "slices spread with the length";
    ExpectFloatWrite(
        m, FloatParam(sweep, "Radius"), 2.0f, [&] { return s->GetRadius(); }, 1, 1);
    ExpectFloatWrite(
        m, FloatParam(sweep, "Falloff Length"), 0.75f, [&] { return s->GetFalloffLength(); }, 1, 1);
    ExpectFloatWrite(
        m, FloatParam(sweep, "Endcap Smoothness"), 10.0f, [&] { return s->GetEndcapBlendAngle(); }, 1, 1);
    ExpectIntWrite(
        m, IntParam(sweep, "Cap Style"), 1, [&] { return s->GetCapStyle(); }, 1, 1);
    ExpectIntWrite(
        m, IntParam(sweep, "Blend Mode"), 2, [&] { return static_cast<int>(s->GetBlendMode()); }, 1, 1);
}

TEST(LeafParameters, RevolutionModeIsPlainRadiusIsBracketed)
{
    LeafModel m;
    auto* rev = m.Make<RevolutionSceneObject>(3);
    ASSERT_NE(rev, nullptr);
    EXPECT_STREQ(rev->GetTypeName(), "Revolution");
    EXPECT_EQ(ParameterNames(rev), WithBase({"X", "Y", "Z", "Evaluation Mode", "Radius"}));
    rev->SetProfile(MakeDisc(), true);
    vynimplicit::DiscreteRevolution* r = rev->GetRevolutionNode()->GetRevolution();
    ExpectIntRange(IntParam(rev, "Evaluation Mode"), 0, 3);
    ExpectFloatRange(FloatParam(rev, "Radius"), 0.001f, 10000.0f);
    // The tree is not told of a plain write; the object's listeners are.
    ExpectIntWrite(
        m, IntParam(rev, "Evaluation Mode"), 3, [&] { return r->GetEvaluationMode(); }, 0, 1);
    ExpectFloatWrite(
        m, FloatParam(rev, "Radius"), 1.5f, [&] { return r->GetRadius(); }, 1, 1);
}

TEST(LeafParameters, CylinderWritesAreNotReportedToTheRoot)
{
    LeafModel m;
    auto* cyl = m.Make<CylinderSceneObject>(4);
    ASSERT_NE(cyl, nullptr);
    EXPECT_STREQ(cyl->GetTypeName(), "Cylinder");
    EXPECT_EQ(ParameterNames(cyl), WithBase({"X", "Y", "Z", "Length", "Radius"}));
    vynimplicit::Cylinder* c = cyl->GetCylinderNode()->GetCylinder();
    ExpectFloatRange(FloatParam(cyl, "Length"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(cyl, "Radius"), 0.001f, 10000.0f);
    ExpectFloatWrite(
        m, FloatParam(cyl, "Length"), 3.0f, [&] { return c->GetLength(); }, 0, 1);
    ExpectFloatWrite(
        m, FloatParam(cyl, "Radius"), 0.75f, [&] { return c->GetRadius(); }, 0, 1);
}

TEST(LeafParameters, BezierCurveWrites)
{
    LeafModel m;
    auto* curve = m.Make<BezierCurveSceneObject>(6);
    ASSERT_NE(curve, nullptr);
    EXPECT_STREQ(curve->GetTypeName(), "BezierCurve");
    EXPECT_EQ(ParameterNames(curve), WithBase({"X", "Y", "Z", "Radius", "Barthe Blend Angle",
                                               "Evaluation Mode", "Approximation Level"}));
    vynimplicit::BezierCurve* c = curve->GetCurveNode()->GetCurve();
    EXPECT_EQ(curve->GetHandles().size(), c->GetNumControlPoints());
    ExpectFloatRange(FloatParam(curve, "Radius"), 0.0001f, 10000.0f);
    ExpectFloatRange(FloatParam(curve, "Barthe Blend Angle"), 0.0001f, 44.9f);
    ExpectIntRange(IntParam(curve, "Evaluation Mode"), 0, 1);
    ExpectIntRange(IntParam(curve, "Approximation Level"), 1, 10);
    // The node's radius setter reports nothing; the brackets do.
    ExpectFloatWrite(
        m, FloatParam(curve, "Radius"), 0.3f, [&] { return c->GetRadius(); }, 1, 1);
    ExpectFloatWrite(
        m, FloatParam(curve, "Barthe Blend Angle"), 15.0f, [&] { return c->GetBlendAngle(); }, 1, 1);
    ExpectIntWrite(
        m, IntParam(curve, "Evaluation Mode"), 1, [&] { return c->GetEvaluationMode(); }, 1, 1);
    ExpectIntWrite(
        m, IntParam(curve, "Approximation Level"), 3, [&] { return c->GetApproximationLevel(); }, 1, 1);
}

TEST(LeafParameters, CurveSweepKeepsItsCodeAndWrites)
{
    LeafModel m;
    auto* cubic = m.Make<CurveSweepSceneObject>(41);
    auto* quadratic = m.Make<CurveSweepSceneObject>(42);
    ASSERT_NE(cubic, nullptr);
    ASSERT_NE(quadratic, nullptr);
    EXPECT_EQ(cubic->GetTypeCode(), 41);
    EXPECT_EQ(quadratic->GetTypeCode(), 42);
    EXPECT_STREQ(cubic->GetTypeName(), "CurveSweep");
    EXPECT_STREQ(quadratic->GetTypeName(), "CurveSweep");
    EXPECT_EQ(cubic->GetHandles().size(), 4u);
    EXPECT_EQ(quadratic->GetHandles().size(), 3u);
    EXPECT_EQ(ParameterNames(cubic), WithBase({"X", "Y", "Z", "Radius", "Start Rotation", "Falloff Length",
                                               "Cap Style", "Endcap Smoothness", "Evaluation Mode"}));
    cubic->GetSweepNode()->GetSweep()->SetSweepTemplate(MakeDisc(0.3f));
    vynimplicit::CurveSweep* s = cubic->GetSweepNode()->GetSweep();
    ExpectFloatRange(FloatParam(cubic, "Radius"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(cubic, "Start Rotation"), 0.0f, 360.0f);
    ExpectFloatRange(FloatParam(cubic, "Falloff Length"), 0.001f, 10000.0f);
    ExpectFloatRange(FloatParam(cubic, "Endcap Smoothness"), 0.001f, 44.9f);
    ExpectIntRange(IntParam(cubic, "Cap Style"), 0, 2);
    ExpectIntRange(IntParam(cubic, "Evaluation Mode"), 0, 1);
    ExpectFloatWrite(
        m, FloatParam(cubic, "Radius"), 0.5f, [&] { return s->GetRadius(); }, 1, 1);
    ExpectFloatWrite(
        m, FloatParam(cubic, "Start Rotation"), 90.0f, [&] { return s->GetStartRotation(); }, 1, 1);
    ExpectFloatWrite(
        m, FloatParam(cubic, "Falloff Length"), 0.2f, [&] { return s->GetFalloffLength(); }, 1, 1);
    ExpectFloatWrite(
        m, FloatParam(cubic, "Endcap Smoothness"), 5.0f, [&] { return s->GetEndcapBlendAngle(); }, 1, 1);
    ExpectIntWrite(
        m, IntParam(cubic, "Cap Style"), 2, [&] { return s->GetCapStyle(); }, 1, 1);
    ExpectIntWrite(
        m, IntParam(cubic, "Evaluation Mode"), 1, [&] { return s->GetEvaluationMode(); }, 1, 1);
    delete s->GetSweepTemplate();
    s->SetSweepTemplate(nullptr);
}

TEST(LeafParameters, CurveSetHasOnlyTheBaseList)
{
    LeafModel m;
    auto* set = m.Make<CurveSetSceneObject>(46);
    ASSERT_NE(set, nullptr);
    EXPECT_STREQ(set->GetTypeName(), "CurveSet");
    EXPECT_EQ(set->GetTypeCode(), 46);
    EXPECT_EQ(ParameterNames(set), WithBase({}));
}

TEST(LeafParameters, WritesHoldTheModelLock)
{
    // While the listeners are told (inside the write), another thread cannot
    // take the model's lock.
    LeafModel m;
    auto* cyl = m.Make<CylinderSceneObject>(4);
    auto* sweep = m.Make<CappedLinearSweepSceneObject>(2);
    ASSERT_NE(cyl, nullptr);
    ASSERT_NE(sweep, nullptr);
    sweep->SetProfile(MakeDisc(), true);

    struct Prober : vynui::SceneObjectListener, vynbt::RootNodeListener {
        boost::recursive_mutex* mutex = nullptr;
        int probes = 0, lockedElsewhere = 0;
        void Probe()
        {
            ++probes;
            std::atomic<bool> got{false};
            std::thread other([&] {
                if (mutex->try_lock()) {
                    got = true;
                    mutex->unlock();
                }
            });
            other.join();
            if (!got) ++lockedElsewhere;
        }
        void OnSceneObjectChanged(vynui::SceneObject*, const vynui::SceneObjectEvent*) override { Probe(); }
        void OnChildModified(vynbt::BlobTreeNode*, const Box&) override { Probe(); }
    } prober;
    prober.mutex = &m.model.GetLock();
    cyl->AddListener(&prober);
    sweep->AddListener(&prober);
    m.model.GetRootSceneObject()->GetRootNode()->AddListener(&prober);
    FloatParam(cyl, "Radius")->SetFloatValue(0.6f);    // plain: object listener only
    FloatParam(sweep, "Radius")->SetFloatValue(2.0f);  // bracketed: root and object listeners
    m.model.GetRootSceneObject()->GetRootNode()->RemoveListener(&prober);
    EXPECT_EQ(prober.probes, 3);
    EXPECT_EQ(prober.lockedElsewhere, 3);
}
