// Leaf scene objects: the records of polyline points, profile fields and
// slices, in the current and the older format, including damaged and
// hostile records.

#include <cstdio>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree/nodes/CurveSetNode.h"
#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree/nodes/RevolutionNode.h"
#include "blobtree_ui/leaves/BezierCurveSceneObject.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/CurveSetSceneObject.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/PolyLineSceneObject.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericPointSceneObject.h"
#include "test_LeafSupport.h"
#include "tests/support/Near.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

using namespace vynui_bt;
using namespace leaftest;

namespace {

float ParamValue(vynui::SceneObject* object, const std::string& name)
{
    return object->GetParameterList()->Find(name)->GetFloatValue();
}

void SetParam(vynui::SceneObject* object, const std::string& name, float v)
{
    object->GetParameterList()->Find(name)->SetFloatValue(v);
}

// Same values of two 2D fields at a few points.
void ExpectSameField(vynimplicit::ScalarField2D* a, vynimplicit::ScalarField2D* b)
{
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    for (float x : {-0.8f, -0.3f, 0.0f, 0.4f})
        for (float y : {-0.5f, 0.1f, 0.6f}) EXPECT_FLOAT_EQ(a->Value(x, y), b->Value(x, y));
}

PolyLineSceneObject* MakeLine(LeafModel& m)
{
    auto* line = m.Make<PolyLineSceneObject>(8);
    vynimplicit::PolyLinePrimitive* p = line->GetPolyLineNode()->GetPolyLine();
    p->AppendVertex(V3(0, 0, 0));
    p->AppendVertex(V3(1, 0.5f, 0));
    p->AppendVertex(V3(2, 0, -1));
    SetParam(line, "Radius", 0.3f);
    line->Translate(V3(4, 5, 6), false);
    return line;
}

}  // namespace

TEST(LeafRecords, PolyLinePointsRoundTrip)
{
    LeafModel m;
    PolyLineSceneObject* line = MakeLine(m);
    Wml::Serializer s;
    Wml::SerializerRecord* record = s.CreateRecord(line->GetTypeName());
    ASSERT_TRUE(line->Store(&s, record));
    unsigned count = 0;
    EXPECT_TRUE(record->GetValue("PolyLineNumPoints", count, 0u));
    EXPECT_EQ(count, 3u);

    auto* copy = m.Make<PolyLineSceneObject>(8);
    m.ResetCounts();
    ASSERT_TRUE(copy->Restore(&s, record));
    const vynimplicit::PolyLinePrimitive* p = copy->GetPolyLineNode()->GetPolyLine();
    ASSERT_EQ(p->GetNumVertices(), 3u);
    EXPECT_TRUE(kftest::Near(p->GetVertex(1), V3(1, 0.5f, 0), 1e-5f));
    EXPECT_FLOAT_EQ(ParamValue(copy, "Radius"), 0.3f);
    EXPECT_TRUE(kftest::Near(copy->GetFrame().Origin(), V3(4, 5, 6), 1e-5f));
    EXPECT_FALSE(m.rootCalls.calls.empty()) << "the tree hears of the new points";
}

