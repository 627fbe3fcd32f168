// A whole model with one object of every type, written and read back in both
// record formats (through files), compared object by object and as a field.

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/primitives/PolyLinePrimitive.h"
#include "scene/IParameter.h"
#include "test_BaseFixtures.h"
#include "tests/support/TempFolder.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

using namespace kilnform_test;
using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::ModelLock;
using Vec = Wml::Vector3<float>;

namespace {

const int kAllCodes[] = {1,  2,  3,  4,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                         17, 18, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52};

/// A soft disc of radius about 0.8 sampled on a small grid.
vynimplicit::ScalarField2D* MakeProfile(float scale)
{
    auto* field = new vynimplicit::DiscreteScalarField2D(16, 16, Wml::AxisAlignedBox2<float>(-1, 1, -1, 1));
    for (unsigned i = 0; i < 16; ++i)
        for (unsigned j = 0; j < 16; ++j) {
            const float x = -1 + 2 * i / 15.0f, y = -1 + 2 * j / 15.0f;
            const float r = std::sqrt(x * x * scale + y * y) / 1.6f;
            field->SetValue(i, j, r < 1 ? (1 - r * r) * (1 - r * r) * (1 - r * r) : 0.0f);
        }
    return field;
}

struct Model : TestModel {
    /// Every object of the model below the root, in creation order (operators
    /// are followed by the point under them).
    std::vector<BlobTreeNodeSceneObject*> objects;
};

/// One object per code, each with values other than its defaults and a place
/// of its own; every operator holds one point. Older records carry no slice
/// offsets, so those stay zero for them.
void BuildEveryType(Model& model, bool olderFormat)
{
    float x = 0;
    for (int code : kAllCodes) {
        BlobTreeNodeSceneObject* object = model.factory->CreateAndAttach(nullptr, code, -1);
        ASSERT_NE(object, nullptr) << code;
        model.objects.push_back(object);
        if (auto* sweep = dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(object))
            sweep->SetProfile(MakeProfile(1.0f), true);
        if (auto* revolution = dynamic_cast<vynui_bt::RevolutionSceneObject*>(object))
            revolution->SetProfile(MakeProfile(2.0f), true);
        if (auto* sweep = dynamic_cast<vynui_bt::InterpolatingLinearSweepSceneObject*>(object)) {
            EXPECT_TRUE(sweep->AddSlice(MakeProfile(1.0f), -0.5f, 0.0f, 0.0f, true));
            EXPECT_TRUE(sweep->AddSlice(MakeProfile(3.0f), 0.5f, olderFormat ? 0.0f : 0.1f,
                                        olderFormat ? 0.0f : -0.1f, true));
        }
        if (code == 8) {
            ModelLock lock = object->LockModel();
            auto* line = static_cast<vynimplicit::PolyLinePrimitive*>(object->GetNode()->GetScalarField());
            line->AppendVertex(Vec(0, 0, 0));
            line->AppendVertex(Vec(0.5f, 0.2f, 0));
            line->AppendVertex(Vec(1, 0, 0.3f));
            object->GetNode()->OnNodeModified();
        }
        for (vynui::IParameter* parameter : object->GetParameterList()->GetParameters()) {
            const std::string name = parameter->GetName();
            if (name != "X" && name != "Y" && name != "Z" && name != "Name") WriteAnotherValue(parameter);
        }
        if (object->GetNode()->IsCompositionNode()) {
            BlobTreeNodeSceneObject* point = model.factory->CreateAndAttach(object, 1, -1);
            ASSERT_NE(point, nullptr);
            model.objects.push_back(point);
            point->Translate(Vec(x, 0, 0), false);
        } else {
            object->Translate(Vec(x, 1, 0), false);
            object->Rotate(RotationZ(0.1f * x), false);
        }
        x += 4;
    }
}

void ExpectSameParameters(BlobTreeNodeSceneObject* a, BlobTreeNodeSceneObject* b, bool olderFormat)
{
    SCOPED_TRACE(std::string(a->GetTypeName()) + " " + a->GetName());
    const std::vector<vynui::IParameter*>& pa = a->GetParameterList()->GetParameters();
    const std::vector<vynui::IParameter*>& pb = b->GetParameterList()->GetParameters();
    ASSERT_EQ(pa.size(), pb.size());
    for (size_t i = 0; i < pa.size(); ++i) {
        ASSERT_EQ(pa[i]->GetName(), pb[i]->GetName());
        switch (pa[i]->GetType()) {
            case 1:
                EXPECT_NEAR(pa[i]->GetFloatValue(), pb[i]->GetFloatValue(),
                            1e-4f * (1 + std::fabs(pa[i]->GetFloatValue())))
                    << pa[i]->GetName();
                break;
            case 0:
            case 4:
                EXPECT_EQ(pa[i]->GetIntValue(), pb[i]->GetIntValue()) << pa[i]->GetName();
                break;
            default:
                break;  // names are unique per run; frames are compared as frames
        }
    }
    const Wml::Frame3<float> fa = a->GetFrame(), fb = b->GetFrame();
    EXPECT_TRUE(kftest::Near(fa.Origin(), fb.Origin(), 1e-3f));
    EXPECT_TRUE(kftest::Near(fa.GetRotation(), fb.GetRotation(), 1e-3f));
    if (!olderFormat) {
        EXPECT_TRUE(kftest::Near(fa.Scale(), fb.Scale(), 1e-4f));
    }
    EXPECT_EQ(a->GetTypeCode(), b->GetTypeCode());
    EXPECT_EQ(a->GetChildren().size(), b->GetChildren().size());
}

void ExpectSameTypeData(BlobTreeNodeSceneObject* a, BlobTreeNodeSceneObject* b)
{
    SCOPED_TRACE(a->GetTypeName());
    if (a->GetTypeCode() == 8) {
        auto* la = static_cast<vynimplicit::PolyLinePrimitive*>(a->GetNode()->GetScalarField());
        auto* lb = static_cast<vynimplicit::PolyLinePrimitive*>(b->GetNode()->GetScalarField());
        ASSERT_EQ(la->GetNumVertices(), 3u);
        ASSERT_EQ(lb->GetNumVertices(), la->GetNumVertices());
        for (unsigned i = 0; i < la->GetNumVertices(); ++i)
            EXPECT_TRUE(kftest::Near(la->GetVertex(i), lb->GetVertex(i), 1e-4f));
    }
    auto compareProfiles = [](vynimplicit::ScalarField2D* pa, vynimplicit::ScalarField2D* pb) {
        ASSERT_NE(pa, nullptr);
        ASSERT_NE(pb, nullptr);
        EXPECT_NE(pa, pb);
        for (float u = -1; u <= 1; u += 0.17f)
            for (float v = -1; v <= 1; v += 0.23f) EXPECT_NEAR(pa->Value(u, v), pb->Value(u, v), 1e-5f);
    };
    if (auto* sa = dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(a))
        compareProfiles(sa->GetProfile(),
                        dynamic_cast<vynui_bt::CappedLinearSweepSceneObject*>(b)->GetProfile());
    if (auto* ra = dynamic_cast<vynui_bt::RevolutionSceneObject*>(a))
        compareProfiles(ra->GetProfile(), dynamic_cast<vynui_bt::RevolutionSceneObject*>(b)->GetProfile());
}

/// The model's field at points along the row of objects.
std::vector<float> Sample(vynui_bt::RootNodeSceneObject* root)
{
    std::vector<float> values;
    ModelLock lock = root->LockModel();
    for (float x = -1; x < 4 * 30; x += 0.37f)
        for (float y : {0.0f, 0.4f, 1.0f, 1.3f})
            for (float z : {-0.2f, 0.0f, 0.25f}) values.push_back(root->GetNode()->Value(x, y, z));
    return values;
}

void ExpectSameField(vynui_bt::RootNodeSceneObject* a, vynui_bt::RootNodeSceneObject* b)
{
    const std::vector<float> va = Sample(a), vb = Sample(b);
    ASSERT_EQ(va.size(), vb.size());
    int inside = 0, differing = 0;
    for (size_t i = 0; i < va.size(); ++i) {
        if (va[i] > 0.5f) ++inside;
        if (std::fabs(va[i] - vb[i]) > 1e-3f) ++differing;
    }
    EXPECT_GT(inside, 20) << "the samples see the shapes";
    EXPECT_EQ(differing, 0);
}

// ---- the older format, read as the scene file's older loader reads it

BlobTreeNodeSceneObject* LoadOldNode(Model& model, WmlDeprecated::Serializer& serializer,
                                     WmlDeprecated::SerializerRecord* record, BlobTreeNodeSceneObject* parent)
{
    const int code = static_cast<int>(record->GetType()) - 1000;
    BlobTreeNodeSceneObject* object = nullptr;
    if (code == 0) {
        object = model.Root();
    } else {
        object = model.factory->CreateAndAttach(parent, code, -1);
        if (!object) return nullptr;
        model.objects.push_back(object);
    }
    EXPECT_TRUE(object->RestoreOld(&serializer, record)) << code;
    unsigned int numChildren = 0;
    if (record->GetValue("NumChildren", numChildren, 0u)) {
        std::vector<unsigned int> ids;
        unsigned int count = 0;
        record->GetValue("ChildrenIDs", ids, count);
        ids.resize(count);
        record->GetValue("ChildrenIDs", ids, count);
        for (unsigned int id : ids)
            if (WmlDeprecated::SerializerRecord* child = serializer.FindRecord(id))
                LoadOldNode(model, serializer, child, object);
    }
    return object;
}

}  // namespace

