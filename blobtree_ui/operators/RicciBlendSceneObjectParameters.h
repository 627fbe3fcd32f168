#pragma once
// Parameters of RicciBlendSceneObject.

#include "blobtree_ui/operators/OperatorFloatParameter.h"

namespace vynui_bt {

class RicciBlendSceneObject;

/// "Blend Power", 0.5 ... 10000: the node's power, written with SetPower
/// (which drops the node's cache and reports its bounds up the tree).
class RicciBlendParameter_Power : public OperatorFloatParameter {
public:
    explicit RicciBlendParameter_Power(RicciBlendSceneObject* object);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    RicciBlendSceneObject* m_owner;
};

}  // namespace vynui_bt
