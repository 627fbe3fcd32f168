// Operator scene objects: their type names and codes, their parameter lists
// and ranges, and how each write reaches the node and who is told about it.

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "blobtree/nodes/BartheSmoothDifferenceNode.h"
#include "blobtree/nodes/HollowNode.h"
#include "blobtree/nodes/LinearSweepWarpNode.h"
#include "blobtree/nodes/MirrorNode.h"
#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/operators/BarrWarpSceneObject_Bend.h"
#include "blobtree_ui/operators/BarrWarpSceneObject_Taper.h"
#include "blobtree_ui/operators/BarrWarpSceneObject_Twist.h"
#include "blobtree_ui/operators/BartheSharpDifferenceSceneObject.h"
#include "blobtree_ui/operators/BartheSharpIntersectionSceneObject.h"
#include "blobtree_ui/operators/BartheSharpUnionSceneObject.h"
#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObject.h"
#include "blobtree_ui/operators/HollowSceneObject.h"
#include "blobtree_ui/operators/LinearSweepWarpSceneObject.h"
#include "blobtree_ui/operators/MinMaxDifferenceSceneObject.h"
#include "blobtree_ui/operators/MinMaxIntersectionSceneObject.h"
#include "blobtree_ui/operators/MinMaxUnionSceneObject.h"
#include "blobtree_ui/operators/MirrorSceneObject.h"
#include "blobtree_ui/operators/QuillonUnionSceneObject.h"
#include "blobtree_ui/operators/RicciBlendSceneObject.h"
#include "blobtree_ui/operators/SumBlendSceneObject.h"
#include "blobtree_ui/operators/VariationalDisplacementMapSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObject.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "test_OperatorSupport.h"

using namespace vynui_bt;
using optest::FindParameter;
using optest::ModelFixture;
using optest::ParameterNames;
using optest::V3;