TEST(LeafRecords, PolyLineHostileAndMissingCounts)
{
    LeafModel m;
    auto* line = m.Make<PolyLineSceneObject>(8);
    Wml::Serializer s;
    const std::vector<V3> two = {V3(0, 0, 0), V3(1, 0, 0)};

    // A count far beyond the stored points: only the stored ones are read.
    Wml::SerializerRecord* huge = s.CreateRecord("PolyLine");
    huge->SetValue("PolyLineNumPoints", 4000000000u);
    huge->SetValue("PolyLinePoints", two);
    EXPECT_FALSE(line->Restore(&s, huge));
    EXPECT_EQ(line->GetPolyLineNode()->GetPolyLine()->GetNumVertices(), 2u);

    // A count without points, a negative signed count, points of the wrong kind.
    auto* other = m.Make<PolyLineSceneObject>(8);
    Wml::SerializerRecord* noPoints = s.CreateRecord("PolyLine");
    noPoints->SetValue("PolyLineNumPoints", 5u);
    EXPECT_FALSE(other->Restore(&s, noPoints));
    Wml::SerializerRecord* negative = s.CreateRecord("PolyLine");
    negative->SetValue("PolyLineNumPoints", -3);
    negative->SetValue("PolyLinePoints", two);
    EXPECT_FALSE(other->Restore(&s, negative));
    Wml::SerializerRecord* wrongKind = s.CreateRecord("PolyLine");
    wrongKind->SetValue("PolyLineNumPoints", 2u);
    wrongKind->SetValue("PolyLinePoints", std::vector<float>{1.0f, 2.0f, 3.0f});
    EXPECT_FALSE(other->Restore(&s, wrongKind));
    EXPECT_EQ(other->GetPolyLineNode()->GetPolyLine()->GetNumVertices(), 0u);

    // Non-finite points are refused by the polyline; the finite ones stay.
    Wml::SerializerRecord* nan = s.CreateRecord("PolyLine");
    nan->SetValue("PolyLineNumPoints", 2u);
    nan->SetValue("PolyLinePoints",
                  std::vector<V3>{V3(std::numeric_limits<float>::quiet_NaN(), 0, 0), V3(1, 1, 1)});
    EXPECT_FALSE(other->Restore(&s, nan));
    EXPECT_EQ(other->GetPolyLineNode()->GetPolyLine()->GetNumVertices(), 1u);

    // No count at all: nothing to read, which is fine.
    auto* third = m.Make<PolyLineSceneObject>(8);
    Wml::SerializerRecord* plain = s.CreateRecord("PolyLine");
    EXPECT_TRUE(third->Restore(&s, plain));
    EXPECT_EQ(third->GetPolyLineNode()->GetPolyLine()->GetNumVertices(), 0u);
}

TEST(LeafRecords, PolyLineOlderFormat)
{
    LeafModel m;
    PolyLineSceneObject* line = MakeLine(m);
    WmlDeprecated::Serializer s;
    WmlDeprecated::SerializerRecord* record = line->StoreOld(&s);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetType(), 1008u);

    auto* copy = m.Make<PolyLineSceneObject>(8);
    ASSERT_TRUE(copy->RestoreOld(record));
    const auto original = line->GetWorldVertices();
    const auto restored = copy->GetWorldVertices();
    ASSERT_EQ(restored.size(), 3u);
    for (size_t i = 0; i < restored.size(); ++i) EXPECT_TRUE(kftest::Near(restored[i], original[i], 1e-5f));
    EXPECT_FLOAT_EQ(ParamValue(copy, "Radius"), 0.3f);

    WmlDeprecated::SerializerRecord* hostile = s.CreateRecord(1008u);
    hostile->SetValue("PolyLineNumPoints", 123456789u);
    auto* third = m.Make<PolyLineSceneObject>(8);
    EXPECT_FALSE(third->RestoreOld(hostile));
    EXPECT_EQ(third->GetPolyLineNode()->GetPolyLine()->GetNumVertices(), 0u);
}