TEST(ModelRecords, CurrentFormatRoundTripThroughAFile)
{
    Model original;
    BuildEveryType(original, false);
    const kftest::TempFolder folder("records");
    const std::string path = folder.File("roundtrip.xml");
    {
        Wml::Serializer serializer;
        for (vynui::SceneObject* object : {static_cast<vynui::SceneObject*>(original.tree),
                                           static_cast<vynui::SceneObject*>(original.Root())})
            ASSERT_TRUE(object->Store(&serializer, serializer.CreateRecord(object->GetTypeName())));
        for (BlobTreeNodeSceneObject* object : original.objects)
            ASSERT_TRUE(object->Store(&serializer, serializer.CreateRecord(object->GetTypeName())));
        ASSERT_TRUE(serializer.Write(path.c_str()));
    }

    Wml::Serializer serializer;
    ASSERT_TRUE(serializer.Read(path.c_str())) << serializer.GetLastError();

    // Objects are made from their records (in file order, codes as the
    // originals have them), then linked by the "Children" lists.
    Model restored;
    std::map<unsigned int, BlobTreeNodeSceneObject*> byFileID;
    std::vector<std::pair<Wml::SerializerRecord*, BlobTreeNodeSceneObject*>> composed;
    size_t next = 0;
    for (unsigned int i = 0; i < serializer.GetNumRecords(); ++i) {
        Wml::SerializerRecord* record = serializer.GetRecord(i);
        std::string typeName;
        if (!record->GetValue("TypeName", typeName, std::string())) continue;  // a profile field
        unsigned int fileID = 0;
        ASSERT_TRUE(record->GetValue("ObjectID", fileID, 0u));
        BlobTreeNodeSceneObject* object = nullptr;
        if (typeName == "BlobTreeSO") continue;
        if (typeName == "RootNode") {
            object = restored.Root();
        } else {
            ASSERT_LT(next, original.objects.size());
            object = restored.factory->CreateAndAttach(nullptr, original.objects[next++]->GetTypeCode(), -1);
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(typeName, object->GetTypeName());
            restored.objects.push_back(object);
        }
        EXPECT_TRUE(object->Restore(&serializer, record)) << typeName;
        byFileID[fileID] = object;
        if (object->GetNode()->IsCompositionNode()) composed.emplace_back(record, object);
    }
    ASSERT_EQ(restored.objects.size(), original.objects.size());
    for (auto& entry : composed) {
        std::vector<unsigned int> ids;
        unsigned int count = 0;
        ASSERT_TRUE(entry.first->GetValue("Children", ids, count));
        ids.resize(count);
        entry.first->GetValue("Children", ids, count);
        for (unsigned int id : ids) {
            ASSERT_TRUE(byFileID.count(id)) << id;
            EXPECT_EQ(restored.factory->AttachSceneObject(entry.second, byFileID[id], -1), true);
        }
    }

    ASSERT_EQ(restored.Root()->GetChildren().size(), original.Root()->GetChildren().size());
    for (size_t i = 0; i < original.objects.size(); ++i) {
        ExpectSameParameters(original.objects[i], restored.objects[i], false);
        ExpectSameTypeData(original.objects[i], restored.objects[i]);
    }
    for (size_t i = 0; i < original.Root()->GetChildren().size(); ++i)
        EXPECT_STREQ(original.Root()->GetChildren()[i]->GetTypeName(),
                     restored.Root()->GetChildren()[i]->GetTypeName());
    ExpectSameField(original.Root(), restored.Root());
}