namespace {

const std::vector<std::string> kCompositionBase = {"Position", "Orientation", "Scale", "Name", "Caching"};

struct ListCase {
    int code;
    const char* typeName;
    std::vector<std::string> added;
    bool coordinatesExcluded;
    std::function<bool(BlobTreeNodeSceneObject*)> isClass;
};

template <class T>
std::function<bool(BlobTreeNodeSceneObject*)> Is()
{
    return [](BlobTreeNodeSceneObject* o) { return dynamic_cast<T*>(o) != nullptr; };
}

const std::vector<std::string> kXYZ = {"X", "Y", "Z"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

using OperatorParameters = ModelFixture;

TEST_F(OperatorParameters, EveryClassHasItsTypeNameCodeAndParameterList)
{
    const std::vector<ListCase> cases = {
        {9, "SumBlend", kXYZ, true, Is<SumBlendSceneObject>()},
        {10, "MinMaxUnion", kXYZ, true, Is<MinMaxUnionSceneObject>()},
        {11, "MinMaxDifference", kXYZ, true, Is<MinMaxDifferenceSceneObject>()},
        {12, "MinMaxIntersection", kXYZ, true, Is<MinMaxIntersectionSceneObject>()},
        {13, "RicciBlend", Join(kXYZ, {"Blend Power"}), true, Is<RicciBlendSceneObject>()},
        {14, "QuillonUnion", kXYZ, true, Is<QuillonUnionSceneObject>()},
        {15, "BartheSharpUnion", kXYZ, true, Is<BartheSharpUnionSceneObject>()},
        {16, "BartheSharpIntersection", kXYZ, true, Is<BartheSharpIntersectionSceneObject>()},
        {17, "VariationalWarp", Join(kXYZ, {"Warp Radius", "Warp Smoothing"}), false,
         Is<VariationalWarpSceneObject>()},
        {18, "DisplacementMap", Join(kXYZ, {"Warp Radius", "Warp Smoothing"}), false,
         Is<VariationalDisplacementMapSceneObject>()},
        {43, "LinearSweepWarp", Join(kXYZ, {"Warp Radius", "Warp Smoothing"}), false,
         Is<LinearSweepWarpSceneObject>()},
        {44, "BartheSharpDifference", kXYZ, true, Is<BartheSharpDifferenceSceneObject>()},
        {45, "BartheSmoothDifference", Join(kXYZ, {"Sharpness"}), true,
         Is<BartheSmoothDifferenceSceneObject>()},
        {47, "Twist", {}, false, Is<BarrWarpSceneObject_Twist>()},
        {48, "Taper", {}, false, Is<BarrWarpSceneObject_Taper>()},
        {49, "Bend", {}, false, Is<BarrWarpSceneObject_Bend>()},
        {50, "Hollow", {"Thickness"}, false, Is<HollowSceneObject>()},
        {51, "Mirror", {"Side", "Transition Width", "Blend Power"}, false, Is<MirrorSceneObject>()},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.typeName);
        BlobTreeNodeSceneObject* object = Make<BlobTreeNodeSceneObject>(c.code);
        ASSERT_NE(object, nullptr);
        EXPECT_TRUE(c.isClass(object));
        EXPECT_STREQ(object->GetTypeName(), c.typeName);
        EXPECT_EQ(object->GetTypeCode(), c.code);
        // Named after the type: "<TypeName><n>".
        EXPECT_EQ(object->GetName().rfind(c.typeName, 0), 0u) << object->GetName();
        EXPECT_EQ(ParameterNames(object), Join(kCompositionBase, c.added));
        for (const std::string& axis : kXYZ) {
            if (vynui::IParameter* p = FindParameter(object, axis)) {
                EXPECT_EQ(p->IsExcluded(), c.coordinatesExcluded) << axis;
            }
        }
        // Only the coordinates are secondary.
        for (vynui::IParameter* p : object->GetParameterList()->GetParameters()) {
            if (p->GetName().size() != 1) {
                EXPECT_FALSE(p->IsExcluded()) << p->GetName();
            }
        }
    }
}

namespace {

struct WriteCase {
    int code;
    const char* parameter;
    float minimum, maximum;
    float value;  // a valid value different from the node's initial one
    std::function<float(vynbt::BlobTreeNode*)> read;
};

float Below(float min)
{
    return min > 0.0f ? min * 0.5f : min - 0.001f;
}
float Above(float max)
{
    return max * 1.5f + 1.0f;
}

}  // namespace

TEST_F(OperatorParameters, NodeSetterWritesReachTheNodeUnderTheLockAndAreReported)
{
    auto ricci = [](vynbt::BlobTreeNode* n) { return static_cast<vynbt::RicciBlendNode*>(n)->GetPower(); };
    auto sharp = [](vynbt::BlobTreeNode* n) {
        return static_cast<vynbt::BartheSmoothDifferenceNode*>(n)->GetSharpness();
    };
    auto thick = [](vynbt::BlobTreeNode* n) { return static_cast<vynbt::HollowNode*>(n)->GetThickness(); };
    auto width = [](vynbt::BlobTreeNode* n) { return static_cast<vynbt::MirrorNode*>(n)->GetSmoothWidth(); };
    auto power = [](vynbt::BlobTreeNode* n) { return static_cast<vynbt::MirrorNode*>(n)->GetBlendPower(); };
    auto smooth = [](vynbt::BlobTreeNode* n) {
        return static_cast<vynbt::VariationalWarpNode*>(n)->GetSmoothing();
    };
    auto vradius = [](vynbt::BlobTreeNode* n) {
        return static_cast<vynbt::VariationalWarpNode*>(n)->GetWarpRadius();
    };
    auto lradius = [](vynbt::BlobTreeNode* n) {
        return static_cast<vynbt::LinearSweepWarpNode*>(n)->GetWarpRadius();
    };
    const std::vector<WriteCase> cases = {
        {13, "Blend Power", 0.5f, 10000.0f, 3.5f, ricci},
        {45, "Sharpness", 0.2f, 1.0f, 0.75f, sharp},
        {50, "Thickness", 1e-7f, 1.0f, 0.05f, thick},
        {51, "Transition Width", 0.0f, 1000.0f, 0.3f, width},
        {51, "Blend Power", 0.0f, 1000.0f, 4.0f, power},
        {17, "Warp Smoothing", 0.0001f, 5.0f, 0.5f, smooth},
        {17, "Warp Radius", 0.0001f, 10000.0f, 2.5f, vradius},
        {18, "Warp Smoothing", 0.0001f, 5.0f, 0.5f, smooth},
        {18, "Warp Radius", 0.0001f, 10000.0f, 2.5f, vradius},
        {43, "Warp Radius", 0.0001f, 10000.0f, 2.5f, lradius},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + c.parameter);
        CompositionNodeSceneObject* object = Make<CompositionNodeSceneObject>(c.code);
        ASSERT_NE(object, nullptr);
        // A child gives the operator bounds, so its reports carry a region.
        AddPoint(object, V3(0.2f, 0.1f, 0.0f));
        vynbt::BlobTreeNode* node = object->GetNode();
        auto* p = dynamic_cast<vynui::GenericFloatParameter*>(FindParameter(object, c.parameter));
        ASSERT_NE(p, nullptr);

        float lo = 0, hi = 0;
        p->GetRange(lo, hi);
        EXPECT_FLOAT_EQ(lo, c.minimum);
        EXPECT_FLOAT_EQ(hi, c.maximum);
        EXPECT_TRUE(p->IsValid(c.minimum));
        EXPECT_TRUE(p->IsValid(c.maximum));
        EXPECT_FALSE(p->IsValid(Below(c.minimum)));
        EXPECT_FALSE(p->IsValid(Above(c.maximum)));

        const float before = c.read(node);
        ASSERT_NE(before, c.value);
        EXPECT_FLOAT_EQ(p->GetFloatValue(), before);

        ClearRecorders();
        p->SetFloatValue(c.value);
        EXPECT_FLOAT_EQ(c.read(node), c.value);
        EXPECT_FLOAT_EQ(p->GetFloatValue(), c.value);
        EXPECT_FLOAT_EQ(p->GetCachedValue(), c.value);
        // Node setter: the node reports itself up the tree, then the object
        // tells its listeners once with a null event, all under the lock.
        ASSERT_FALSE(rootRecorder.nodes.empty());
        for (size_t i = 0; i < rootRecorder.nodes.size(); ++i) {
            EXPECT_EQ(rootRecorder.nodes[i], node);
            EXPECT_TRUE(rootRecorder.locked[i]);
        }
        ASSERT_EQ(objectRecorder.objects.size(), 1u);
        EXPECT_EQ(objectRecorder.objects[0], object);
        EXPECT_TRUE(objectRecorder.nullEvents[0]);
        EXPECT_TRUE(objectRecorder.locked[0]);

        // Out of range and NaN: nothing changes, nobody is told.
        ClearRecorders();
        p->SetFloatValue(Above(c.maximum));
        p->SetValueFromText("nan");
        p->ApplyValue(std::numeric_limits<float>::quiet_NaN());
        p->ApplyValue(std::numeric_limits<float>::infinity());
        EXPECT_FLOAT_EQ(c.read(node), c.value);
        EXPECT_TRUE(rootRecorder.nodes.empty());
        EXPECT_TRUE(objectRecorder.objects.empty());

        // Text goes the same way as the typed setter.
        char text[64];
        std::snprintf(text, sizeof text, "%.9g", c.minimum);
        p->SetValueFromText(text);
        EXPECT_FLOAT_EQ(c.read(node), c.minimum);
    }
}