TEST(LeafRecords, CappedSweepProfileRoundTrip)
{
    LeafModel m;
    auto* sweep = m.Make<CappedLinearSweepSceneObject>(2);
    sweep->SetProfile(MakeDisc(0.8f), true);
    SetParam(sweep, "Radius", 2.0f);
    SetParam(sweep, "Length", 3.0f);

    Wml::Serializer s;
    Wml::SerializerRecord* record = s.CreateRecord(sweep->GetTypeName());
    ASSERT_TRUE(sweep->Store(&s, record));
    unsigned fieldID = 0;
    ASSERT_TRUE(record->GetValue("FieldID", fieldID, 0u));
    ASSERT_NE(s.FindRecord(fieldID), nullptr);
    EXPECT_EQ(s.FindRecord(fieldID)->GetTypeName(), "DiscreteScalarField2D");

    auto* copy = m.Make<CappedLinearSweepSceneObject>(2);
    ASSERT_TRUE(copy->Restore(&s, record));
    ExpectSameField(copy->GetProfile(), sweep->GetProfile());
    EXPECT_FLOAT_EQ(ParamValue(copy, "Radius"), 2.0f);
    EXPECT_FLOAT_EQ(ParamValue(copy, "Length"), 3.0f);
    for (float z : {0.0f, 1.4f})
        EXPECT_FLOAT_EQ(copy->GetNode()->Value(0.3f, 0.2f, z), sweep->GetNode()->Value(0.3f, 0.2f, z));

    // Through a file as well.
    const std::string path = ::testing::TempDir() + "leaf_sweep_records.xml";
    ASSERT_TRUE(s.Write(path.c_str()));
    Wml::Serializer read;
    ASSERT_TRUE(read.Read(path.c_str()));
    auto* fromFile = m.Make<CappedLinearSweepSceneObject>(2);
    ASSERT_TRUE(fromFile->Restore(&read, read.FindRecord(record->GetID())));
    ExpectSameField(fromFile->GetProfile(), sweep->GetProfile());
}

TEST(LeafRecords, CappedSweepMissingOrBadFieldID)
{
    LeafModel m;
    Wml::Serializer s;
    auto* sweep = m.Make<CappedLinearSweepSceneObject>(2);

    // No FieldID: false, the parameters still come back and the object works.
    Wml::SerializerRecord* noField = s.CreateRecord("CappedLinearSweep");
    noField->SetValue("Radius", 1.75f);
    EXPECT_FALSE(sweep->Restore(&s, noField));
    EXPECT_EQ(sweep->GetProfile(), nullptr);
    EXPECT_FLOAT_EQ(ParamValue(sweep, "Radius"), 1.75f);
    SetParam(sweep, "Radius", 0.5f);
    EXPECT_FLOAT_EQ(ParamValue(sweep, "Radius"), 0.5f);

    // FieldID naming no record, or a record that is not a 2D field.
    Wml::SerializerRecord* dangling = s.CreateRecord("CappedLinearSweep");
    dangling->SetValue("FieldID", 9999u);
    EXPECT_FALSE(sweep->Restore(&s, dangling));
    Wml::SerializerRecord* self = s.CreateRecord("CappedLinearSweep");
    self->SetValue("FieldID", self->GetID());
    EXPECT_FALSE(sweep->Restore(&s, self));
    // A field record with damaged data.
    Wml::SerializerRecord* damaged = s.CreateRecord("DiscreteScalarField2D");
    damaged->SetValue("Width", 4000000u);
    Wml::SerializerRecord* pointsAtDamaged = s.CreateRecord("CappedLinearSweep");
    pointsAtDamaged->SetValue("FieldID", damaged->GetID());
    EXPECT_FALSE(sweep->Restore(&s, pointsAtDamaged));
    EXPECT_EQ(sweep->GetProfile(), nullptr);
}

TEST(LeafRecords, CappedSweepOlderFormat)
{
    LeafModel m;
    auto* sweep = m.Make<CappedLinearSweepSceneObject>(2);
    sweep->SetProfile(MakeDisc(0.8f), true);
    SetParam(sweep, "Falloff Length", 0.5f);
    sweep->Translate(V3(1, 1, 1), false);

    WmlDeprecated::Serializer s;
    WmlDeprecated::SerializerRecord* record = sweep->StoreOld(&s);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->GetType(), 1002u);
    EXPECT_TRUE(record->HasKey("2DFieldID"));

    auto* copy = m.Make<CappedLinearSweepSceneObject>(2);
    ASSERT_TRUE(copy->RestoreOld(&s, record));
    ExpectSameField(copy->GetProfile(), sweep->GetProfile());
    EXPECT_FLOAT_EQ(ParamValue(copy, "Falloff Length"), 0.5f);
    EXPECT_TRUE(kftest::Near(copy->GetFrame().Origin(), V3(1, 1, 1), 1e-5f));

    // Without the file the profile cannot be found; the rest still loads.
    auto* blind = m.Make<CappedLinearSweepSceneObject>(2);
    EXPECT_FALSE(blind->RestoreOld(record));
    EXPECT_FLOAT_EQ(ParamValue(blind, "Falloff Length"), 0.5f);
    // A 2DFieldID pointing at a node record is no field.
    WmlDeprecated::SerializerRecord* bad = s.CreateRecord(1002u);
    bad->SetValue("2DFieldID", record->GetID());
    EXPECT_FALSE(blind->RestoreOld(&s, bad));
    EXPECT_EQ(blind->GetProfile(), nullptr);
}

