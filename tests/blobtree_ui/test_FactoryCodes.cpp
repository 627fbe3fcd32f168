// Every type code of the factory: what it builds, how the object is named and
// typed, and which parameters it publishes in which order.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "blobtree/nodes/AllNodes.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "implicit/sweeps/CubicBezierSweep.h"
#include "implicit/sweeps/QuadraticBezierSweep.h"
#include "implicit/warps/BarrWarp.h"
#include "scene/IParameter.h"
#include "test_BaseFixtures.h"

using namespace kilnform_test;
using vynbt::BlobTreeNode;
using NodeType = vynbt::BlobTreeNode::NodeType;

namespace {

struct CodeRow {
    int code;
    const char* typeName;
    NodeType nodeType;
    std::vector<std::string> added;  // after the base list
};

const std::vector<std::string> kNodeBase = {"Position", "Orientation", "Scale", "Name"};
const std::vector<std::string> kXYZ = {"X", "Y", "Z"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<CodeRow>& Table()
{
    static const std::vector<CodeRow> rows = {
        {1, "Point", NodeType::Point, {"Radius"}},
        {2, "CappedLinearSweep", NodeType::CappedLinearSweep,
         Join(kXYZ, {"Falloff Length", "Length", "Radius", "Cap Style", "Endcap Smoothness"})},
        {3, "Revolution", NodeType::Revolution, Join(kXYZ, {"Evaluation Mode", "Radius"})},
        {4, "Cylinder", NodeType::Cylinder, Join(kXYZ, {"Length", "Radius"})},
        {6, "BezierCurve", NodeType::BezierCurve,
         Join(kXYZ, {"Radius", "Barthe Blend Angle", "Evaluation Mode", "Approximation Level"})},
        {7, "InterpolatingLinearSweep", NodeType::InterpolatingLinearSweep,
         Join(kXYZ, {"Length", "Radius", "Falloff Length", "Cap Style", "Endcap Smoothness", "Blend Mode"})},
        {8, "PolyLine", NodeType::PolyLine, Join(kXYZ, {"Radius", "Taper"})},
        {9, "SumBlend", NodeType::SumBlend, kXYZ},
        {10, "MinMaxUnion", NodeType::MinMaxUnion, kXYZ},
        {11, "MinMaxDifference", NodeType::MinMaxDifference, kXYZ},
        {12, "MinMaxIntersection", NodeType::MinMaxIntersection, kXYZ},
        {13, "RicciBlend", NodeType::RicciBlend, Join(kXYZ, {"Blend Power"})},
        {14, "QuillonUnion", NodeType::QuillonUnion, kXYZ},
        {15, "BartheSharpUnion", NodeType::BartheSharpUnion, kXYZ},
        {16, "BartheSharpIntersection", NodeType::BartheSharpIntersection, kXYZ},
        {17, "VariationalWarp", NodeType::VariationalWarp, Join(kXYZ, {"Warp Radius", "Warp Smoothing"})},
        {18, "DisplacementMap", NodeType::VariationalWarp, Join(kXYZ, {"Warp Radius", "Warp Smoothing"})},
        {41, "CurveSweep", NodeType::CurveSweep,
         Join(kXYZ, {"Radius", "Start Rotation", "Falloff Length", "Cap Style", "Endcap Smoothness",
                     "Evaluation Mode"})},
        {42, "CurveSweep", NodeType::CurveSweep,
         Join(kXYZ, {"Radius", "Start Rotation", "Falloff Length", "Cap Style", "Endcap Smoothness",
                     "Evaluation Mode"})},
        {43, "LinearSweepWarp", NodeType::LinearSweepWarp, Join(kXYZ, {"Warp Radius", "Warp Smoothing"})},
        {44, "BartheSharpDifference", NodeType::BartheSharpDifference, kXYZ},
        {45, "BartheSmoothDifference", NodeType::BartheSmoothDifference, Join(kXYZ, {"Sharpness"})},
        {46, "CurveSet", NodeType::CurveSet, {}},
        {47, "Twist", NodeType::BarrWarp, {}},
        {48, "Taper", NodeType::BarrWarp, {}},
        {49, "Bend", NodeType::BarrWarp, {}},
        {50, "Hollow", NodeType::Hollow, {"Thickness"}},
        {51, "Mirror", NodeType::Mirror, {"Side", "Transition Width", "Blend Power"}},
        {52, "Group", NodeType::Cache, kXYZ},
    };
    return rows;
}

std::vector<std::string> Names(vynui::SceneObject* object)
{
    std::vector<std::string> names;
    for (vynui::IParameter* parameter : object->GetParameterList()->GetParameters())
        names.push_back(parameter->GetName());
    return names;
}

}  // namespace

TEST(BlobTreeFactory, EveryCodeBuildsItsTypeWithItsParameters)
{
    TestModel model;
    for (const CodeRow& row : Table()) {
        SCOPED_TRACE(row.code);
        std::unique_ptr<vynui_bt::BlobTreeNodeSceneObject> object(model.factory->CreateSceneObject(row.code));
        ASSERT_NE(object, nullptr);
        EXPECT_STREQ(object->GetTypeName(), row.typeName);
        EXPECT_EQ(object->GetTypeCode(), row.code);
        EXPECT_EQ(object->GetTree(), model.tree);
        EXPECT_EQ(object->GetName().rfind(row.typeName, 0), 0u) << object->GetName();
        ASSERT_NE(object->GetNode(), nullptr);
        EXPECT_EQ(object->GetNode()->GetType(), row.nodeType);
        EXPECT_EQ(object->GetNode()->GetParent(), nullptr) << "a new node is detached";
        EXPECT_EQ(object->GetParent(), nullptr);

        const bool composition = object->GetNode()->IsCompositionNode();
        std::vector<std::string> expected = kNodeBase;
        if (composition) expected.push_back("Caching");
        expected = Join(expected, row.added);
        EXPECT_EQ(Names(object.get()), expected);

        // Coordinates are secondary on the blending and CSG operators (not on
        // leaves and warps, which have a place of their own); Caching starts on.
        const bool warp = row.code == 17 || row.code == 18 || row.code == 43;
        for (vynui::IParameter* parameter : object->GetParameterList()->GetParameters()) {
            const std::string name = parameter->GetName();
            if (name == "X" || name == "Y" || name == "Z") {
                EXPECT_EQ(parameter->IsExcluded(), composition && !warp) << name;
            }
            if (name == "Caching") {
                EXPECT_EQ(parameter->GetIntValue(), 1);
            }
        }
    }
}

TEST(BlobTreeFactory, CodeSpecificOutsideObjects)
{
    TestModel model;
    auto field = [&](int code) {
        std::unique_ptr<vynui_bt::BlobTreeNodeSceneObject> object(model.factory->CreateSceneObject(code));
        vynimplicit::ScalarField* f = object ? object->GetNode()->GetScalarField() : nullptr;
        struct Result {
            std::unique_ptr<vynui_bt::BlobTreeNodeSceneObject> object;
            vynimplicit::ScalarField* field;
        };
        return Result{std::move(object), f};
    };
    EXPECT_NE(dynamic_cast<vynimplicit::CubicBezierSweep*>(field(41).field), nullptr);
    EXPECT_NE(dynamic_cast<vynimplicit::QuadraticBezierSweep*>(field(42).field), nullptr);
    const int modes[3] = {vynimplicit::BarrWarp::TWIST, vynimplicit::BarrWarp::TAPER,
                          vynimplicit::BarrWarp::BEND};
    for (int i = 0; i < 3; ++i) {
        auto made = field(47 + i);  // keeps the object (and its warp) alive
        auto* warp = dynamic_cast<vynimplicit::BarrWarp*>(made.field);
        ASSERT_NE(warp, nullptr);
        EXPECT_EQ(warp->GetMode(), modes[i]);
    }
    // The point starts at the origin with size 1: its surface crosses 0.5 at
    // the falloff's surface radius.
    auto point = field(1);
    EXPECT_TRUE(kftest::Near(point.object->GetFrame().Origin(), Wml::Vector3<float>::ZERO, 1e-4f));
    EXPECT_NEAR(point.field->Value(0.454202f, 0.0f, 0.0f), 0.5f, 1e-3f);
}

TEST(BlobTreeFactory, CodesWithoutATypeBuildNothing)
{
    TestModel model;
    std::vector<int> codes = {-1, 0, 5, 53, 54, 100, 1000, 1001, 2147483647, -2147483647 - 1};
    for (int code = 19; code <= 40; ++code) codes.push_back(code);
    for (int code : codes) {
        EXPECT_EQ(model.factory->CreateSceneObject(code), nullptr) << code;
        EXPECT_EQ(model.factory->CreateAndAttach(model.Root(), code, -1), nullptr) << code;
    }
    EXPECT_TRUE(model.Root()->GetChildren().empty());
}

TEST(BlobTreeFactory, RootAndCachingFlags)
{
    TestModel model;
    vynui_bt::RootNodeSceneObject* root = model.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetTypeCode(), 0);
    EXPECT_STREQ(root->GetTypeName(), "RootNode");
    EXPECT_EQ(root->GetNode()->GetType(), NodeType::Root);
    EXPECT_EQ(root->GetParameterList()->Find("Caching")->GetIntValue(), 0);

    // Every operator created and attached keeps caching on; leaves get operators
    // as parents only through CreateAndAttach on a composition object.
    vynui_bt::BlobTreeNodeSceneObject* group = model.factory->CreateAndAttach(nullptr, 52, -1);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetParent(), root);
    vynui_bt::BlobTreeNodeSceneObject* leaf = model.factory->CreateAndAttach(group, 1, -1);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->GetParent(), group);
    EXPECT_EQ(leaf->GetNode()->GetParent(), group->GetNode());
    vynui_bt::BlobTreeNodeSceneObject* underLeaf = model.factory->CreateAndAttach(leaf, 4, 0);
    ASSERT_NE(underLeaf, nullptr);
    EXPECT_EQ(underLeaf->GetParent(), root);
    EXPECT_EQ(group->GetParameterList()->Find("Caching")->GetIntValue(), 1);
}
