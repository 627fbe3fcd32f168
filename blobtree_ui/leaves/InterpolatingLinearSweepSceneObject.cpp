#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"

#include <GL/gl.h>

#include <algorithm>

#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObjectParameters.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweep_SlicePositionTarget.h"
#include "blobtree_ui/leaves/LeafParameter.h"
#include "blobtree_ui/leaves/ProfileFieldRecords.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

const char* const NUM_SLICES_KEY = "NumSlices";
const char* const OLD_SLICE_IDS_KEY = "SliceIDs";
const char* const OLD_SLICE_POSITIONS_KEY = "SlicePostions";  // sic: the key older files carry
const char* const SLICE_FIELD_IDS_KEY = "SliceFieldIDs";
const char* const SLICE_POSITIONS_KEY = "SlicePositions";
const char* const SLICE_OFFSETS_KEY = "SliceOffsets";

// Reads a stored vector in the two steps the records want; empty when absent.
template <class Record, class T>
std::vector<T> ReadVector(const Record& record, const char* key)
{
    std::vector<T> values;
    unsigned int count = 0;
    if (!record.GetValue(key, values, count)) return {};
    values.resize(count);
    if (count > 0 && !record.GetValue(key, values, count)) return {};
    return values;
}

// "NumSlices" as an unsigned count, also accepted when written signed.
template <class Record>
bool ReadSliceCount(const Record& record, unsigned int& count)
{
    if (record.GetValue(NUM_SLICES_KEY, count, 0u)) return true;
    int signedCount = 0;
    if (!record.GetValue(NUM_SLICES_KEY, signedCount, 0)) return false;
    count = signedCount > 0 ? static_cast<unsigned int>(signedCount) : 0u;
    return true;
}

}  // namespace

const unsigned int InterpolatingLinearSweepSceneObject::MAX_STORED_SLICES =
    vynimplicit::InterpolatingLinearSweep::MAX_SLICES;

InterpolatingLinearSweepSceneObject::InterpolatingLinearSweepSceneObject(
    vynbt::InterpolatingLinearSweepNode* node)
    : BlobTreeNodeSceneObject(node, ShapeCode::InterpolatingLinearSweep,
                              ShapeTypeTable::RecordName(ShapeCode::InterpolatingLinearSweep))
{
}

InterpolatingLinearSweepSceneObject::~InterpolatingLinearSweepSceneObject()
{
    for (vynui::SceneObject* handle : m_sliceHandles) {
        RemoveHandle(handle);
        delete handle;
    }
    m_sliceHandles.clear();
    ModelLock lock = LockModel();
    if (!m_ownedFields.empty()) {
        // Out of the tree while the slices are still readable, then the sweep
        // lets go of them before they are deleted.
        DetachFromParentNode(GetNode());
        GetSweepNode()->GetSweep()->ClearSlices();
    }
}

vynbt::InterpolatingLinearSweepNode* InterpolatingLinearSweepSceneObject::GetSweepNode() const
{
    return static_cast<vynbt::InterpolatingLinearSweepNode*>(GetNode());
}

const char* InterpolatingLinearSweepSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::InterpolatingLinearSweep);
}

void InterpolatingLinearSweepSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new InterpolatingLinearSweepParameter_Length(this));
    AddParameter(new InterpolatingLinearSweepParameter_Radius(this));
    AddParameter(new InterpolatingLinearSweepParameter_FalloffLength(this));
    AddParameter(new InterpolatingLinearSweepParameter_CapStyle(this));
    AddParameter(new InterpolatingLinearSweepParameter_EndcapBlendAngle(this));
    AddParameter(new InterpolatingLinearSweepParameter_BlendMode(this));
    RebuildSliceHandles();
}

void InterpolatingLinearSweepSceneObject::RebuildSliceHandles()
{
    for (vynui::SceneObject* handle : m_sliceHandles) {
        RemoveHandle(handle);
        delete handle;
    }
    m_sliceHandles.clear();
    unsigned int count = 0;
    {
        ModelLock lock = LockModel();
        count = GetSweepNode()->GetSweep()->GetNumSlices();
    }
    for (unsigned int i = 0; i < count; ++i) {
        vynui::SceneObject* handle = new InterpolatingLinearSweep_SlicePositionTarget(this, i);
        m_sliceHandles.push_back(handle);
        AddHandle(handle);
    }
}