TEST(LeafRecords, RevolutionProfileBothFormats)
{
    LeafModel m;
    auto* rev = m.Make<RevolutionSceneObject>(3);
    rev->SetProfile(MakeDisc(0.6f), true);
    SetParam(rev, "Radius", 1.5f);

    Wml::Serializer s;
    Wml::SerializerRecord* record = s.CreateRecord(rev->GetTypeName());
    ASSERT_TRUE(rev->Store(&s, record));
    auto* copy = m.Make<RevolutionSceneObject>(3);
    ASSERT_TRUE(copy->Restore(&s, record));
    ExpectSameField(copy->GetProfile(), rev->GetProfile());
    EXPECT_FLOAT_EQ(ParamValue(copy, "Radius"), 1.5f);
    EXPECT_FLOAT_EQ(copy->GetNode()->Value(0.2f, 0.1f, 0.3f), rev->GetNode()->Value(0.2f, 0.1f, 0.3f));

    Wml::SerializerRecord* missing = s.CreateRecord("Revolution");
    auto* bare = m.Make<RevolutionSceneObject>(3);
    EXPECT_FALSE(bare->Restore(&s, missing));
    EXPECT_EQ(bare->GetProfile(), nullptr);

    WmlDeprecated::Serializer old;
    WmlDeprecated::SerializerRecord* oldRecord = rev->StoreOld(&old);
    ASSERT_NE(oldRecord, nullptr);
    auto* oldCopy = m.Make<RevolutionSceneObject>(3);
    ASSERT_TRUE(oldCopy->RestoreOld(&old, oldRecord));
    ExpectSameField(oldCopy->GetProfile(), rev->GetProfile());
}

TEST(LeafRecords, InterpolatingSweepSlicesBothFormats)
{
    LeafModel m;
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_TRUE(sweep->AddSlice(MakeDisc(1.0f), -0.5f, 0.0f, 0.0f, true));
    ASSERT_TRUE(sweep->AddSlice(MakeDisc(0.5f), 1.5f, 0.25f, -0.25f, true));
    vynimplicit::InterpolatingLinearSweep* s = sweep->GetSweepNode()->GetSweep();

    // Older format: the slices' fields and positions.
    WmlDeprecated::Serializer old;
    WmlDeprecated::SerializerRecord* oldRecord = sweep->StoreOld(&old);
    ASSERT_NE(oldRecord, nullptr);
    EXPECT_TRUE(oldRecord->HasKey("SlicePostions"));
    auto* oldCopy = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_TRUE(oldCopy->RestoreOld(&old, oldRecord));
    vynimplicit::InterpolatingLinearSweep* o = oldCopy->GetSweepNode()->GetSweep();
    ASSERT_EQ(o->GetNumSlices(), 2u);
    EXPECT_FLOAT_EQ(o->GetSlicePosition(1), 1.5f);
    ExpectSameField(o->GetSliceTemplate(1), s->GetSliceTemplate(1));
    EXPECT_EQ(oldCopy->GetHandles().size(), 2u);

    // Current format keeps offsets too.
    Wml::Serializer cur;
    Wml::SerializerRecord* record = cur.CreateRecord(sweep->GetTypeName());
    ASSERT_TRUE(sweep->Store(&cur, record));
    auto* copy = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_TRUE(copy->Restore(&cur, record));
    vynimplicit::InterpolatingLinearSweep* c = copy->GetSweepNode()->GetSweep();
    ASSERT_EQ(c->GetNumSlices(), 2u);
    float x = 0, y = 0;
    c->GetSliceOffset(1, x, y);
    EXPECT_FLOAT_EQ(x, 0.25f);
    EXPECT_FLOAT_EQ(y, -0.25f);
    for (float z : {-0.4f, 0.5f, 1.4f})
        EXPECT_FLOAT_EQ(copy->GetNode()->Value(0.1f, 0.0f, z), sweep->GetNode()->Value(0.1f, 0.0f, z));
}

