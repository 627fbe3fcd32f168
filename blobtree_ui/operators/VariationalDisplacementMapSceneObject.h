#pragma once
// Scene object of a variational warp used as a displacement map (type code 18,
// type name "DisplacementMap"). Parameters and handles as the variational
// warp's; when selected it also draws every warp point as a segment from its
// source to its target.

#include <utility>
#include <vector>

#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "wml/Vector3.h"

namespace vynbt {
class VariationalWarpNode;
}

namespace vynui_bt {

class VariationalDisplacementMapSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit VariationalDisplacementMapSceneObject(vynbt::VariationalWarpNode* node);
    /// Deletes the warp handles.
    ~VariationalDisplacementMapSceneObject() override;

    /// "DisplacementMap".
    const char* GetTypeName() override;
    /// "X", "Y", "Z", "Warp Radius", "Warp Smoothing", then the warp handles.
    void InitializeParameters() override;
    /// When selected, one white segment per warp point (source to target);
    /// then the composition drawing.
    void Render(bool selected) override;

    /// The base record, then the warp centre and points ("WarpCenter",
    /// "WarpPointsFrom", "WarpPointsTo").
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The base record, then the warp centre and points (a damaged list is
    /// ignored and the answer is false); the handles follow the points.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    /// Brings the handles in line with the node's warp points.
    void UpdateWarpHandles();
    /// (source, target) of every warp point, read under the lock.
    std::vector<std::pair<Wml::Vector3<float>, Wml::Vector3<float>>> GetWarpSegments();

    vynbt::VariationalWarpNode* GetVariationalWarpNode() const;
};

}  // namespace vynui_bt
