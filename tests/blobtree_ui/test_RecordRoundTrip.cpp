// Every type the factory makes, one at a time: made with values other than
// its defaults (parameters, placement and the data only its operator or
// primitive holds), stored, read back through a file into a fresh object of
// the code the record names, and compared parameter by parameter, frame and
// field.

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "blobtree/nodes/BarrWarpNode.h"
#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree/nodes/LinearSweepWarpNode.h"
#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/CurveSetSceneObject.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObject.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/operators/BezierCurve.h"
#include "implicit/primitives/PolyLinePrimitive.h"
#include "implicit/sweeps/CurveSweep.h"
#include "scene/IParameter.h"
#include "test_BaseFixtures.h"
#include "tests/support/TempFolder.h"
#include "wml/Serializer.h"

using namespace kilnform_test;
using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::ModelLock;
using vynui_bt::ShapeCode;
using Vec = Wml::Vector3<float>;
using Vec2 = Wml::Vector2<float>;

namespace {

vynimplicit::ScalarField2D* Disc(float squash)
{
    auto* field = new vynimplicit::DiscreteScalarField2D(16, 16, Wml::AxisAlignedBox2<float>(-1, 1, -1, 1));
    for (unsigned i = 0; i < 16; ++i)
        for (unsigned j = 0; j < 16; ++j) {
            const float x = -1 + 2 * i / 15.0f, y = -1 + 2 * j / 15.0f;
            const float r = std::sqrt(x * x * squash + y * y) / 1.6f;
            field->SetValue(i, j, r < 1 ? (1 - r * r) * (1 - r * r) * (1 - r * r) : 0.0f);
        }
    return field;
}

Wml::Frame3<float> TiltedFrame(const Vec& origin)
{
    Wml::Frame3<float> frame(origin);
    frame.SetRotation(RotationZ(0.4f), true);
    return frame;
}

/// The data beyond the parameters that each kind holds, set to values other
/// than the defaults.
void SetTypeData(BlobTreeNodeSceneObject* object)
{
    ModelLock lock = object->LockModel();
    vynbt::BlobTreeNode* node = object->GetNode();
    switch (object->GetTypeCode()) {
        case ShapeCode::CappedLinearSweep:
            static_cast<vynui_bt::CappedLinearSweepSceneObject*>(object)->SetProfile(Disc(1.0f), true);
            break;
        case ShapeCode::Revolution:
            static_cast<vynui_bt::RevolutionSceneObject*>(object)->SetProfile(Disc(2.0f), true);
            break;
        case ShapeCode::InterpolatingLinearSweep: {
            auto* sweep = static_cast<vynui_bt::InterpolatingLinearSweepSceneObject*>(object);
            EXPECT_TRUE(sweep->AddSlice(Disc(1.0f), -0.5f, 0.0f, 0.0f, true));
            EXPECT_TRUE(sweep->AddSlice(Disc(3.0f), 0.5f, 0.1f, -0.1f, true));
            break;
        }
        case ShapeCode::CubicCurveSweep:
        case ShapeCode::QuadraticCurveSweep: {
            auto* sweep = static_cast<vynui_bt::CurveSweepSceneObject*>(object);
            sweep->SetProfile(Disc(1.5f), true);
            auto* curve = static_cast<vynbt::CurveSweepNode*>(node)->GetSweep();
            Wml::AxisAlignedBox3<float> before;
            node->ChildModifiedHack_BeforeChange(before);
            EXPECT_TRUE(curve->SetControlPoint(1, curve->GetControlPoint(1) + Vec(0.4f, 0.3f, 0.0f)));
            node->ChildModifiedHack_AfterChange(before);
            break;
        }
        case ShapeCode::BezierCurve: {
            auto* curve = static_cast<vynbt::BezierCurveNode*>(node)->GetCurve();
            Wml::AxisAlignedBox3<float> before;
            node->ChildModifiedHack_BeforeChange(before);
            EXPECT_TRUE(curve->SetControlPoint(1, curve->GetControlPoint(1) + Vec(0.3f, 0.4f, 0.0f)));
            node->ChildModifiedHack_AfterChange(before);
            break;
        }
        case ShapeCode::PolyLine: {
            auto* line = static_cast<vynimplicit::PolyLinePrimitive*>(node->GetScalarField());
            line->AppendVertex(Vec(-0.5f, 0, 0));
            line->AppendVertex(Vec(0.2f, 0.3f, 0));
            line->AppendVertex(Vec(0.6f, 0, 0.3f));
            node->OnNodeModified();
            break;
        }
        case ShapeCode::CurveSet:
            EXPECT_TRUE(static_cast<vynui_bt::CurveSetSceneObject*>(object)->AddCurve(
                {Vec(-0.6f, 0, 0), Vec(0, 0.4f, 0), Vec(0.6f, 0, 0.2f)}, 0.35f));
            break;
        case ShapeCode::VariationalWarp:
        case ShapeCode::DisplacementMap: {
            vynimplicit::WarpPointSet points;
            EXPECT_TRUE(points.AddPoint(Vec(0.3f, 0.2f, 0.1f), Vec(0.45f, 0.35f, 0.1f)));
            EXPECT_TRUE(points.AddPoint(Vec(-0.2f, 0, 0), Vec(-0.2f, 0, 0)));
            static_cast<vynbt::VariationalWarpNode*>(node)->SetWarpPointSet(points);
            break;
        }
        case ShapeCode::LinearSweepWarp: {
            auto* warpNode = static_cast<vynbt::LinearSweepWarpNode*>(node);
            vynimplicit::LinearSweepWarp* warp = warpNode->GetLinearSweepWarp();
            EXPECT_TRUE(warp->SetPath({Vec2(-1, 0), Vec2(0, 0.3f), Vec2(1, -0.1f)}));
            EXPECT_TRUE(warp->SetFrame(TiltedFrame(Vec(0, 0.05f, 0))));
            EXPECT_TRUE(warpNode->SetWarpBounds(Vec(0.2f, 0.1f, 0), 1.6f));
            break;
        }
        case ShapeCode::Twist:
        case ShapeCode::Taper:
        case ShapeCode::Bend: {
            // Every mode's settings, so each is seen to come back whatever
            // the mode uses.
            auto* warpNode = static_cast<vynbt::BarrWarpNode*>(node);
            vynimplicit::BarrWarp* warp = warpNode->GetBarrWarp();
            Wml::AxisAlignedBox3<float> before;
            warpNode->FieldBounds(before);
            EXPECT_TRUE(warp->SetFrame(TiltedFrame(Vec(0.1f, 0, 0.05f))));
            EXPECT_TRUE(warp->SetTwistRate(0.8f));
            EXPECT_TRUE(warp->SetTaperRange(-1.0f, 1.5f));
            EXPECT_TRUE(warp->SetTaperScales(1.2f, 0.6f));
            EXPECT_TRUE(warp->SetBendCurvature(0.3f));
            EXPECT_TRUE(warp->SetBendCentre(0.1f));
            EXPECT_TRUE(warp->SetBendRange(-0.8f, 0.9f));
            warpNode->OnOperatorChanged(before);
            break;
        }
        default:
            break;
    }
}

/// What the operator or primitive holds outside the parameters, as numbers.
std::vector<float> TypeData(BlobTreeNodeSceneObject* object)
{
    ModelLock lock = object->LockModel();
    vynbt::BlobTreeNode* node = object->GetNode();
    std::vector<float> out;
    auto frame = [&out](const Wml::Frame3<float>& f) {
        for (int i = 0; i < 3; ++i) out.insert(out.end(), {f.Origin()[i], f.Scale()[i]});
        const Wml::Matrix3<float> r = f.GetRotation();
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) out.push_back(r[i][j]);
    };
    switch (object->GetTypeCode()) {
        case ShapeCode::LinearSweepWarp: {
            const vynimplicit::LinearSweepWarp* warp =
                static_cast<vynbt::LinearSweepWarpNode*>(node)->GetLinearSweepWarp();
            for (const Vec2& p : warp->GetPath()) out.insert(out.end(), {p.X(), p.Y()});
            frame(warp->GetFrame());
            const Vec c = warp->GetWarpBallCenter();
            out.insert(out.end(), {c.X(), c.Y(), c.Z(), warp->GetWarpBallRadius()});
            break;
        }
        case ShapeCode::Twist:
        case ShapeCode::Taper:
        case ShapeCode::Bend: {
            const vynimplicit::BarrWarp* w = static_cast<vynbt::BarrWarpNode*>(node)->GetBarrWarp();
            frame(w->GetFrame());
            out.insert(out.end(),
                       {float(w->GetMode()), w->GetTwistRate(), w->GetTaperStart(), w->GetTaperEnd(),
                        w->GetTaperStartScale(), w->GetTaperEndScale(), w->GetBendCurvature(),
                        w->GetBendCentre(), w->GetBendMin(), w->GetBendMax()});
            break;
        }
        case ShapeCode::CubicCurveSweep:
        case ShapeCode::QuadraticCurveSweep: {
            const vynimplicit::CurveSweep* sweep = static_cast<vynbt::CurveSweepNode*>(node)->GetSweep();
            for (unsigned i = 0; i < sweep->GetNumControlPoints(); ++i) {
                const Vec p = sweep->GetControlPoint(i);
                out.insert(out.end(), {p.X(), p.Y(), p.Z()});
            }
            break;
        }
        default:
            break;
    }
    return out;
}

