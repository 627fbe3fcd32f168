#pragma once
// Parameters of HollowSceneObject.

#include "blobtree_ui/operators/OperatorFloatParameter.h"

namespace vynui_bt {

class HollowSceneObject;

/// "Thickness", 1e-7 ... 1: the shell thickness, written with SetThickness.
class HollowParameter_Thickness : public OperatorFloatParameter {
public:
    explicit HollowParameter_Thickness(HollowSceneObject* object);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    HollowSceneObject* m_owner;
};

}  // namespace vynui_bt