TEST(LeafRecords, InterpolatingSweepHostileSliceCounts)
{
    LeafModel m;
    WmlDeprecated::Serializer old;
    unsigned id = 0;
    std::unique_ptr<vynimplicit::DiscreteScalarField2D> disc(MakeDisc());
    ASSERT_TRUE(disc->Serialize_Old(&old, id));

    // The count claims far more slices than the lists hold.
    WmlDeprecated::SerializerRecord* record = old.CreateRecord(1007u);
    record->SetValue("NumSlices", 3000000000u);
    record->SetValue("SliceIDs", std::vector<unsigned>{id, id, 777u});
    record->SetValue("SlicePostions", std::vector<float>{0.0f, 1.0f});
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    EXPECT_FALSE(sweep->RestoreOld(&old, record));
    EXPECT_EQ(sweep->GetSweepNode()->GetSweep()->GetNumSlices(), 2u);

    // A slice ID that names no field is skipped.
    WmlDeprecated::SerializerRecord* dangling = old.CreateRecord(1007u);
    dangling->SetValue("NumSlices", 2u);
    dangling->SetValue("SliceIDs", std::vector<unsigned>{777u, id});
    dangling->SetValue("SlicePostions", std::vector<float>{0.0f, 1.0f});
    auto* other = m.Make<InterpolatingLinearSweepSceneObject>(7);
    EXPECT_FALSE(other->RestoreOld(&old, dangling));
    EXPECT_EQ(other->GetSweepNode()->GetSweep()->GetNumSlices(), 1u);

    // Current format: slice field IDs pointing at non-field records.
    Wml::Serializer cur;
    Wml::SerializerRecord* bad = cur.CreateRecord("InterpolatingLinearSweep");
    bad->SetValue("NumSlices", 1u);
    bad->SetValue("SliceFieldIDs", std::vector<unsigned>{bad->GetID()});
    bad->SetValue("SlicePositions", std::vector<float>{0.0f});
    auto* third = m.Make<InterpolatingLinearSweepSceneObject>(7);
    EXPECT_FALSE(third->Restore(&cur, bad));
    EXPECT_EQ(third->GetSweepNode()->GetSweep()->GetNumSlices(), 0u);
}