/// A point every composition holds, so that its field has something to show.
const Vec kChildAt(0.3f, 0.2f, 0.1f);

/// The object's own field (an operator evaluated directly, not through its
/// cache) on a grid around the origin.
std::vector<float> FieldSamples(BlobTreeNodeSceneObject* object)
{
    ModelLock lock = object->LockModel();
    vynbt::BlobTreeNode* node = object->GetNode();
    auto* group = node->IsCompositionNode() ? static_cast<vynbt::CompositionNode*>(node) : nullptr;
    std::vector<float> values;
    for (float x = -1.9f; x < 2; x += 0.3f)
        for (float y = -1.9f; y < 2; y += 0.3f)
            for (float z = -1.3f; z < 1.4f; z += 0.3f)
                values.push_back(group ? group->CacheValue(x, y, z) : node->Value(x, y, z));
    return values;
}

struct Made {
    TestModel model;
    BlobTreeNodeSceneObject* object = nullptr;
};

}  // namespace

namespace {

// One type; a failed assertion ends only this type's check.
void RoundTrip(const vynui_bt::ShapeType& type, const kftest::TempFolder& folder)
{
    {
        Made original;
        original.object = original.model.factory->CreateAndAttach(nullptr, type.code, -1);
        ASSERT_NE(original.object, nullptr);
        BlobTreeNodeSceneObject* object = original.object;
        SetTypeData(object);
        for (vynui::IParameter* parameter : object->GetParameterList()->GetParameters()) {
            const std::string name = parameter->GetName();
            if (name != "X" && name != "Y" && name != "Z" && name != "Name" && name != "Caching")
                WriteAnotherValue(parameter);
        }
        const bool group = object->GetNode()->IsCompositionNode();
        if (group) {
            BlobTreeNodeSceneObject* point = original.model.factory->CreateAndAttach(object, 1, -1);
            ASSERT_NE(point, nullptr);
            point->Translate(kChildAt, false);
            // Turns the group about its only child (the mirror's plane too).
            object->Rotate(RotationZ(0.3f), false);
        } else {
            object->Translate(Vec(0.2f, -0.1f, 0.15f), false);
            object->Rotate(RotationZ(0.3f), false);
        }

        const std::string path =
            folder.File(std::string(type.recordName) + std::to_string(type.code) + ".xml");
        {
            Wml::Serializer out;
            ASSERT_TRUE(object->Store(&out, out.CreateRecord(object->GetTypeName())));
            ASSERT_TRUE(out.Write(path.c_str())) << out.GetLastError();
        }
        Wml::Serializer in;
        ASSERT_TRUE(in.Read(path.c_str())) << in.GetLastError();
        Wml::SerializerRecord* record = nullptr;
        for (unsigned i = 0; i < in.GetNumRecords() && !record; ++i)
            if (in.GetRecord(i)->GetTypeName() == object->GetTypeName()) record = in.GetRecord(i);
        ASSERT_NE(record, nullptr);

        // The loader makes the object from the record alone, then links the
        // children after the restore.
        const int code = vynui_bt::ShapeTypeTable::TypeCodeForRecord(*record);
        EXPECT_EQ(code, type.code);
        Made restored;
        restored.object = restored.model.factory->CreateAndAttach(nullptr, code, -1);
        ASSERT_NE(restored.object, nullptr);
        EXPECT_TRUE(restored.object->Restore(&in, record));
        if (group) {
            // The child comes back from a record of its own: where the
            // original's child is now.
            auto* child = static_cast<BlobTreeNodeSceneObject*>(object->GetChildren().front());
            BlobTreeNodeSceneObject* point = restored.model.factory->CreateSceneObject(1);
            ASSERT_NE(point, nullptr);
            point->Translate(child->GetFrame().Origin(), false);
            restored.model.factory->AttachSceneObject(restored.object, point, -1);
        }

        const std::vector<vynui::IParameter*>& pa = object->GetParameterList()->GetParameters();
        const std::vector<vynui::IParameter*>& pb = restored.object->GetParameterList()->GetParameters();
        ASSERT_EQ(pa.size(), pb.size());
        for (size_t i = 0; i < pa.size(); ++i) {
            ASSERT_EQ(pa[i]->GetName(), pb[i]->GetName());
            if (pa[i]->GetName() == "Name") continue;  // names are unique per run
            std::string ta, tb;
            pa[i]->GetValueAsText(ta);
            pb[i]->GetValueAsText(tb);
            if (pa[i]->GetType() == 1)
                EXPECT_NEAR(pa[i]->GetFloatValue(), pb[i]->GetFloatValue(),
                            1e-4f * (1 + std::fabs(pa[i]->GetFloatValue())))
                    << pa[i]->GetName();
            else
                EXPECT_EQ(ta, tb) << pa[i]->GetName();
        }
        const Wml::Frame3<float> fa = object->GetFrame(), fb = restored.object->GetFrame();
        EXPECT_TRUE(kftest::Near(fa.Origin(), fb.Origin(), 1e-4f));
        EXPECT_TRUE(kftest::Near(fa.GetRotation(), fb.GetRotation(), 1e-4f));
        EXPECT_TRUE(kftest::Near(fa.Scale(), fb.Scale(), 1e-4f));

        const std::vector<float> da = TypeData(object), db = TypeData(restored.object);
        ASSERT_EQ(da.size(), db.size());
        for (size_t i = 0; i < da.size(); ++i) EXPECT_NEAR(da[i], db[i], 1e-5f) << "datum " << i;

        const std::vector<float> va = FieldSamples(object), vb = FieldSamples(restored.object);
        ASSERT_EQ(va.size(), vb.size());
        int inside = 0, differing = 0;
        for (size_t i = 0; i < va.size(); ++i) {
            if (va[i] > 0.5f) ++inside;
            if (std::fabs(va[i] - vb[i]) > 1e-4f) ++differing;
        }
        EXPECT_GT(inside, 0) << "the samples see the shape";
        EXPECT_EQ(differing, 0);
    }
}

}  // namespace