TEST_F(OperatorParameters, WarpRadiusKeepsTheWarpCentre)
{
    auto* warp = Make<VariationalWarpSceneObject>(17);
    auto* sweep = Make<LinearSweepWarpSceneObject>(43);
    ASSERT_TRUE(warp && sweep);
    const V3 centre(1.0f, -2.0f, 0.5f);
    ASSERT_TRUE(warp->GetVariationalWarpNode()->SetWarpBounds(centre, 1.0f));
    ASSERT_TRUE(sweep->GetLinearSweepWarpNode()->SetWarpBounds(centre, 1.0f));

    FindParameter(warp, "Warp Radius")->SetFloatValue(4.0f);
    FindParameter(sweep, "Warp Radius")->SetFloatValue(6.0f);
    EXPECT_EQ(warp->GetVariationalWarpNode()->GetWarpCenter(), centre);
    EXPECT_FLOAT_EQ(warp->GetVariationalWarpNode()->GetWarpRadius(), 4.0f);
    EXPECT_EQ(sweep->GetLinearSweepWarpNode()->GetWarpCenter(), centre);
    EXPECT_FLOAT_EQ(sweep->GetLinearSweepWarpNode()->GetWarpRadius(), 6.0f);
}

TEST_F(OperatorParameters, LinearSweepWarpSmoothingAlwaysReadsZero)
{
    auto* sweep = Make<LinearSweepWarpSceneObject>(43);
    ASSERT_NE(sweep, nullptr);
    auto* p = dynamic_cast<vynui::GenericFloatParameter*>(FindParameter(sweep, "Warp Smoothing"));
    ASSERT_NE(p, nullptr);
    float lo = 0, hi = 0;
    p->GetRange(lo, hi);
    EXPECT_FLOAT_EQ(lo, 0.0001f);
    EXPECT_FLOAT_EQ(hi, 5.0f);
    EXPECT_EQ(p->GetFloatValue(), 0.0f);

    ClearRecorders();
    p->SetFloatValue(2.5f);
    EXPECT_EQ(p->GetFloatValue(), 0.0f);
    EXPECT_EQ(p->GetCachedValue(), 0.0f);
    // A write is a write: the object's listeners hear of it, but the node
    // changed nothing, so the tree reports nothing.
    EXPECT_EQ(objectRecorder.objects.size(), 1u);
    EXPECT_TRUE(rootRecorder.nodes.empty());

    p->SetValueFromText("4");
    std::string text;
    p->GetValueAsText(text);
    EXPECT_EQ(text, "0.000000");
}

