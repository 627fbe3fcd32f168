#include "blobtree_ui/operators/WarpPointRecord.h"

#include <vector>

#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

// Two-step read of a vector list; false when absent, too long or short.
bool ReadPoints(Wml::SerializerRecord* record, const char* key, std::vector<Wml::Vector3<float>>& points)
{
    unsigned int count = 0;
    points.clear();
    if (!record->GetValue(key, points, count)) return false;
    // Checked before anything is allocated for them.
    if (count > vynimplicit::WarpPointSet::MAX_POINTS) return false;
    points.resize(count);
    unsigned int copied = count;
    return record->GetValue(key, points, copied) && copied == count;
}

}  // namespace

void WarpPointRecord::Store(BlobTreeNodeSceneObject* owner, vynbt::VariationalWarpNode* node,
                            Wml::SerializerRecord* record)
{
    if (!owner || !node || !record) return;
    ModelLock lock = owner->LockModel();
    const vynimplicit::WarpPointSet& points = node->GetWarpPointSet();
    std::vector<Wml::Vector3<float>> from, to;
    from.reserve(points.GetNumPoints());
    to.reserve(points.GetNumPoints());
    for (unsigned int i = 0; i < points.GetNumPoints(); ++i) {
        from.push_back(points.GetFrom(i));
        to.push_back(points.GetTo(i));
    }
    record->SetValue("WarpCenter", node->GetWarpCenter());
    record->SetValue("WarpPointsFrom", from);
    record->SetValue("WarpPointsTo", to);
}

bool WarpPointRecord::Restore(BlobTreeNodeSceneObject* owner, vynbt::VariationalWarpNode* node,
                              Wml::SerializerRecord* record)
{
    if (!owner || !node || !record) return false;
    ModelLock lock = owner->LockModel();
    bool ok = true;
    Wml::Vector3<float> centre;
    if (record->GetValue("WarpCenter", centre, node->GetWarpCenter()))
        ok = node->SetWarpBounds(centre, node->GetWarpRadius());

    const bool hasFrom = record->HasKey("WarpPointsFrom"), hasTo = record->HasKey("WarpPointsTo");
    if (!hasFrom && !hasTo) return ok;
    std::vector<Wml::Vector3<float>> from, to;
    if (!ReadPoints(record, "WarpPointsFrom", from) || !ReadPoints(record, "WarpPointsTo", to) ||
        from.size() != to.size())
        return false;
    vynimplicit::WarpPointSet points;
    for (size_t i = 0; i < from.size(); ++i)
        if (!points.AddPoint(from[i], to[i])) return false;
    node->SetWarpPointSet(points);
    return ok;
}

}  // namespace vynui_bt