TEST(RecordRoundTrip, EveryTypeComesBackWithItsParametersFrameAndField)
{
    const kftest::TempFolder folder("typerecords");
    for (const vynui_bt::ShapeType& type : vynui_bt::ShapeTypeTable::All()) {
        SCOPED_TRACE(std::string(type.recordName) + " code " + std::to_string(type.code));
        RoundTrip(type, folder);
    }
}

TEST(RecordRoundTrip, CurveSweepRecordsNameTheKindToMake)
{
    // Keyed by the stored degree; records written before it by the number
    // of control points; other names by their own code.
    struct Case {
        const char* name;
        std::function<void(Wml::SerializerRecord&)> fill;
        int code;
    };
    const std::vector<Vec> three(3, Vec(0, 0, 0)), four(4, Vec(0, 0, 0));
    const Case cases[] = {
        {"CurveSweep", [](Wml::SerializerRecord& r) { r.SetValue("CurveDegree", 2); }, 42},
        {"CurveSweep", [](Wml::SerializerRecord& r) { r.SetValue("CurveDegree", 3); }, 41},
        {"CurveSweep", [&](Wml::SerializerRecord& r) { r.SetValue("ControlPoints", three); }, 42},
        {"CurveSweep", [&](Wml::SerializerRecord& r) { r.SetValue("ControlPoints", four); }, 41},
        {"CurveSweep", [](Wml::SerializerRecord&) {}, 41},
        // A degree of another kind of field is no degree; the points decide.
        {"CurveSweep",
         [&](Wml::SerializerRecord& r) {
             r.SetValue("CurveDegree", 2.0f);
             r.SetValue("ControlPoints", three);
         },
         42},
        {"Twist", [](Wml::SerializerRecord& r) { r.SetValue("CurveDegree", 2); }, 47},
        {"NoSuchType", [](Wml::SerializerRecord&) {}, -1},
    };
    for (const Case& c : cases) {
        Wml::SerializerRecord record(1, c.name);
        c.fill(record);
        EXPECT_EQ(vynui_bt::ShapeTypeTable::TypeCodeForRecord(record), c.code) << c.name;
    }
}

