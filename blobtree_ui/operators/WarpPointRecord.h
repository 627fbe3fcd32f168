#pragma once
// The warp ball's centre and the warp points of a variational warp in a scene
// record. Without them a saved warp would come back as the identity: the
// parameters alone hold only the radius and the smoothing.
//
// Keys: "WarpCenter" (3D vector), "WarpPointsFrom" and "WarpPointsTo" (lists
// of 3D vectors of equal length, at most WarpPointSet::MAX_POINTS).

namespace Wml {
class SerializerRecord;
}
namespace vynbt {
class VariationalWarpNode;
}

namespace vynui_bt {

class BlobTreeNodeSceneObject;

class WarpPointRecord {
public:
    /// Writes the three keys under owner's model lock.
    static void Store(BlobTreeNodeSceneObject* owner, vynbt::VariationalWarpNode* node,
                      Wml::SerializerRecord* record);
    /// Reads them under the lock: the centre (keeping the current radius) and
    /// the point set. Missing keys leave the warp as it is. Lists of different
    /// lengths, more than MAX_POINTS points or a point that is not finite
    /// leave the points unchanged and answer false.
    static bool Restore(BlobTreeNodeSceneObject* owner, vynbt::VariationalWarpNode* node,
                        Wml::SerializerRecord* record);
};

}  // namespace vynui_bt
