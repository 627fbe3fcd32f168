#pragma once
// Parameters of BartheSmoothDifferenceSceneObject.

#include "blobtree_ui/operators/OperatorFloatParameter.h"

namespace vynui_bt {

class BartheSmoothDifferenceSceneObject;

/// "Sharpness", 0.2 ... 1: the node's sharpness, written with SetSharpness.
class BartheSmoothDiffParameter_Sharpness : public OperatorFloatParameter {
public:
    explicit BartheSmoothDiffParameter_Sharpness(BartheSmoothDifferenceSceneObject* object);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    BartheSmoothDifferenceSceneObject* m_owner;
};

}  // namespace vynui_bt
