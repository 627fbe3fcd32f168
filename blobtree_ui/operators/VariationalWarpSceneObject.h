#pragma once
// Scene object of a VariationalWarpNode (type code 17, type name
// "VariationalWarp"): warp points drag space inside a ball. Parameters after
// the composition list: "X", "Y", "Z", "Warp Radius", "Warp Smoothing"; one
// handle per warp point on its target end.

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class VariationalWarpNode;
}

namespace vynui_bt {

class VariationalWarpSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit VariationalWarpSceneObject(vynbt::VariationalWarpNode* node);
    /// Deletes the warp handles.
    ~VariationalWarpSceneObject() override;

    /// "VariationalWarp".
    const char* GetTypeName() override;
    /// The parameters, then the warp handles.
    void InitializeParameters() override;

    /// The base record, then the warp centre and points ("WarpCenter",
    /// "WarpPointsFrom", "WarpPointsTo").
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The base record, then the warp centre and points (a damaged list is
    /// ignored and the answer is false); the handles follow the points.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    /// Brings the handles in line with the node's warp points (one per point,
    /// in order). Whoever replaces the point set calls it.
    void UpdateWarpHandles();

    vynbt::VariationalWarpNode* GetVariationalWarpNode() const;
};

}  // namespace vynui_bt
