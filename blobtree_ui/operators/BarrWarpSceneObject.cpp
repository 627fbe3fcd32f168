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

// One stored setting: an absent key keeps the current value; a present one
// that cannot be read or that the warp refuses makes the restore answer false.
template <class T, class Apply>
void RestoreSetting(const Wml::SerializerRecord& record, const char* key, const T& current, Apply apply,
                    bool& ok, bool& changed)
{
    if (!record.HasKey(key)) return;
    T value = current;
    const bool taken = record.GetValue(key, value, current) && apply(value);
    ok = taken && ok;
    changed = taken || changed;
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
    record->SetValue("TaperScales",
                     Wml::Vector2<float>(warp->GetTaperStartScale(), warp->GetTaperEndScale()));
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
    using Pair = Wml::Vector2<float>;
    RestoreSetting(
        *record, "TwistRate", warp->GetTwistRate(), [warp](float v) { return warp->SetTwistRate(v); }, ok,
        changed);
    RestoreSetting(
        *record, "TaperRange", Pair(warp->GetTaperStart(), warp->GetTaperEnd()),
        [warp](const Pair& v) { return warp->SetTaperRange(v.X(), v.Y()); }, ok, changed);
    RestoreSetting(
        *record, "TaperScales", Pair(warp->GetTaperStartScale(), warp->GetTaperEndScale()),
        [warp](const Pair& v) { return warp->SetTaperScales(v.X(), v.Y()); }, ok, changed);
    RestoreSetting(
        *record, "BendCurvature", warp->GetBendCurvature(),
        [warp](float v) { return warp->SetBendCurvature(v); }, ok, changed);
    RestoreSetting(
        *record, "BendCentre", warp->GetBendCentre(), [warp](float v) { return warp->SetBendCentre(v); }, ok,
        changed);
    RestoreSetting(
        *record, "BendRange", Pair(warp->GetBendMin(), warp->GetBendMax()),
        [warp](const Pair& v) { return warp->SetBendRange(v.X(), v.Y()); }, ok, changed);

    if (changed) node->OnOperatorChanged(before);
    return ok;
}

}  // namespace vynui_bt
