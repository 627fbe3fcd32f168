#include "blobtree_ui/operators/LinearSweepWarpSceneObject.h"

#include "blobtree/nodes/LinearSweepWarpNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/LinearSweepWarpSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/FrameRecords.h"
#include "wml/Serializer.h"

namespace vynui_bt {

LinearSweepWarpSceneObject::LinearSweepWarpSceneObject(vynbt::LinearSweepWarpNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::LinearSweepWarp,
                                 ShapeTypeTable::RecordName(ShapeCode::LinearSweepWarp))
{
}

const char* LinearSweepWarpSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::LinearSweepWarp);
}

void LinearSweepWarpSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new LinearSweepWarpParameter_Radius(this));
    AddParameter(new LinearSweepWarpParameter_Smoothing(this));
}

void LinearSweepWarpSceneObject::Render(bool selected)
{
    // The warped child sits where the sweep path puts it, not along a line
    // from the group's origin, so no segments are drawn.
    BlobTreeNodeSceneObject::Render(selected);
}

vynbt::LinearSweepWarpNode* LinearSweepWarpSceneObject::GetLinearSweepWarpNode() const
{
    return static_cast<vynbt::LinearSweepWarpNode*>(GetNode());
}

bool LinearSweepWarpSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!CompositionNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    const vynimplicit::LinearSweepWarp* warp = GetLinearSweepWarpNode()->GetLinearSweepWarp();
    if (!warp) return true;
    record->SetValue("WarpPath", warp->GetPath());
    Wml::StoreFrame(*record, "WarpFrame", warp->GetFrame());
    record->SetValue("WarpCenter", warp->GetWarpBallCenter());
    return true;
}

bool LinearSweepWarpSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    bool ok = CompositionNodeSceneObject::Restore(serializer, record);
    ModelLock lock = LockModel();
    vynbt::LinearSweepWarpNode* node = GetLinearSweepWarpNode();
    vynimplicit::LinearSweepWarp* warp = node ? node->GetLinearSweepWarp() : nullptr;
    if (!warp) return false;

    bool changed = false;
    if (record->HasKey("WarpPath")) {
        std::vector<Wml::Vector2<float>> path;
        unsigned int count = 0;
        // The count is checked before anything is sized by it.
        bool taken = record->GetValue("WarpPath", path, count) &&
                     count <= vynimplicit::LinearSweepWarp::MAX_PATH_POINTS;
        if (taken) {
            path.resize(count);
            taken = record->GetValue("WarpPath", path, count) && warp->SetPath(path);
        }
        ok = taken && ok;
        changed = taken || changed;
    }
    if (record->HasKey("WarpFrame")) {
        Wml::Frame3<float> frame = warp->GetFrame();
        const bool taken = Wml::RestoreFrame(*record, "WarpFrame", frame) && warp->SetFrame(frame);
        ok = taken && ok;
        changed = taken || changed;
    }
    Wml::Vector3<float> centre = warp->GetWarpBallCenter();
    if (record->HasKey("WarpCenter")) {
        const bool read = record->GetValue("WarpCenter", centre, centre);
        if (!read) centre = warp->GetWarpBallCenter();
        ok = read && ok;
        changed = read || changed;
    }
    // Setting the ball recomputes the bounds and reports them together with
    // the ones held before the whole change; it refuses a centre that is not
    // finite.
    if (changed && !node->SetWarpBounds(centre, warp->GetWarpBallRadius())) {
        ok = false;
        node->SetWarpBounds(warp->GetWarpBallCenter(), warp->GetWarpBallRadius());
    }
    return ok;
}

}  // namespace vynui_bt
