#pragma once
// Parameters of VariationalWarpSceneObject (also the base of the displacement
// map's, which behave the same).

#include "blobtree_ui/operators/OperatorFloatParameter.h"

namespace vynbt {
class VariationalWarpNode;
}

namespace vynui_bt {

/// "Warp Radius", 0.0001 ... 10000: the warp ball's radius, written with
/// SetWarpBounds(GetWarpCenter(), value).
class VariationalWarpParameter_Radius : public OperatorFloatParameter {
public:
    VariationalWarpParameter_Radius(BlobTreeNodeSceneObject* object, vynbt::VariationalWarpNode* node);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    vynbt::VariationalWarpNode* m_node;
};

/// "Warp Smoothing", 0.0001 ... 5: written with SetSmoothing.
class VariationalWarpParameter_Smoothing : public OperatorFloatParameter {
public:
    VariationalWarpParameter_Smoothing(BlobTreeNodeSceneObject* object, vynbt::VariationalWarpNode* node);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    vynbt::VariationalWarpNode* m_node;
};

}  // namespace vynui_bt
