#include "blobtree_ui/operators/BarrWarpSceneObject.h"

#include <algorithm>

#include "blobtree/nodes/BarrWarpNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "wml/FrameRecords.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

// Modes 0, 1, 2 are the twist, taper and bend codes, which follow each other.
int CodeOfMode(const vynbt::BarrWarpNode* node)
{
    const int mode = node && node->GetBarrWarp() ? node->GetBarrWarp()->GetMode() : 0;
    return ShapeCode::Twist + std::clamp(mode, 0, 2);
}

}  // namespace

BarrWarpSceneObject::BarrWarpSceneObject(vynbt::BarrWarpNode* node)
    : CompositionNodeSceneObject(node, CodeOfMode(node), "BarrWarp")
{
}

BarrWarpSceneObject::BarrWarpSceneObject(vynbt::BarrWarpNode* node, int typeCode, const char* nameBase)
    : CompositionNodeSceneObject(node, typeCode, nameBase)
{
}

const char* BarrWarpSceneObject::GetTypeName()
{
    return "BarrWarp";
}

Wml::Frame3<float> BarrWarpSceneObject::GetFrame()
{
    return Wml::Frame3<float>(Wml::Vector3<float>::ZERO);
}

vynbt::BarrWarpNode* BarrWarpSceneObject::GetBarrWarpNode() const
{
    return static_cast<vynbt::BarrWarpNode*>(GetNode());
}

namespace {

// A present key that cannot be read or is refused makes the restore answer
// false; an absent key is no fault.
bool ReadPair(const Wml::SerializerRecord* record, const char* key, bool& present, Wml::Vector2<float>& value)
{
    present = record->HasKey(key);
    return !present || record->GetValue(key, value, value);
}

bool ReadFloat(const Wml::SerializerRecord* record, const char* key, bool& present, float& value)
{
    present = record->HasKey(key);
    return !present || record->GetValue(key, value, value);
}

}  // namespace

bool BarrWarpSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!CompositionNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    const vynimplicit::BarrWarp* warp = GetBarrWarpNode()->GetBarrWarp();
    if (!warp) return true;
    Wml::StoreFrame(*record, "WarpFrame", warp->GetFrame());
    record->SetValue("TwistRate", warp->GetTwistRate());
    record->SetValue("TaperRange", Wml::Vector2<float>(warp->GetTaperStart(), warp->GetTaperEnd()));
    record->SetValue("TaperScales", Wml::Vector2<float>(warp->GetTaperStartScale(), warp->GetTaperEndScale()));
    record->SetValue("BendCurvature", warp->GetBendCurvature());
    record->SetValue("BendCentre", warp->GetBendCentre());
    record->SetValue("BendRange", Wml::Vector2<float>(warp->GetBendMin(), warp->GetBendMax()));
    return true;
}

bool BarrWarpSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    bool ok = CompositionNodeSceneObject::Restore(serializer, record);
    ModelLock lock = LockModel();
    vynbt::BarrWarpNode* node = GetBarrWarpNode();
    vynimplicit::BarrWarp* warp = node ? node->GetBarrWarp() : nullptr;
    if (!warp) return false;

    Wml::AxisAlignedBox3<float> before;
    node->FieldBounds(before);
    bool changed = false;
    if (record->HasKey("WarpFrame")) {
        Wml::Frame3<float> frame = warp->GetFrame();
        const bool taken = Wml::RestoreFrame(*record, "WarpFrame", frame) && warp->SetFrame(frame);
        ok = taken && ok;
        changed = taken || changed;
    }
    bool present = false;
    float rate = warp->GetTwistRate();
    if (!ReadFloat(record, "TwistRate", present, rate)) ok = false;
    else if (present) ok = warp->SetTwistRate(rate) && ok;
    changed = present || changed;

    Wml::Vector2<float> range(warp->GetTaperStart(), warp->GetTaperEnd());
    if (!ReadPair(record, "TaperRange", present, range)) ok = false;
    else if (present) ok = warp->SetTaperRange(range.X(), range.Y()) && ok;
    changed = present || changed;
    Wml::Vector2<float> scales(warp->GetTaperStartScale(), warp->GetTaperEndScale());
    if (!ReadPair(record, "TaperScales", present, scales)) ok = false;
    else if (present) ok = warp->SetTaperScales(scales.X(), scales.Y()) && ok;
    changed = present || changed;

    float curvature = warp->GetBendCurvature();
    if (!ReadFloat(record, "BendCurvature", present, curvature)) ok = false;
    else if (present) ok = warp->SetBendCurvature(curvature) && ok;
    changed = present || changed;
    float centre = warp->GetBendCentre();
    if (!ReadFloat(record, "BendCentre", present, centre)) ok = false;
    else if (present) ok = warp->SetBendCentre(centre) && ok;
    changed = present || changed;
    Wml::Vector2<float> bend(warp->GetBendMin(), warp->GetBendMax());
    if (!ReadPair(record, "BendRange", present, bend)) ok = false;
    else if (present) ok = warp->SetBendRange(bend.X(), bend.Y()) && ok;
    changed = present || changed;

    if (changed) node->OnOperatorChanged(before);
    return ok;
}

}  // namespace vynui_bt