TEST(LeafRecords, CurvesKeepTheirShape)
{
    LeafModel m;
    Wml::Serializer s;

    // A Bezier curve of five control points comes back with five handles.
    auto* curve = m.Make<BezierCurveSceneObject>(6);
    const std::vector<V3> five = {V3(0, 0, 0), V3(1, 1, 0), V3(2, 0, 0), V3(3, 1, 0), V3(4, 0, 1)};
    ASSERT_TRUE(curve->GetCurveNode()->GetCurve()->SetControlPoints(five));
    curve->UpdateControlPointHandles();
    EXPECT_EQ(curve->GetHandles().size(), 5u);
    Wml::SerializerRecord* record = s.CreateRecord(curve->GetTypeName());
    ASSERT_TRUE(curve->Store(&s, record));
    auto* copy = m.Make<BezierCurveSceneObject>(6);
    ASSERT_TRUE(copy->Restore(&s, record));
    ASSERT_EQ(copy->GetCurveNode()->GetCurve()->GetNumControlPoints(), 5u);
    EXPECT_TRUE(kftest::Near(copy->GetCurveNode()->GetCurve()->GetControlPoint(4), V3(4, 0, 1), 1e-5f));
    EXPECT_EQ(copy->GetHandles().size(), 5u);
    // Too many points, or too few, are refused and the curve stays as it was.
    Wml::SerializerRecord* tooMany = s.CreateRecord("BezierCurve");
    tooMany->SetValue("ControlPoints", std::vector<V3>(1000, V3(1, 2, 3)));
    EXPECT_FALSE(copy->Restore(&s, tooMany));
    Wml::SerializerRecord* tooFew = s.CreateRecord("BezierCurve");
    tooFew->SetValue("ControlPoints", std::vector<V3>{V3(1, 2, 3)});
    EXPECT_FALSE(copy->Restore(&s, tooFew));
    EXPECT_EQ(copy->GetCurveNode()->GetCurve()->GetNumControlPoints(), 5u);

    // A curve sweep keeps its path and profile.
    auto* sweep = m.Make<CurveSweepSceneObject>(42);
    sweep->SetProfile(MakeDisc(0.3f), true);
    dynamic_cast<vynui::GenericPointSceneObjectTarget*>(sweep->GetHandles()[1])
        ->SetPosition(V3(0.5f, 0, 0), true);
    Wml::SerializerRecord* sweepRecord = s.CreateRecord(sweep->GetTypeName());
    ASSERT_TRUE(sweep->Store(&s, sweepRecord));
    auto* sweepCopy = m.Make<CurveSweepSceneObject>(42);
    ASSERT_TRUE(sweepCopy->Restore(&s, sweepRecord));
    EXPECT_TRUE(kftest::Near(sweepCopy->GetSweepNode()->GetSweep()->GetControlPoint(1),
                             sweep->GetSweepNode()->GetSweep()->GetControlPoint(1), 1e-5f));
    ExpectSameField(sweepCopy->GetProfile(), sweep->GetProfile());
    // A cubic's four points do not fit a quadratic.
    auto* cubic = m.Make<CurveSweepSceneObject>(41);
    Wml::SerializerRecord* cubicRecord = s.CreateRecord("CurveSweep");
    ASSERT_TRUE(cubic->Store(&s, cubicRecord));
    auto* quadratic = m.Make<CurveSweepSceneObject>(42);
    EXPECT_FALSE(quadratic->Restore(&s, cubicRecord));

    // A curve set keeps its curves; sizes beyond the stored points are refused.
    auto* set = m.Make<CurveSetSceneObject>(46);
    ASSERT_TRUE(set->AddCurve({V3(0, 0, 0), V3(1, 0, 0)}, 0.2f));
    ASSERT_TRUE(set->AddCurve({V3(0, 1, 0), V3(0, 2, 0), V3(1, 2, 0)}, 0.1f));
    Wml::SerializerRecord* setRecord = s.CreateRecord(set->GetTypeName());
    ASSERT_TRUE(set->Store(&s, setRecord));
    auto* setCopy = m.Make<CurveSetSceneObject>(46);
    ASSERT_TRUE(setCopy->Restore(&s, setRecord));
    const vynimplicit::CurveSet* curves = setCopy->GetCurveSetNode()->GetCurveSet();
    ASSERT_EQ(curves->GetNumCurves(), 2u);
    EXPECT_EQ(curves->GetCurve(1).size(), 3u);
    EXPECT_FLOAT_EQ(curves->GetCurveRadius(1), 0.1f);
    Wml::SerializerRecord* hostile = s.CreateRecord("CurveSet");
    hostile->SetValue("CurveSizes", std::vector<unsigned>{2u, 4000000000u});
    hostile->SetValue("CurvePoints", std::vector<V3>{V3(0, 0, 0), V3(1, 1, 1), V3(2, 2, 2)});
    hostile->SetValue("CurveRadii", std::vector<float>{0.1f, 0.1f});
    auto* setHostile = m.Make<CurveSetSceneObject>(46);
    EXPECT_FALSE(setHostile->Restore(&s, hostile));
    EXPECT_EQ(setHostile->GetCurveSetNode()->GetCurveSet()->GetNumCurves(), 1u);
}

// ---------------------------------------------------------------- shared fields