TEST(RecordRoundTrip, RefusedWarpSettingsKeepTheRestAndReportFailure)
{
    TestModel model;
    BlobTreeNodeSceneObject* twist = model.factory->CreateAndAttach(nullptr, ShapeCode::Twist, -1);
    BlobTreeNodeSceneObject* sweepWarp =
        model.factory->CreateAndAttach(nullptr, ShapeCode::LinearSweepWarp, -1);
    ASSERT_NE(twist, nullptr);
    ASSERT_NE(sweepWarp, nullptr);

    Wml::SerializerRecord barr(1, "Twist");
    barr.SetValue("TwistRate", std::nanf(""));
    barr.SetValue("TaperScales", Vec2(0.5f, 2.0f));
    barr.SetValue("BendRange", 7.0f);  // of the wrong kind
    EXPECT_FALSE(twist->Restore(nullptr, &barr));
    const vynimplicit::BarrWarp* w = static_cast<vynbt::BarrWarpNode*>(twist->GetNode())->GetBarrWarp();
    EXPECT_EQ(w->GetTwistRate(), 0.0f);
    EXPECT_EQ(w->GetTaperStartScale(), 0.5f);
    EXPECT_EQ(w->GetTaperEndScale(), 2.0f);
    EXPECT_EQ(w->GetBendMin(), -1.0f);

    // More path points than the warp takes, and a centre it refuses.
    Wml::SerializerRecord linear(2, "LinearSweepWarp");
    std::vector<Vec2> tooLong;
    for (unsigned i = 0; i <= vynimplicit::LinearSweepWarp::MAX_PATH_POINTS; ++i)
        tooLong.push_back(Vec2(float(i), 0.1f));
    linear.SetValue("WarpPath", tooLong);
    linear.SetValue("WarpCenter", Vec(std::nanf(""), 0, 0));
    EXPECT_FALSE(sweepWarp->Restore(nullptr, &linear));
    const vynimplicit::LinearSweepWarp* lw =
        static_cast<vynbt::LinearSweepWarpNode*>(sweepWarp->GetNode())->GetLinearSweepWarp();
    EXPECT_TRUE(lw->GetPath().empty());
    EXPECT_TRUE(kftest::Near(lw->GetWarpBallCenter(), Vec(0, 0, 0), 0.0f));

    // A record of an older save, without the new keys, keeps the defaults.
    Wml::SerializerRecord old(3, "Twist");
    EXPECT_TRUE(twist->Restore(nullptr, &old));
    EXPECT_EQ(w->GetTaperEndScale(), 2.0f);
}
