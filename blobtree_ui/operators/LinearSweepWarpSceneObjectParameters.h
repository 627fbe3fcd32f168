#pragma once
// Parameters of LinearSweepWarpSceneObject.

#include "blobtree_ui/operators/OperatorFloatParameter.h"

namespace vynui_bt {

class LinearSweepWarpSceneObject;

/// "Warp Radius", 0.0001 ... 10000: written with SetWarpBounds(GetWarpCenter(), value).
class LinearSweepWarpParameter_Radius : public OperatorFloatParameter {
public:
    explicit LinearSweepWarpParameter_Radius(LinearSweepWarpSceneObject* object);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    LinearSweepWarpSceneObject* m_owner;
};

/// "Warp Smoothing", 0.0001 ... 5: reads the node's smoothing, which is always
/// 0; a write goes to SetSmoothing, which the node ignores, and the listeners
/// are told as for any write.
class LinearSweepWarpParameter_Smoothing : public OperatorFloatParameter {
public:
    explicit LinearSweepWarpParameter_Smoothing(LinearSweepWarpSceneObject* object);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    LinearSweepWarpSceneObject* m_owner;
};

}  // namespace vynui_bt