namespace {

// A field record of size x size values in s; answers its ID.
unsigned StoreDisc(Wml::Serializer& s, unsigned size)
{
    std::unique_ptr<vynimplicit::DiscreteScalarField2D> disc(MakeDisc(0.8f, size));
    Wml::SerializerRecord* record = s.CreateRecord("DiscreteScalarField2D");
    EXPECT_TRUE(disc->Store(record));
    return record->GetID();
}

unsigned CountRecords(const Wml::Serializer& s, const std::string& type)
{
    unsigned n = 0;
    for (unsigned i = 0; i < s.GetNumRecords(); ++i) n += s.GetRecord(i)->GetTypeName() == type;
    return n;
}

}  // namespace

TEST(SharedFieldRecords, SlicesNamingOneFieldRestoreItOnceAndSaveItOnce)
{
    LeafModel m;
    const unsigned slices = vynimplicit::InterpolatingLinearSweep::MAX_SLICES;
    std::vector<float> positions;
    for (unsigned i = 0; i < slices; ++i) positions.push_back(0.01f * i);
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    {
        Wml::Serializer s;
        const unsigned id = StoreDisc(s, 128);
        Wml::SerializerRecord* record = s.CreateRecord("InterpolatingLinearSweep");
        record->SetValue("NumSlices", slices);
        record->SetValue("SliceFieldIDs", std::vector<unsigned>(slices, id));
        record->SetValue("SlicePositions", positions);
        ASSERT_TRUE(sweep->Restore(&s, record));
    }
    // One field for every slice, alive after the file is gone.
    vynimplicit::InterpolatingLinearSweep* restored = sweep->GetSweepNode()->GetSweep();
    ASSERT_EQ(restored->GetNumSlices(), slices);
    for (unsigned i = 1; i < slices; ++i)
        ASSERT_EQ(restored->GetSliceTemplate(i), restored->GetSliceTemplate(0));
    EXPECT_GT(sweep->GetNode()->Value(0.0f, 0.0f, 5.0f), 0.5f);

    // Saved again, the field is one record, named by every slice.
    Wml::Serializer out;
    Wml::SerializerRecord* saved = out.CreateRecord(sweep->GetTypeName());
    ASSERT_TRUE(sweep->Store(&out, saved));
    EXPECT_EQ(CountRecords(out, "DiscreteScalarField2D"), 1u);

    // The older format shares the same way.
    WmlDeprecated::Serializer old;
    WmlDeprecated::SerializerRecord* oldRecord = sweep->StoreOld(&old);
    ASSERT_NE(oldRecord, nullptr);
    std::vector<unsigned> ids(slices);
    unsigned count = 0;
    ASSERT_TRUE(oldRecord->GetValue("SliceIDs", ids, count));
    EXPECT_EQ(count, slices);
    EXPECT_EQ(std::set<unsigned>(ids.begin(), ids.end()).size(), 1u);
    auto* oldCopy = m.Make<InterpolatingLinearSweepSceneObject>(7);
    ASSERT_TRUE(oldCopy->RestoreOld(&old, oldRecord));
    vynimplicit::InterpolatingLinearSweep* o = oldCopy->GetSweepNode()->GetSweep();
    ASSERT_EQ(o->GetNumSlices(), slices);
    EXPECT_EQ(o->GetSliceTemplate(slices - 1), o->GetSliceTemplate(0));
    EXPECT_NE(o->GetSliceTemplate(0), restored->GetSliceTemplate(0));
}