bool InterpolatingLinearSweepSceneObject::AddSlice(vynimplicit::ScalarField2D* field, float position, float x,
                                                   float y, bool owned)
{
    // An owned field the sweep refuses goes with the share.
    if (owned) return AddSharedSlice(SharedField2D(field), position, x, y);
    return AppendSlice(field, position, x, y);
}

bool InterpolatingLinearSweepSceneObject::AddSharedSlice(SharedField2D field, float position, float x,
                                                         float y)
{
    if (!AppendSlice(field.get(), position, x, y)) return false;
    m_ownedFields.push_back(std::move(field));
    return true;
}

bool InterpolatingLinearSweepSceneObject::AppendSlice(vynimplicit::ScalarField2D* field, float position,
                                                      float x, float y)
{
    unsigned int index = 0;
    {
        ModelLock lock = LockModel();
        vynbt::InterpolatingLinearSweepNode* node = GetSweepNode();
        Wml::AxisAlignedBox3<float> before;
        node->ChildModifiedHack_BeforeChange(before);
        const bool added = node->GetSweep()->AddSlice(field, position, x, y);
        node->ChildModifiedHack_AfterChange(before);
        if (!added) return false;
        index = node->GetSweep()->GetNumSlices() - 1;
    }
    vynui::SceneObject* handle = new InterpolatingLinearSweep_SlicePositionTarget(this, index);
    m_sliceHandles.push_back(handle);
    AddHandle(handle);
    return true;
}

Wml::Vector3<float> InterpolatingLinearSweepSceneObject::SweepPointToWorld(float x, float y, float p) const
{
    ModelLock lock = LockModel();
    const Wml::Frame3<float>& frame = GetSweepNode()->GetSweep()->GetFrame();
    return frame.GetLocalToWorldRotation() * Wml::Vector3<float>(x, y, p) + frame.Origin();
}

std::vector<std::vector<Wml::Vector3<float>>> InterpolatingLinearSweepSceneObject::GetSliceOutlines() const
{
    ModelLock lock = LockModel();
    const vynimplicit::InterpolatingLinearSweep* sweep = GetSweepNode()->GetSweep();
    const unsigned int count = sweep->GetNumSlices();
    std::vector<std::vector<Wml::Vector3<float>>> outlines;
    for (unsigned int i = 0; i < count; ++i) {
        const float p = count == 1 ? 0.0f : sweep->GetSlicePosition(i);
        for (const Wml::Polygon2<float>& polygon : sweep->GetSlicePolygons(i)) {
            std::vector<Wml::Vector3<float>> loop;
            for (const Wml::Vector2<float>& v : polygon.Vertices())
                loop.push_back(SweepPointToWorld(v.X(), v.Y(), p));
            outlines.push_back(std::move(loop));
        }
    }
    return outlines;
}

void InterpolatingLinearSweepSceneObject::Render(bool selected)
{
    const std::vector<std::vector<Wml::Vector3<float>>> outlines = GetSliceOutlines();
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 0.0f, 0.0f);
    DrawAxisSegment(GetFrame());
    glLineWidth(2.0f);
    glColor3f(0.7f, 0.7f, 0.0f);
    glDisable(GL_DEPTH_TEST);
    for (const std::vector<Wml::Vector3<float>>& loop : outlines) {
        glBegin(GL_LINE_LOOP);
        for (const Wml::Vector3<float>& p : loop) glVertex3f(p.X(), p.Y(), p.Z());
        glEnd();
    }
    glPopAttrib();
    BlobTreeNodeSceneObject::Render(selected);
}

bool InterpolatingLinearSweepSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    const vynimplicit::InterpolatingLinearSweep* sweep = GetSweepNode()->GetSweep();
    std::vector<unsigned int> ids;
    std::vector<float> positions;
    std::vector<Wml::Vector2<float>> offsets;
    bool ok = true;
    for (unsigned int i = 0; i < sweep->GetNumSlices(); ++i) {
        // Slices sharing a field share its record.
        const unsigned int id = StoreField2D(serializer, sweep->GetSliceTemplate(i));
        if (id == 0) {
            ok = false;
            continue;
        }
        float x = 0.0f, y = 0.0f;
        sweep->GetSliceOffset(i, x, y);
        ids.push_back(id);
        positions.push_back(sweep->GetSlicePosition(i));
        offsets.emplace_back(x, y);
    }
    if (ids.empty()) return ok;
    record->SetValue(NUM_SLICES_KEY, static_cast<unsigned int>(ids.size()));
    record->SetValue(SLICE_FIELD_IDS_KEY, ids);
    record->SetValue(SLICE_POSITIONS_KEY, positions);
    record->SetValue(SLICE_OFFSETS_KEY, offsets);
    return ok;
}

bool InterpolatingLinearSweepSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    bool ok = true;
    unsigned int count = 0;
    if (ReadSliceCount(*record, count) && count > 0) {
        const auto ids = ReadVector<Wml::SerializerRecord, unsigned int>(*record, SLICE_FIELD_IDS_KEY);
        const auto positions = ReadVector<Wml::SerializerRecord, float>(*record, SLICE_POSITIONS_KEY);
        const auto offsets =
            ReadVector<Wml::SerializerRecord, Wml::Vector2<float>>(*record, SLICE_OFFSETS_KEY);
        // The count is trusted only as far as the stored data reaches.
        const unsigned int n = std::min({count, static_cast<unsigned int>(ids.size()),
                                         static_cast<unsigned int>(positions.size()), MAX_STORED_SLICES});
        ok = n == count;
        for (unsigned int i = 0; i < n; ++i) {
            // Slices naming one field record share one restored field.
            SharedField2D field = RestoreField2D(serializer, ids[i]);
            const float x = i < offsets.size() ? offsets[i].X() : 0.0f;
            const float y = i < offsets.size() ? offsets[i].Y() : 0.0f;
            ok = field && AddSharedSlice(std::move(field), positions[i], x, y) && ok;
        }
    }
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    return ok && baseOk;
}

bool InterpolatingLinearSweepSceneObject::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    return RestoreOld(nullptr, record);
}

bool InterpolatingLinearSweepSceneObject::RestoreOld(WmlDeprecated::Serializer* serializer,
                                                     WmlDeprecated::SerializerRecord* record)
{
    if (!record) return false;
    bool ok = true;
    unsigned int count = 0;
    if (ReadSliceCount(*record, count) && count > 0) {
        const auto ids =
            ReadVector<WmlDeprecated::SerializerRecord, unsigned int>(*record, OLD_SLICE_IDS_KEY);
        const auto positions =
            ReadVector<WmlDeprecated::SerializerRecord, float>(*record, OLD_SLICE_POSITIONS_KEY);
        const unsigned int n = std::min({count, static_cast<unsigned int>(ids.size()),
                                         static_cast<unsigned int>(positions.size()), MAX_STORED_SLICES});
        ok = n == count;
        for (unsigned int i = 0; i < n; ++i) {
            SharedField2D field = RestoreField2DOld(serializer, ids[i]);
            ok = field && AddSharedSlice(std::move(field), positions[i], 0.0f, 0.0f) && ok;
        }
    }
    const bool baseOk = BlobTreeNodeSceneObject::RestoreOld(record);
    return ok && baseOk;
}

WmlDeprecated::SerializerRecord* InterpolatingLinearSweepSceneObject::StoreOld(
    WmlDeprecated::Serializer* serializer)
{
    WmlDeprecated::SerializerRecord* record = BlobTreeNodeSceneObject::StoreOld(serializer);
    if (!record) return nullptr;
    ModelLock lock = LockModel();
    const vynimplicit::InterpolatingLinearSweep* sweep = GetSweepNode()->GetSweep();
    std::vector<unsigned int> ids;
    std::vector<float> positions;
    for (unsigned int i = 0; i < sweep->GetNumSlices(); ++i) {
        const unsigned int id = StoreField2DOld(serializer, sweep->GetSliceTemplate(i));
        if (id == 0) continue;
        ids.push_back(id);
        positions.push_back(sweep->GetSlicePosition(i));
    }
    if (ids.empty()) return record;
    record->SetValue(NUM_SLICES_KEY, static_cast<unsigned int>(ids.size()));
    record->SetValue(OLD_SLICE_IDS_KEY, ids);
    record->SetValue(OLD_SLICE_POSITIONS_KEY, positions);
    return record;
}

}  // namespace vynui_bt