TEST(ModelRecords, OlderFormatRoundTripThroughAFile)
{
    Model original;
    BuildEveryType(original, true);
    const kftest::TempFolder folder("records");
    const std::string path = folder.File("roundtrip.kfn");
    unsigned int rootID = 0;
    {
        WmlDeprecated::Serializer serializer;
        WmlDeprecated::SerializerRecord* root = original.Root()->StoreOld(&serializer);
        ASSERT_NE(root, nullptr);
        rootID = root->GetID();
        ASSERT_TRUE(serializer.Write(path.c_str()));
    }

    WmlDeprecated::Serializer serializer;
    ASSERT_TRUE(serializer.Read(path.c_str())) << serializer.GetLastError();
    WmlDeprecated::SerializerRecord* rootRecord = serializer.FindRecord(rootID);
    ASSERT_NE(rootRecord, nullptr);
    EXPECT_EQ(rootRecord->GetType(), 1000u);

    Model restored;
    EXPECT_EQ(LoadOldNode(restored, serializer, rootRecord, nullptr), restored.Root());

    // Depth-first record order is the creation order of the original.
    ASSERT_EQ(restored.objects.size(), original.objects.size());
    for (size_t i = 0; i < original.objects.size(); ++i) {
        ExpectSameParameters(original.objects[i], restored.objects[i], true);
        ExpectSameTypeData(original.objects[i], restored.objects[i]);
    }
    ExpectSameField(original.Root(), restored.Root());
}