TEST(SharedFieldRecords, ObjectsNamingOneFieldShareItUntilTheLastGoes)
{
    LeafModel m;
    auto* first = m.Make<CappedLinearSweepSceneObject>(2);
    auto* second = m.Make<CappedLinearSweepSceneObject>(2);
    auto* rev = m.Make<RevolutionSceneObject>(3);
    auto* curve = m.Make<CurveSweepSceneObject>(41);
    auto* sliced = m.Make<InterpolatingLinearSweepSceneObject>(7);
    {
        Wml::Serializer s;
        const unsigned id = StoreDisc(s, 32);
        for (BlobTreeNodeSceneObject* object :
             std::vector<BlobTreeNodeSceneObject*>{first, second, rev, curve}) {
            Wml::SerializerRecord* record = s.CreateRecord(object->GetTypeName());
            record->SetValue("FieldID", id);
            ASSERT_TRUE(object->Restore(&s, record)) << object->GetTypeName();
        }
        Wml::SerializerRecord* record = s.CreateRecord("InterpolatingLinearSweep");
        record->SetValue("NumSlices", 1u);
        record->SetValue("SliceFieldIDs", std::vector<unsigned>{id});
        record->SetValue("SlicePositions", std::vector<float>{0.0f});
        ASSERT_TRUE(sliced->Restore(&s, record));
    }
    vynimplicit::ScalarField2D* shared = first->GetProfile();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(second->GetProfile(), shared);
    EXPECT_EQ(rev->GetProfile(), shared);
    EXPECT_EQ(curve->GetProfile(), shared);
    EXPECT_EQ(sliced->GetSweepNode()->GetSweep()->GetSliceTemplate(0), shared);

    // Saving the objects together writes the field once.
    Wml::Serializer out;
    for (BlobTreeNodeSceneObject* object : std::vector<BlobTreeNodeSceneObject*>{first, second, rev, sliced})
        ASSERT_TRUE(object->Store(&out, out.CreateRecord(object->GetTypeName())));
    EXPECT_EQ(CountRecords(out, "DiscreteScalarField2D"), 1u);

    // Letting go of it in some objects leaves it to the others.
    const float inside = second->GetNode()->Value(0.0f, 0.0f, 0.0f);
    EXPECT_GT(inside, 0.5f);
    delete first;
    first = nullptr;
    rev->SetProfile(MakeDisc(0.5f), true);
    delete sliced;
    EXPECT_EQ(second->GetProfile(), shared);
    EXPECT_FLOAT_EQ(second->GetNode()->Value(0.0f, 0.0f, 0.0f), inside);
    EXPECT_FLOAT_EQ(shared->Value(0.1f, 0.1f), curve->GetProfile()->Value(0.1f, 0.1f));
}

TEST(SharedFieldRecords, ARefusedFieldIsRefusedForEveryReference)
{
    LeafModel m;
    Wml::Serializer s;
    Wml::SerializerRecord* damaged = s.CreateRecord("DiscreteScalarField2D");
    damaged->SetValue("Width", 4000000u);
    Wml::SerializerRecord* record = s.CreateRecord("InterpolatingLinearSweep");
    record->SetValue("NumSlices", 3u);
    record->SetValue("SliceFieldIDs",
                     std::vector<unsigned>{damaged->GetID(), StoreDisc(s, 16), damaged->GetID()});
    record->SetValue("SlicePositions", std::vector<float>{0.0f, 1.0f, 2.0f});
    auto* sweep = m.Make<InterpolatingLinearSweepSceneObject>(7);
    EXPECT_FALSE(sweep->Restore(&s, record));
    EXPECT_EQ(sweep->GetSweepNode()->GetSweep()->GetNumSlices(), 1u);
    auto* capped = m.Make<CappedLinearSweepSceneObject>(2);
    Wml::SerializerRecord* cappedRecord = s.CreateRecord("CappedLinearSweep");
    cappedRecord->SetValue("FieldID", damaged->GetID());
    EXPECT_FALSE(capped->Restore(&s, cappedRecord));
    EXPECT_EQ(capped->GetProfile(), nullptr);

    // Reading another file into the serializer forgets what was restored.
    const std::string path = ::testing::TempDir() + "leaf_shared_fields.xml";
    Wml::Serializer writer;
    const unsigned id = StoreDisc(writer, 16);
    ASSERT_TRUE(writer.Write(path.c_str()));
    ASSERT_TRUE(s.Read(path.c_str()));
    std::remove(path.c_str());
    Wml::SerializerRecord* again = s.CreateRecord("CappedLinearSweep");
    again->SetValue("FieldID", id);
    EXPECT_TRUE(capped->Restore(&s, again));
    EXPECT_NE(capped->GetProfile(), nullptr);
}