TEST_F(OperatorParameters, MirrorSideIsAnIntegerWrittenAsABool)
{
    auto* mirror = Make<MirrorSceneObject>(51);
    ASSERT_NE(mirror, nullptr);
    vynbt::MirrorNode* node = mirror->GetMirrorNode();
    auto* side = dynamic_cast<vynui::GenericIntegerParameter*>(FindParameter(mirror, "Side"));
    ASSERT_NE(side, nullptr);
    int lo = -1, hi = -1;
    side->GetRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1);
    EXPECT_EQ(side->GetIntValue(), node->GetSide() ? 1 : 0);

    const int flipped = node->GetSide() ? 0 : 1;
    ClearRecorders();
    side->SetIntValue(flipped);
    EXPECT_EQ(node->GetSide(), flipped != 0);
    EXPECT_EQ(side->GetIntValue(), flipped);
    ASSERT_EQ(objectRecorder.objects.size(), 1u);
    EXPECT_TRUE(objectRecorder.nullEvents[0]);
    EXPECT_TRUE(objectRecorder.locked[0]);
    ASSERT_FALSE(rootRecorder.nodes.empty());
    EXPECT_EQ(rootRecorder.nodes[0], node);
    EXPECT_TRUE(rootRecorder.locked[0]);

    // 2 is outside the range: refused, although it would mean "true".
    ClearRecorders();
    side->SetIntValue(2);
    side->SetIntValue(-1);
    EXPECT_EQ(side->GetIntValue(), flipped);
    EXPECT_TRUE(objectRecorder.objects.empty());

    side->SetValueFromText("1");
    EXPECT_TRUE(node->GetSide());
    side->SetValueFromText("0");
    EXPECT_FALSE(node->GetSide());
}
